#include "ui/Unit1.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFontDatabase>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/clock.h"
#include "platform/dialogs.h"
#include "ui/qt_test_printers.h"
#include "ui/result_list_model.h"

namespace fs = std::filesystem;

namespace {

constexpr double kSecondsPerDay = 86400.0;

// Returns `firstDays`, then each later reading `stepSeconds` further on.
class SteppingClock : public kop::Clock {
 public:
  SteppingClock(double firstDays, double stepSeconds)
      : nextDays_(firstDays), stepDays_(stepSeconds / kSecondsPerDay) {}
  double LocalNowDays() override {
    const double now = nextDays_;
    nextDays_ += stepDays_;
    return now;
  }

 private:
  double nextDays_;
  double stepDays_;
};

class RecordingDialogs : public kop::Dialogs {
 public:
  struct Report {
    QString caption;
    QString text;
  };
  void ShowErrorReport(QWidget*, const QString& caption, const QString& text) override {
    reports.push_back({caption, text});
  }
  std::vector<Report> reports;
};

// Runs `action` from inside the next event processing, which during a search
// with frame interval 0 is the processing of the search's first report.
void AtNextEvents(QObject* context, std::function<void()> action) {
  QMetaObject::invokeMethod(context, std::move(action), Qt::QueuedConnection);
}

// Runs `action` at every event processing while it lives.
class AtEveryEvents : public QObject {
 public:
  explicit AtEveryEvents(std::function<void()> action) : action_(std::move(action)) { Post(); }

 private:
  void Post() {
    QMetaObject::invokeMethod(this, [this] { action_(); Post(); }, Qt::QueuedConnection);
  }
  std::function<void()> action_;
};

void WriteFile(const fs::path& path, const std::string& content = "content\n") {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << content;
}

QString TextOf(QWidget* widget) {
  if (auto* label = qobject_cast<QLabel*>(widget)) return label->text();
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->text();
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) return edit->text();
  if (auto* combo = qobject_cast<QComboBox*>(widget)) return combo->currentText();
  return {};
}

class SearchWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(temp_.isValid());
    top_ = fs::path(temp_.path().toStdString());
    root_ = (top_ / "tree").string();
    dataFolder_ = (top_ / "data").string() + "/";
    fs::create_directories(root_);
    fs::create_directories(dataFolder_);
    OpenWindow(dataFolder_);
  }

  void TearDown() override {
    form_.reset();
    Searcher.reset();
    // QTemporaryDir cannot remove names that are not valid UTF-8.
    std::error_code ignored;
    fs::remove_all(top_, ignored);
  }

  void OpenWindow(const std::string& dataFolder) {
    form_.reset();
    form_ = std::make_unique<TForm1>(dataFolder);
    form_->show();
  }

  void MakeTree(const std::vector<std::string>& relativePaths) {
    for (const std::string& path : relativePaths) WriteFile(fs::path(root_) / path);
  }

  void TypeCriteria(const std::string& location, const QString& pattern = QStringLiteral("*.txt"),
                    const QString& keyword = QString()) {
    form_->Edit1->clear();
    QTest::keyClicks(form_->Edit1, QString::fromStdString(location));
    form_->ComboBox1->lineEdit()->clear();
    QTest::keyClicks(form_->ComboBox1->lineEdit(), pattern);
    form_->Edit2->clear();
    QTest::keyClicks(form_->Edit2, keyword);
  }

  void Click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

  // The listed paths' bytes, sorted: the walk follows readdir order.
  std::vector<std::string> SortedListing() const {
    std::vector<std::string> paths;
    const ResultListModel& list = *form_->ResultList();
    for (int row = 0; row < list.rowCount(); ++row) paths.push_back(list.PathBytes(row));
    std::sort(paths.begin(), paths.end());
    return paths;
  }

  std::vector<std::string> Under(const std::string& root, std::vector<std::string> relativePaths) const {
    for (std::string& path : relativePaths) path = root + "/" + path;
    std::sort(relativePaths.begin(), relativePaths.end());
    return relativePaths;
  }

  QString StatusText() const { return form_->StatusPanel(1)->text(); }

  // Every search takes half a second.
  SteppingClock clock_{45000.25, 0.5};
  kop::ScopedClock useClock_{clock_};
  QTemporaryDir temp_;
  fs::path top_;
  std::string root_;
  std::string dataFolder_;
  std::unique_ptr<TForm1> form_;
};

