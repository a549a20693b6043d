#include "platform/dialogs.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>

namespace kop {
namespace {

class QtDialogs : public Dialogs {
 public:
  void ShowErrorReport(QWidget* parent, const QString& caption, const QString& text) override {
    QMessageBox::critical(parent, caption, text);
  }
};

Dialogs* current = nullptr;

}  // namespace

Dialogs& CurrentDialogs() {
  static QtDialogs real;
  return current != nullptr ? *current : real;
}

ScopedDialogs::ScopedDialogs(Dialogs& dialogs) : previous_(current) { current = &dialogs; }

ScopedDialogs::~ScopedDialogs() { current = previous_; }

QString ApplicationTitle() {
  QString name = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
  name = name.left(name.indexOf('.'));
  if (name.isEmpty()) return name;
  return name.left(1).toUpper() + name.mid(1).toLower();
}

void ProcessPendingEvents() { QCoreApplication::processEvents(); }

}  // namespace kop
