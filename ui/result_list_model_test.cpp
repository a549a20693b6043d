#include "ui/result_list_model.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QSize>
#include <stdexcept>
#include <string>
#include <vector>

#include "ui/qt_test_printers.h"

namespace {

QString DisplayText(const ResultListModel& model, int row) {
  return model.data(model.index(row), Qt::DisplayRole).toString();
}

TEST(ResultListModel, AppendedLinesJoinTheModelOnlyWhenPublished) {
  ResultListModel model(kop::CodePage::Utf8);
  QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);

  model.Append("/a/one.txt");
  model.Append("/a/two.txt");
  EXPECT_EQ(model.rowCount(), 0);
  EXPECT_FALSE(model.data(model.index(0), Qt::DisplayRole).isValid());
  EXPECT_THROW(model.PathBytes(0), std::out_of_range);

  model.Publish();
  model.Publish();  // nothing new: no signal
  model.Append("/a/three.txt");
  model.Publish();

  ASSERT_EQ(model.rowCount(), 3);
  ASSERT_EQ(inserted.count(), 2);
  EXPECT_EQ(inserted[0][1].toInt(), 0);
  EXPECT_EQ(inserted[0][2].toInt(), 1);
  EXPECT_EQ(inserted[1][1].toInt(), 2);
  EXPECT_EQ(inserted[1][2].toInt(), 2);
  EXPECT_EQ(DisplayText(model, 0), QStringLiteral("/a/one.txt"));
  EXPECT_EQ(DisplayText(model, 2), QStringLiteral("/a/three.txt"));
  EXPECT_EQ(model.PathBytes(1), "/a/two.txt");

  model.Append("/a/pending.txt");
  model.Clear();
  EXPECT_EQ(model.rowCount(), 0);
  model.Publish();
  EXPECT_EQ(model.rowCount(), 0) << "Clear drops lines that were not yet published";
}

TEST(ResultListModel, KeepsExactBytesAndShowsThemDecodedWithItsCodePage) {
  struct Case {
    const char* name;
    kop::CodePage codePage;
    std::string bytes;
    QString shown;
  };
  const Case cases[] = {
      {"utf-8", kop::CodePage::Utf8, "/d/\xe4\xbd\xa0\xe5\xa5\xbd.txt", QStringLiteral("/d/你好.txt")},
      {"gbk", kop::CodePage::Gbk936, "/d/\xc4\xe3\xba\xc3.txt", QStringLiteral("/d/你好.txt")},
      {"invalid utf-8", kop::CodePage::Utf8, "/d/a\xff" "b.txt", QStringLiteral("/d/a\uFFFDb.txt")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResultListModel model(c.codePage);
    model.Append(c.bytes);
    model.Publish();
    EXPECT_EQ(model.PathBytes(0), c.bytes);
    EXPECT_EQ(DisplayText(model, 0), c.shown);
  }
}

TEST(ResultListModel, EveryLineHasTheSetHeight) {
  ResultListModel model(kop::CodePage::Utf8);
  model.Append("/x");
  model.Append("/a/much/longer/path/name.txt");
  model.Publish();
  QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
  model.SetLineHeight(19);
  EXPECT_EQ(changed.count(), 1);
  for (int row = 0; row < 2; ++row) {
    EXPECT_EQ(model.data(model.index(row), Qt::SizeHintRole).toSize().height(), 19);
  }
  EXPECT_EQ(model.data(model.index(0), Qt::SizeHintRole), model.data(model.index(1), Qt::SizeHintRole));
}

}  // namespace