QString Summary(int count, const char* seconds) {
  return QStringLiteral("搜索完毕,找到文件%1个,耗时：%2秒").arg(count).arg(QLatin1String(seconds));
}

TEST_F(SearchWindowTest, LayoutFollowsTheStoredForm) {
  struct Control {
    const char* name;
    QWidget* widget;
    QWidget* parent;
    QRect geometry;
    bool sizedToText;  // only the position is fixed
    QString text;
    QString hint;
  };
  TForm1& f = *form_;
  QWidget* client = f.ClientArea()->widget();
  const Control controls[] = {
      {"Panel1", f.Panel1, client, {6, 12, 639, 153}, false, {}, {}},
      {"Label1", f.Label1, f.Panel1, {32, 16, 73, 17}, false, QStringLiteral("搜索位置       "), {}},
      {"Label2", f.Label2, f.Panel1, {32, 48, 0, 0}, true, QStringLiteral("文件类型   "), {}},
      {"Label3", f.Label3, f.Panel1, {32, 88, 0, 0}, true, QStringLiteral("关键词\u3000\u3000"), {}},
      {"Label4", f.Label4, f.Panel1, {32, 128, 0, 0}, true, QStringLiteral("在\u3000"), {}},
      {"Label5", f.Label5, f.Panel1, {320, 120, 0, 0}, true, QStringLiteral("之后修改"), {}},
      {"Edit1", f.Edit1, f.Panel1, {112, 8, 321, 21}, false, {}, QStringLiteral("输入文件夹位置如“c:\\myfile”")},
      {"Button1", f.Button1, f.Panel1, {440, 6, 25, 25}, false, QStringLiteral("..."), {}},
      {"ComboBox1", f.ComboBox1, f.Panel1, {112, 48, 145, 21}, false, QStringLiteral("*.txt"),
       QStringLiteral("文件类型如“*.txt”")},
      {"Edit2", f.Edit2, f.Panel1, {112, 80, 305, 21}, false, {}, QStringLiteral("输入要文档中包含的词句")},
      {"DateTimePicker1", f.DateTimePicker1, f.Panel1, {112, 120, 186, 21}, false, {}, {}},
      {"BitBtn1", f.BitBtn1, f.Panel1, {515, 11, 97, 39}, false, QStringLiteral("快速搜索"), {}},
      {"BitBtn2", f.BitBtn2, f.Panel1, {515, 100, 99, 39}, false, QStringLiteral("停止"), {}},
      {"CheckBox1", f.CheckBox1, f.Panel1, {392, 115, 75, 28}, false, QStringLiteral("指定时间"), {}},
      {"BitBtn7", f.BitBtn7, f.Panel1, {516, 58, 96, 37}, false, QStringLiteral("全面搜索"), {}},
      {"StatusBar1", f.StatusBar1, &f, {0, 480, 661, 22}, false, {}, {}},
      {"Panel2", f.Panel2, client, {4, 406, 653, 58}, false, {}, {}},
      {"BitBtn3", f.BitBtn3, f.Panel2, {17, 12, 98, 36}, false, QStringLiteral("打开"), {}},
      {"BitBtn4", f.BitBtn4, f.Panel2, {141, 12, 98, 36}, false, QStringLiteral("复制"), {}},
      {"BitBtn5", f.BitBtn5, f.Panel2, {265, 12, 98, 36}, false, QStringLiteral("移动"), {}},
      {"BitBtn6", f.BitBtn6, f.Panel2, {513, 12, 98, 36}, false, QStringLiteral("删除"), {}},
      {"BitBtn8", f.BitBtn8, f.Panel2, {389, 12, 98, 36}, false, QStringLiteral("转到"), {}},
      {"ListBox1", f.ListBox1, client, {4, 185, 655, 211}, false, {}, {}},
  };
  for (const Control& c : controls) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.widget->parentWidget(), c.parent);
    if (c.sizedToText) {
      EXPECT_EQ(c.widget->pos(), c.geometry.topLeft());
    } else {
      EXPECT_EQ(c.widget->geometry(), c.geometry);
    }
    EXPECT_EQ(TextOf(c.widget), c.text);
    EXPECT_EQ(c.widget->toolTip(), c.hint);
  }

  EXPECT_EQ(f.windowTitle(), QStringLiteral("Qelvo文件搜索工具"));
  EXPECT_EQ(f.size(), QSize(661, 502));
  EXPECT_EQ(f.frameGeometry().topLeft(), QPoint(192, 111));
  EXPECT_TRUE(f.ComboBox1->isEditable());
  QStringList items;
  for (int i = 0; i < f.ComboBox1->count(); ++i) items << f.ComboBox1->itemText(i);
  EXPECT_EQ(items, QStringList({"*.txt", "*.doc", "*.xls", "*.ppt", "*.wps", "*.htm"}));
  EXPECT_EQ(f.ListBox1->selectionMode(), QAbstractItemView::SingleSelection);

  // Status bar: an empty 200 px panel, then one that takes the rest.
  EXPECT_EQ(f.StatusPanel(0)->width(), 200);
  EXPECT_TRUE(f.StatusPanel(0)->text().isEmpty());
  EXPECT_GT(f.StatusPanel(1)->x(), f.StatusPanel(0)->geometry().right());
  EXPECT_GT(f.StatusPanel(1)->geometry().right(), 600);

  // The window's font is the first installed of our list at 13 px; the
  // status bar keeps the system's.
  QString expectedFamily;
  for (const char* family : {"SimSun", "Noto Serif CJK SC", "AR PL UMing CN", "WenQuanYi Zen Hei"}) {
    if (QFontDatabase::hasFamily(QString::fromLatin1(family))) {
      expectedFamily = QString::fromLatin1(family);
      break;
    }
  }
  if (!expectedFamily.isEmpty()) {
    EXPECT_EQ(f.Edit1->font().family(), expectedFamily);
  }
  EXPECT_EQ(f.Edit1->font().pixelSize(), 13);
  EXPECT_EQ(f.ListBox1->font().pixelSize(), 13);
  EXPECT_EQ(f.StatusPanel(1)->font(), QApplication::font());
}

