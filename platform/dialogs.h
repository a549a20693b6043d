// Modal boxes the window shows. Tests install a recorder through
// ScopedDialogs so that no test waits on a modal window.
#pragma once

#include <QString>

class QWidget;

namespace kop {

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // The default error report: a critical message box with an OK button.
  virtual void ShowErrorReport(QWidget* parent, const QString& caption, const QString& text) = 0;
};

Dialogs& CurrentDialogs();

class ScopedDialogs {
 public:
  explicit ScopedDialogs(Dialogs& dialogs);
  ~ScopedDialogs();
  ScopedDialogs(const ScopedDialogs&) = delete;
  ScopedDialogs& operator=(const ScopedDialogs&) = delete;

 private:
  Dialogs* previous_;
};

// The application title: the executable's name up to its first ".", first
// letter upper case and the rest lower case ("Kopsou").
QString ApplicationTitle();

// Lets the window system handle every pending event, then returns.
void ProcessPendingEvents();

}  // namespace kop
