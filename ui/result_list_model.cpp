#include "ui/result_list_model.h"

#include <QSize>
#include <stdexcept>
#include <utility>

#include "platform/display_text.h"

ResultListModel::ResultListModel(kop::CodePage codePage, QObject* parent)
    : QAbstractListModel(parent), codePage_(codePage) {}

void ResultListModel::Append(std::string pathBytes) {
  paths_.push_back(std::move(pathBytes));
}

void ResultListModel::Publish() {
  const int total = static_cast<int>(paths_.size());
  if (total == publishedCount_) return;
  beginInsertRows(QModelIndex(), publishedCount_, total - 1);
  publishedCount_ = total;
  endInsertRows();
}

void ResultListModel::Clear() {
  beginResetModel();
  paths_.clear();
  publishedCount_ = 0;
  endResetModel();
}

const std::string& ResultListModel::PathBytes(int row) const {
  if (row < 0 || row >= publishedCount_) throw std::out_of_range("ResultListModel::PathBytes");
  return paths_[static_cast<std::size_t>(row)];
}

void ResultListModel::SetLineHeight(int heightPixels) {
  lineHeightPixels_ = heightPixels;
  if (publishedCount_ > 0) emit dataChanged(index(0), index(publishedCount_ - 1), {Qt::SizeHintRole});
}

int ResultListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : publishedCount_;
}

QVariant ResultListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= publishedCount_) return {};
  switch (role) {
    case Qt::DisplayRole:
      return kop::DecodeForDisplay(paths_[static_cast<std::size_t>(index.row())], codePage_);
    case Qt::SizeHintRole:
      // A nominal width: lines are as wide as the view and clipped there.
      return QSize(1, lineHeightPixels_);
    default:
      return {};
  }
}
