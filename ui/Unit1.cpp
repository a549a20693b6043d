#include "ui/Unit1.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDate>
#include <QDateEdit>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QLocale>
#include <QPushButton>
#include <QScrollArea>
#include <QStatusBar>
#include <algorithm>
#include <cmath>
#include <exception>
#include <initializer_list>
#include <iterator>

#include "helpers/search_text.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/display_text.h"
#include "ui/button_pictures.h"
#include "ui/result_list_model.h"

TForm1* Form1 = nullptr;
bool StopRequested = false;
std::unique_ptr<Tkopkuisou> Searcher;

namespace {

// The stored layout counts the border and caption as 8 x 34 px; the resize
// rule works with that outer size whatever the window manager draws.
constexpr int kBorderWidthPixels = 8;
constexpr int kBorderHeightPixels = 34;
constexpr int kClientWidthPixels = 661;
constexpr int kClientHeightPixels = 502;
constexpr int kStatusBarHeightPixels = 22;
constexpr int kBlankStatusPanelWidthPixels = 200;

QFont WindowFont() {
  QFont font;
  for (const char* family : {"SimSun", "Noto Serif CJK SC", "AR PL UMing CN", "WenQuanYi Zen Hei"}) {
    if (QFontDatabase::hasFamily(QString::fromLatin1(family))) {
      font.setFamily(QString::fromLatin1(family));
      break;
    }
  }
  font.setPixelSize(13);
  return font;
}

// The system font, marked as set so that the window's font does not reach
// the widget that carries it.
QFont SystemFont() {
  QFont font = QApplication::font();
  font.setResolveMask(QFont::AllPropertiesResolved);
  return font;
}

// A local date-time value (days since 1899-12-30) as a calendar date.
QDate DateOfLocalDays(double localDays) {
  return QDate(1899, 12, 30).addDays(static_cast<qint64>(std::floor(localDays)));
}

QFrame* NewPanel(QWidget* parent, const QRect& geometry) {
  auto* panel = new QFrame(parent);
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  panel->setLineWidth(1);
  panel->setGeometry(geometry);
  return panel;
}

// A label whose text starts at its top-left corner. With `fixedSize` it keeps
// the given size; otherwise it takes the size of its text.
QLabel* NewLabel(QWidget* parent, const QString& text, const QRect& geometry, bool fixedSize) {
  auto* label = new QLabel(text, parent);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setGeometry(geometry);
  if (!fixedSize) label->adjustSize();
  return label;
}

QPushButton* NewBitmapButton(QWidget* parent, const QString& text, ButtonPicture picture,
                             const QRect& geometry) {
  auto* button = new QPushButton(QIcon(DrawButtonPicture(picture)), text, parent);
  button->setIconSize(QSize(kButtonPictureSize, kButtonPictureSize));
  button->setGeometry(geometry);
  return button;
}

}  // namespace

// Marks the window as searching for the lifetime of one Search call. On the
// way out, returned or thrown, every appended line is published, so the list
// is complete whenever anyone can look at it.
class TForm1::RunningSearch {
 public:
  explicit RunningSearch(TForm1& form) : form_(form) {
    form_.searchRunning_ = true;
    form_.lastEventFrame_ = std::chrono::steady_clock::now();
  }
  ~RunningSearch() {
    form_.results_->Publish();
    form_.searchRunning_ = false;
  }
  RunningSearch(const RunningSearch&) = delete;
  RunningSearch& operator=(const RunningSearch&) = delete;

 private:
  TForm1& form_;
};

TForm1::TForm1(const std::string& dataFolder, QWidget* parent)
    : QMainWindow(parent), dataFolder_(dataFolder), codePage_(kop::ProcessCodePage()) {
  Form1 = this;
  setWindowTitle(QStringLiteral("Qelvo文件搜索工具"));
  setFont(WindowFont());
  BuildControls();
  ConnectHandlers();
  resize(kClientWidthPixels, kClientHeightPixels);
  move(192, 111);
  FormCreate();
}

TForm1::~TForm1() {
  if (Form1 == this) Form1 = nullptr;
}

