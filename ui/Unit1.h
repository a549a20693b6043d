// The search window: its controls and layout, the search commands, the stop
// button and the callback through which the searcher delivers results. The
// window does no searching of its own; it hands the criteria to the one
// searcher and shows what comes back, decoding bytes only for display.
#pragma once

#include <QMainWindow>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/code_page.h"
#include "platform/display_text.h"
#include "search/kopkuisou.h"

class QCheckBox;
class QCloseEvent;
class QComboBox;
class QDateEdit;
class QFrame;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QResizeEvent;
class QScrollArea;
class QShowEvent;
class QStatusBar;
class ResultListModel;

class TForm1 : public QMainWindow {
  Q_OBJECT

 public:
  // Builds the window with its stored layout and runs FormCreate. The
  // searcher keeps its folder cache files in `dataFolder`. The new window
  // becomes Form1.
  explicit TForm1(const std::string& dataFolder, QWidget* parent = nullptr);
  // Clears Form1 when it names this window.
  ~TForm1() override;

  // Initial state: no stop request, the date picker at today and disabled,
  // the date filter off, a fresh Searcher.
  void FormCreate();
  // Places the lower panel and the result list for the window's outer size.
  void FormResize();
  // Releases Searcher. Runs when a close is accepted, which is only while no
  // search is running.
  void FormClose();
  // 快速搜索 and 全面搜索: run a search of the criteria in the edits, then
  // write the summary. Do nothing when the location is blank or a search is
  // already running. A failure of the searcher passes through to the
  // caller; the button connections report it.
  void BitBtn1Click();
  void BitBtn7Click();
  // 停止: asks the running search to stop.
  void BitBtn2Click();

  // Events are let through during a search at most once per `interval`
  // (15 ms unless set); 0 lets them through at every folder and hit report.
  void SetEventFrameInterval(std::chrono::milliseconds interval);

  // The result lines with their exact bytes.
  ResultListModel* ResultList() const { return results_; }
  // The status bar's panels: 0 stays empty, 1 holds every text.
  QLabel* StatusPanel(int index) const { return statusPanels_[index]; }
  // The scroll area that holds everything above the status bar.
  QScrollArea* ClientArea() const { return clientArea_; }

  QFrame* Panel1 = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QLabel* Label3 = nullptr;
  QLabel* Label4 = nullptr;
  QLabel* Label5 = nullptr;
  QLineEdit* Edit1 = nullptr;
  QPushButton* Button1 = nullptr;
  QComboBox* ComboBox1 = nullptr;
  QLineEdit* Edit2 = nullptr;
  QDateEdit* DateTimePicker1 = nullptr;
  QPushButton* BitBtn1 = nullptr;
  QPushButton* BitBtn2 = nullptr;
  QCheckBox* CheckBox1 = nullptr;
  QPushButton* BitBtn7 = nullptr;
  QStatusBar* StatusBar1 = nullptr;
  QFrame* Panel2 = nullptr;
  QPushButton* BitBtn3 = nullptr;
  QPushButton* BitBtn4 = nullptr;
  QPushButton* BitBtn5 = nullptr;
  QPushButton* BitBtn6 = nullptr;
  QPushButton* BitBtn8 = nullptr;
  QListView* ListBox1 = nullptr;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  // While a search runs the close waits: it asks the search to stop and
  // happens once the search command has returned.
  void closeEvent(QCloseEvent* event) override;

 private:
  friend void SearchCallback(const std::string& path, std::int32_t code, bool& stop);
  class RunningSearch;

  void BuildControls();
  void ConnectHandlers();
  // Runs a handler and shows a failure that escapes it as the default error
  // report, so no exception reaches the event loop; then carries out a close
  // that had to wait for a search.
  void RunGuarded(void (TForm1::*handler)());
  void RunSearchCommand(bool quick);
  void ShowStatusText(const QString& text);
  // Lets pending events through when a frame interval has passed since the
  // last time, after publishing the lines appended meanwhile.
  void LetEventsThroughWhenDue();

  std::string dataFolder_;
  kop::CodePage codePage_;
  ResultListModel* results_ = nullptr;
  QLabel* statusPanels_[2] = {nullptr, nullptr};
  QScrollArea* clientArea_ = nullptr;
  QWidget* client_ = nullptr;
  bool searchRunning_ = false;
  bool closeDeferred_ = false;
  std::chrono::steady_clock::duration eventFrameInterval_ = std::chrono::milliseconds(15);
  std::chrono::steady_clock::time_point lastEventFrame_;
};

// The one main window; SearchCallback reaches the controls through it.
extern TForm1* Form1;
// The stop request of the running search: cleared at every search start, set
// by 停止 (and by a close during a search), copied into every report's stop
// flag.
extern bool StopRequested;
// The one searcher, owned here from FormCreate to FormClose.
extern std::unique_ptr<Tkopkuisou> Searcher;

// The window's report routine: answers every report with StopRequested; lists
// a hit, shows a folder in the status bar, and lets pending events through
// (at most once per frame interval). Other codes return at once.
void SearchCallback(const std::string& path, std::int32_t code, bool& stop);