TEST_F(SearchWindowTest, TabOrderRunsThroughPanel1ThenPanel2ThenTheList) {
  TForm1& f = *form_;
  // Enabled so that the picker shows its place in the order.
  f.DateTimePicker1->setEnabled(true);
  const std::vector<QWidget*> named = {f.Edit1,   f.Button1, f.ComboBox1, f.Edit2,   f.DateTimePicker1,
                                       f.BitBtn1, f.BitBtn2, f.CheckBox1, f.BitBtn7, f.BitBtn3,
                                       f.BitBtn4, f.BitBtn5, f.BitBtn6,   f.BitBtn8, f.ListBox1};
  // The control that a focusable widget belongs to (an editable combo box's
  // edit belongs to the combo box).
  auto owner = [&](QWidget* widget) -> QWidget* {
    for (QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
      if (std::find(named.begin(), named.end(), w) != named.end()) return w;
    }
    return widget;
  };
  // Walk the chain as Tab does: widgets that take tab focus themselves.
  std::vector<QWidget*> order;
  QWidget* w = f.Edit1;
  for (int step = 0; step < 500; ++step) {
    if ((w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && w->isVisibleTo(&f) &&
        w->focusProxy() == nullptr) {
      QWidget* control = owner(w);
      if (order.empty() || order.back() != control) {
        if (!order.empty() && control == order.front()) break;
        order.push_back(control);
      }
    }
    w = w->nextInFocusChain();
  }
  EXPECT_EQ(order, named);
}

TEST_F(SearchWindowTest, BitmapButtonsShowDistinctPicturesOnTransparentGround) {
  TForm1& f = *form_;
  std::vector<QImage> pictures;
  for (QPushButton* button : {f.BitBtn1, f.BitBtn2, f.BitBtn3, f.BitBtn4, f.BitBtn5, f.BitBtn6, f.BitBtn7,
                              f.BitBtn8}) {
    SCOPED_TRACE(button->text().toStdString());
    EXPECT_EQ(button->iconSize(), QSize(32, 32));
    const QImage picture = button->icon().pixmap(32, 32).toImage();
    ASSERT_EQ(picture.size(), QSize(32, 32));
    ASSERT_TRUE(picture.hasAlphaChannel());
    EXPECT_EQ(qAlpha(picture.pixel(0, 31)), 0) << "lower-left pixel";
    int opaque = 0;
    for (int y = 0; y < 32; ++y) {
      for (int x = 0; x < 32; ++x) opaque += qAlpha(picture.pixel(x, y)) == 255;
    }
    EXPECT_GT(opaque, 100) << "the picture shows an object";
    for (const QImage& other : pictures) EXPECT_NE(picture, other);
    pictures.push_back(picture);
  }
}

TEST_F(SearchWindowTest, ResizeRulePlacesTheLowerPanelAndTheList) {
  struct Case {
    QSize clientSize;
    int panel2Top;
    QRect list;
    bool scrollBars;
  };
  // Outer size = client size + 8 x 34.
  const Case cases[] = {
      {{661, 502}, 406, {4, 185, 655, 211}, false},
      {{800, 600}, 504, {4, 185, 794, 309}, false},
      {{661, 330}, 234, {4, 185, 655, 39}, false},
      // Too small for the list: it keeps no area, and the panels need scroll bars.
      {{400, 250}, 154, {4, 185, 394, 0}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.clientSize.width());
    form_->resize(c.clientSize);
    QCoreApplication::processEvents();
    EXPECT_EQ(form_->Panel2->geometry(), QRect(4, c.panel2Top, 653, 58));
    EXPECT_EQ(form_->ListBox1->geometry(), c.list);
    EXPECT_EQ(form_->StatusBar1->geometry(), QRect(0, c.clientSize.height() - 22, c.clientSize.width(), 22));
    EXPECT_EQ(form_->Panel1->geometry(), QRect(6, 12, 639, 153));
    EXPECT_EQ(form_->ClientArea()->horizontalScrollBar()->isVisible(), c.scrollBars);
  }
}

TEST(SearchWindowStart, FormCreateSetsTheInitialState) {
  QTemporaryDir temp;
  SteppingClock clock(QDate(1899, 12, 30).daysTo(QDate(2024, 2, 29)) + 0.75, 0);
  kop::ScopedClock useClock(clock);
  StopRequested = true;
  Searcher.reset();

  TForm1 form(temp.path().toStdString() + "/");

  EXPECT_EQ(Form1, &form);
  EXPECT_FALSE(StopRequested);
  EXPECT_EQ(form.DateTimePicker1->date(), QDate(2024, 2, 29));
  EXPECT_FALSE(form.DateTimePicker1->isEnabled());
  EXPECT_FALSE(form.CheckBox1->isChecked());
  ASSERT_NE(Searcher, nullptr);
  EXPECT_EQ(Searcher->DataDir, temp.path().toStdString() + "/");
  EXPECT_EQ(form.ResultList()->rowCount(), 0);
  Searcher.reset();
}

TEST_F(SearchWindowTest, SearchCommandsListTheFoundFilesAndWriteTheSummary) {
  MakeTree({"a.txt", "b.doc", "NOTES.TXT", "sub/c.txt", "sub/deeper/d.txt", "sub/deeper/e.htm", "empty/f.doc"});
  WriteFile(fs::path(root_) / "sub/needle.txt", "hay and NeEdLe here");
  WriteFile(fs::path(root_) / "sub/deeper/hay.txt", "hay only");
  struct Case {
    const char* name;
    QString pattern;
    QString keyword;
    std::vector<std::string> found;
  };
  const Case cases[] = {
      {"type only", QStringLiteral("*.txt"), {},
       {"a.txt", "NOTES.TXT", "sub/c.txt", "sub/deeper/d.txt", "sub/needle.txt", "sub/deeper/hay.txt"}},
      {"two types", QStringLiteral("*.doc;*.htm"), {}, {"b.doc", "sub/deeper/e.htm", "empty/f.doc"}},
      {"keyword in content", QStringLiteral("*.txt"), QStringLiteral("needle"), {"sub/needle.txt"}},
      {"nothing found", QStringLiteral("*.xls"), {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SteppingClock clock(45000.5, 2.25);
    kop::ScopedClock useClock(clock);
    TypeCriteria(root_, c.pattern, c.keyword);
    Click(form_->BitBtn7);

    EXPECT_EQ(SortedListing(), Under(root_, c.found));
    EXPECT_EQ(StatusText(), Summary(static_cast<int>(c.found.size()), "2.25"));
    EXPECT_TRUE(form_->StatusPanel(0)->text().isEmpty());
    EXPECT_TRUE(fs::exists(Searcher->CacheFileName));
  }
}

TEST_F(SearchWindowTest, ListKeepsTheExactBytesOfEachPathAndShowsThemDecoded) {
  const std::string oddName = "bad\xff\xfe name.txt";
  MakeTree({oddName, "中文.txt"});
  TypeCriteria(root_);
  Click(form_->BitBtn7);

  ASSERT_EQ(SortedListing(), Under(root_, {oddName, "中文.txt"}));
  QStringList shown;
  for (int row = 0; row < 2; ++row) shown << form_->ResultList()->index(row).data().toString();
  shown.sort();
  const QString root = QString::fromStdString(root_);
  EXPECT_EQ(shown, QStringList({root + QStringLiteral("/bad\uFFFD\uFFFD name.txt"),
                                root + QStringLiteral("/中文.txt")}));
}

TEST_F(SearchWindowTest, QuickSearchVisitsOnlyTheFoldersTheLastFullSearchRecorded) {
  MakeTree({"a.txt", "sub/b.txt", "other/c.doc"});
  TypeCriteria(root_);
  Click(form_->BitBtn7);
  ASSERT_EQ(SortedListing(), Under(root_, {"a.txt", "sub/b.txt"}));

  MakeTree({"other/new.txt", "sub/newer.txt"});
  Click(form_->BitBtn1);
  EXPECT_EQ(SortedListing(), Under(root_, {"a.txt", "sub/b.txt", "sub/newer.txt"}));
  Click(form_->BitBtn7);
  EXPECT_EQ(SortedListing(), Under(root_, {"a.txt", "other/new.txt", "sub/b.txt", "sub/newer.txt"}));
}

TEST_F(SearchWindowTest, BlankLocationChangesNothing) {
  MakeTree({"a.txt", "b.txt"});
  TypeCriteria(root_);
  Click(form_->BitBtn7);
  const std::vector<std::string> listed = SortedListing();
  const QString status = StatusText();
  ASSERT_EQ(listed.size(), 2u);
  Click(form_->BitBtn2);  // a stop request while idle stays until a search starts
  ASSERT_TRUE(StopRequested);

  for (const QString& blank : {QString(), QStringLiteral("   "), QStringLiteral(" \t\r\n ")}) {
    SCOPED_TRACE(blank.size());
    form_->Edit1->setText(blank);
    Click(form_->BitBtn7);
    Click(form_->BitBtn1);
    EXPECT_EQ(SortedListing(), listed);
    EXPECT_EQ(StatusText(), status);
    EXPECT_TRUE(StopRequested);
  }
}

TEST_F(SearchWindowTest, StopDuringASearchEndsItWithoutWritingTheCache) {
  MakeTree({"a.txt", "b.txt", "c.txt", "sub/d.txt"});
  TypeCriteria(root_);
  form_->SetEventFrameInterval(std::chrono::milliseconds(0));

  // The press arrives while the root folder's report lets events through;
  // the next report carries the stop: a subfolder yields nothing, a file is
  // still listed and ends the root's walk.
  AtNextEvents(form_.get(), [this] { Click(form_->BitBtn2); });
  Click(form_->BitBtn7);
  ASSERT_EQ(form_->ResultList()->rowCount(), 1);
  const std::vector<std::string> all = Under(root_, {"a.txt", "b.txt", "c.txt"});
  EXPECT_NE(std::find(all.begin(), all.end(), form_->ResultList()->PathBytes(0)), all.end());
  EXPECT_EQ(StatusText(), Summary(1, "0.50"));
  EXPECT_FALSE(fs::exists(Searcher->CacheFileName));

  // A stop pressed while idle does not reach the next search.
  Click(form_->BitBtn2);
  Click(form_->BitBtn7);
  EXPECT_EQ(SortedListing(), Under(root_, {"a.txt", "b.txt", "c.txt", "sub/d.txt"}));
  EXPECT_TRUE(fs::exists(Searcher->CacheFileName));
}

TEST_F(SearchWindowTest, ListIsCompleteWheneverEventsAreLetThrough) {
  MakeTree({"a.txt", "b.txt", "c.txt"});
  TypeCriteria(root_);
  form_->SetEventFrameInterval(std::chrono::milliseconds(0));
  std::set<int> rowsSeen;
  {
    AtEveryEvents watch([&] { rowsSeen.insert(form_->ResultList()->rowCount()); });
    Click(form_->BitBtn7);
  }
  // One frame at the folder report, one after each hit.
  EXPECT_EQ(rowsSeen, (std::set<int>{0, 1, 2, 3}));
}

TEST_F(SearchWindowTest, CacheThatCannotBeWrittenShowsTheErrorReportAndNoSummary) {
  WriteFile(top_ / "plain");
  OpenWindow((top_ / "plain" / "data").string() + "/");
  MakeTree({"a.txt", "b.txt"});
  RecordingDialogs dialogs;
  kop::ScopedDialogs useDialogs(dialogs);
  TypeCriteria(root_);
  Click(form_->BitBtn7);

  ASSERT_EQ(dialogs.reports.size(), 1u);
  EXPECT_EQ(dialogs.reports[0].caption, kop::ApplicationTitle());
  EXPECT_EQ(dialogs.reports[0].text,
            QStringLiteral("不能创建文件 ") + QString::fromStdString(Searcher->CacheFileName) + ".");
  // The lines found so far stay; the status keeps the last folder.
  EXPECT_EQ(SortedListing(), Under(root_, {"a.txt", "b.txt"}));
  EXPECT_EQ(StatusText(), QString::fromStdString(root_));

  // The window carries on.
  Click(form_->BitBtn7);
  EXPECT_EQ(dialogs.reports.size(), 2u);
  EXPECT_EQ(form_->ResultList()->rowCount(), 2);
}

TEST_F(SearchWindowTest, SearchCommandDuringASearchDoesNothing) {
  MakeTree({"a1.txt", "a2.txt"});
  const std::string otherRoot = (top_ / "other").string();
  WriteFile(fs::path(otherRoot) / "b.txt");
  TypeCriteria(root_);
  form_->SetEventFrameInterval(std::chrono::milliseconds(0));

  AtNextEvents(form_.get(), [&] {
    form_->Edit1->setText(QString::fromStdString(otherRoot));
    Click(form_->BitBtn7);
    Click(form_->BitBtn1);
  });
  Click(form_->BitBtn7);

  EXPECT_EQ(SortedListing(), Under(root_, {"a1.txt", "a2.txt"}));
  EXPECT_EQ(StatusText(), Summary(2, "0.50"));
  EXPECT_EQ(Searcher->FolderList, std::vector<std::string>{root_});
  EXPECT_FALSE(StopRequested);
}

TEST_F(SearchWindowTest, CloseDuringASearchStopsItAndClosesAfterwards) {
  MakeTree({"a.txt", "b.txt", "c.txt"});
  TypeCriteria(root_);
  form_->SetEventFrameInterval(std::chrono::milliseconds(0));
  bool closedAtOnce = true;
  bool searcherDuringClose = false;
  std::string cacheFile;

  AtNextEvents(form_.get(), [&] {
    closedAtOnce = form_->close();
    searcherDuringClose = Searcher != nullptr;
    if (Searcher) cacheFile = Searcher->CacheFileName;
  });
  Click(form_->BitBtn7);

  EXPECT_FALSE(closedAtOnce);
  EXPECT_TRUE(searcherDuringClose);
  EXPECT_TRUE(StopRequested);
  EXPECT_EQ(form_->ResultList()->rowCount(), 1) << "the search stopped at its next report";
  EXPECT_FALSE(fs::exists(cacheFile));
  EXPECT_FALSE(form_->isVisible());
  EXPECT_EQ(Searcher, nullptr);
}

}  // namespace