void TForm1::BuildControls() {
  clientArea_ = new QScrollArea(this);
  clientArea_->setFrameShape(QFrame::NoFrame);
  clientArea_->setFocusPolicy(Qt::NoFocus);
  clientArea_->setWidgetResizable(true);
  client_ = new QWidget;
  clientArea_->setWidget(client_);
  setCentralWidget(clientArea_);

  Panel1 = NewPanel(client_, QRect(6, 12, 639, 153));
  Label1 = NewLabel(Panel1, QStringLiteral("搜索位置       "), QRect(32, 16, 73, 17), true);
  Label2 = NewLabel(Panel1, QStringLiteral("文件类型   "), QRect(32, 48, 73, 13), false);
  Label3 = NewLabel(Panel1, QStringLiteral("关键词\u3000\u3000"), QRect(32, 88, 65, 13), false);
  Label4 = NewLabel(Panel1, QStringLiteral("在\u3000"), QRect(32, 128, 26, 13), false);
  Label5 = NewLabel(Panel1, QStringLiteral("之后修改"), QRect(320, 120, 52, 13), false);

  Edit1 = new QLineEdit(Panel1);
  Edit1->setGeometry(112, 8, 321, 21);
  Edit1->setToolTip(QStringLiteral("输入文件夹位置如“c:\\myfile”"));

  Button1 = new QPushButton(QStringLiteral("..."), Panel1);
  Button1->setGeometry(440, 6, 25, 25);

  ComboBox1 = new QComboBox(Panel1);
  ComboBox1->setEditable(true);
  // Enter must not add the typed text to the items.
  ComboBox1->setInsertPolicy(QComboBox::NoInsert);
  ComboBox1->addItems({QStringLiteral("*.txt"), QStringLiteral("*.doc"), QStringLiteral("*.xls"),
                       QStringLiteral("*.ppt"), QStringLiteral("*.wps"), QStringLiteral("*.htm")});
  ComboBox1->setCurrentIndex(0);
  ComboBox1->setGeometry(112, 48, 145, 21);
  ComboBox1->setToolTip(QStringLiteral("文件类型如“*.txt”"));

  Edit2 = new QLineEdit(Panel1);
  Edit2->setGeometry(112, 80, 305, 21);
  Edit2->setToolTip(QStringLiteral("输入要文档中包含的词句"));

  DateTimePicker1 = new QDateEdit(Panel1);
  DateTimePicker1->setCalendarPopup(true);
  DateTimePicker1->setDisplayFormat(QLocale().dateFormat(QLocale::ShortFormat));
  DateTimePicker1->setGeometry(112, 120, 186, 21);

  BitBtn1 = NewBitmapButton(Panel1, QStringLiteral("快速搜索"), ButtonPicture::Magnifier,
                            QRect(515, 11, 97, 39));
  BitBtn2 = NewBitmapButton(Panel1, QStringLiteral("停止"), ButtonPicture::StopSign,
                            QRect(515, 100, 99, 39));
  CheckBox1 = new QCheckBox(QStringLiteral("指定时间"), Panel1);
  CheckBox1->setGeometry(392, 115, 75, 28);
  BitBtn7 = NewBitmapButton(Panel1, QStringLiteral("全面搜索"), ButtonPicture::Drive,
                            QRect(516, 58, 96, 37));

  StatusBar1 = new QStatusBar(this);
  StatusBar1->setSizeGripEnabled(true);
  StatusBar1->setFixedHeight(kStatusBarHeightPixels);
  StatusBar1->setFont(SystemFont());
  statusPanels_[0] = new QLabel(StatusBar1);
  statusPanels_[0]->setFixedWidth(kBlankStatusPanelWidthPixels);
  statusPanels_[1] = new QLabel(StatusBar1);
  // A long folder path is clipped; it must not widen the window.
  statusPanels_[1]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  statusPanels_[1]->setMinimumWidth(0);
  StatusBar1->addWidget(statusPanels_[0], 0);
  StatusBar1->addWidget(statusPanels_[1], 1);
  setStatusBar(StatusBar1);

  Panel2 = NewPanel(client_, QRect(4, 417, 653, 58));
  BitBtn3 = NewBitmapButton(Panel2, QStringLiteral("打开"), ButtonPicture::Sheet,
                            QRect(17, 12, 98, 36));
  BitBtn4 = NewBitmapButton(Panel2, QStringLiteral("复制"), ButtonPicture::Diskette,
                            QRect(141, 12, 98, 36));
  BitBtn5 = NewBitmapButton(Panel2, QStringLiteral("移动"), ButtonPicture::CompactDisc,
                            QRect(265, 12, 98, 36));
  BitBtn6 = NewBitmapButton(Panel2, QStringLiteral("删除"), ButtonPicture::WasteBin,
                            QRect(513, 12, 98, 36));
  BitBtn8 = NewBitmapButton(Panel2, QStringLiteral("转到"), ButtonPicture::Folder,
                            QRect(389, 12, 98, 36));

  results_ = new ResultListModel(codePage_, this);
  ListBox1 = new QListView(client_);
  ListBox1->setModel(results_);
  ListBox1->setUniformItemSizes(true);
  ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
  ListBox1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  ListBox1->setTextElideMode(Qt::ElideNone);
  ListBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  ListBox1->setGeometry(4, 180, 645, 225);
  results_->SetLineHeight(std::max(13, QFontMetrics(ListBox1->font()).height()));

  // Tab order: Panel1's controls, Panel2's, then the list.
  QWidget* tabOrder[] = {Edit1,   Button1, ComboBox1, Edit2,   DateTimePicker1,
                         BitBtn1, BitBtn2, CheckBox1, BitBtn7, BitBtn3,
                         BitBtn4, BitBtn5, BitBtn6,   BitBtn8, ListBox1};
  for (std::size_t i = 1; i < std::size(tabOrder); ++i) {
    QWidget::setTabOrder(tabOrder[i - 1], tabOrder[i]);
  }
}

