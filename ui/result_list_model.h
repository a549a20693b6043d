// The lines of the result list: each found path kept as the exact bytes the
// searcher reported, shown decoded with the window's code page. Appending is
// amortised constant time; rows appended during a search are announced to the
// views in batches, whenever the window lets events through.
#pragma once

#include <QAbstractListModel>
#include <string>
#include <vector>

#include "platform/code_page.h"
#include "platform/display_text.h"

class ResultListModel : public QAbstractListModel {
  Q_OBJECT

 public:
  explicit ResultListModel(kop::CodePage codePage, QObject* parent = nullptr);

  // Keeps `pathBytes` as the next line. The line is not part of the model
  // (rowCount, data, views) until the next Publish; the caller publishes
  // before it lets events through and when it is done appending.
  void Append(std::string pathBytes);

  // Announces every line appended since the last Publish as inserted rows.
  void Publish();

  // Removes every line, published or not.
  void Clear();

  // The exact bytes of published row `row`; throws std::out_of_range unless
  // 0 <= row < rowCount().
  const std::string& PathBytes(int row) const;

  // The height of every line; the width is the view's.
  void SetLineHeight(int heightPixels);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  // DisplayRole: the path decoded for display, invalid bytes shown as
  // replacement marks. SizeHintRole: the line height.
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

 private:
  kop::CodePage codePage_;
  std::vector<std::string> paths_;
  // Rows [0, publishedCount_) are the model's; the rest wait for Publish.
  int publishedCount_ = 0;
  int lineHeightPixels_ = 13;
};