void TForm1::ConnectHandlers() {
  connect(BitBtn1, &QPushButton::clicked, this, [this] { RunGuarded(&TForm1::BitBtn1Click); });
  connect(BitBtn7, &QPushButton::clicked, this, [this] { RunGuarded(&TForm1::BitBtn7Click); });
  connect(BitBtn2, &QPushButton::clicked, this, [this] { RunGuarded(&TForm1::BitBtn2Click); });
}

void TForm1::FormCreate() {
  StopRequested = false;
  DateTimePicker1->setDate(DateOfLocalDays(kop::CurrentClock().LocalNowDays()));
  CheckBox1->setChecked(false);
  DateTimePicker1->setEnabled(false);
  Searcher = std::make_unique<Tkopkuisou>(dataFolder_, codePage_);
}

void TForm1::FormResize() {
  const int outerWidth = width() + kBorderWidthPixels;
  const int outerHeight = height() + kBorderHeightPixels;
  Panel2->move(Panel2->x(), outerHeight - StatusBar1->height() - Panel2->height() - 50);
  const int listTop = Panel1->y() + Panel1->height() + 20;
  // A window too small for the list shows it with no area.
  ListBox1->setGeometry(ListBox1->x(), listTop, std::max(0, outerWidth - ListBox1->x() - 10),
                        std::max(0, Panel2->y() - listTop - 10));
  // Scroll bars appear when the client area cannot hold the two panels.
  const QRect panels = Panel1->geometry().united(Panel2->geometry());
  client_->setMinimumSize(std::max(0, panels.right() + 1), std::max(0, panels.bottom() + 1));
}

void TForm1::FormClose() {
  Searcher.reset();
}

void TForm1::BitBtn1Click() {
  RunSearchCommand(true);
}

void TForm1::BitBtn7Click() {
  RunSearchCommand(false);
}

void TForm1::BitBtn2Click() {
  StopRequested = true;
}

void TForm1::SetEventFrameInterval(std::chrono::milliseconds interval) {
  eventFrameInterval_ = interval;
}

void TForm1::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  FormResize();
}

void TForm1::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  FormResize();
}

void TForm1::closeEvent(QCloseEvent* event) {
  if (searchRunning_) {
    // The searcher must outlive the search that is using it.
    StopRequested = true;
    closeDeferred_ = true;
    event->ignore();
    return;
  }
  FormClose();
  event->accept();
}

void TForm1::RunGuarded(void (TForm1::*handler)()) {
  try {
    (this->*handler)();
  } catch (const std::exception& failure) {
    // The searcher's texts are bytes in our code page.
    kop::CurrentDialogs().ShowErrorReport(
        this, kop::ApplicationTitle(),
        kop::DecodeForDisplay(kop::ErrorReportText(failure.what()), codePage_));
  }
  if (closeDeferred_ && !searchRunning_) {
    closeDeferred_ = false;
    close();
  }
}

void TForm1::RunSearchCommand(bool quick) {
  // The searcher serves one request at a time, and a command pressed during
  // a search runs inside that search's event processing.
  if (searchRunning_ || !Searcher) return;
  const std::string location = kop::EncodeFromDisplay(Edit1->text(), codePage_);
  if (kop::IsBlankText(location)) return;
  const std::string keyword = kop::EncodeFromDisplay(Edit2->text(), codePage_);
  const std::string pattern = kop::EncodeFromDisplay(ComboBox1->currentText(), codePage_);

  StopRequested = false;
  results_->Clear();
  const double startDays = kop::CurrentClock().LocalNowDays();
  {
    const RunningSearch running(*this);
    Searcher->Search(keyword, location, pattern, quick, SearchCallback);
  }
  const double endDays = kop::CurrentClock().LocalNowDays();
  ShowStatusText(QString::fromUtf8(kop::SearchSummaryText(
      results_->rowCount(), kop::ElapsedSeconds(startDays, endDays))));
}

void TForm1::ShowStatusText(const QString& text) {
  statusPanels_[1]->setText(text);
}

void TForm1::LetEventsThroughWhenDue() {
  // Reports come far more often than the eye can follow; letting events
  // through at every one would cost more than the search itself.
  if (std::chrono::steady_clock::now() - lastEventFrame_ < eventFrameInterval_) return;
  results_->Publish();
  kop::ProcessPendingEvents();
  lastEventFrame_ = std::chrono::steady_clock::now();
}

void SearchCallback(const std::string& path, std::int32_t code, bool& stop) {
  // First thing: a stop pressed during this report's event processing
  // reaches the searcher with the next report.
  stop = StopRequested;
  TForm1* form = Form1;
  if (code == scFound) {
    form->results_->Append(path);
  } else if (code == scFolder) {
    form->ShowStatusText(kop::DecodeForDisplay(path, form->codePage_));
  } else {
    return;
  }
  form->LetEventsThroughWhenDue();
}
