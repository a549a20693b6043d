// The window half of kopsou, loaded by the program only when it opens the
// window, so that `kopsou search` starts without the toolkit.
#include <string>

#include <QApplication>

#include "platform/code_page.h"
#include "platform/file_system.h"
#include "platform/places.h"
#include "ui/Unit1.h"

extern "C" __attribute__((visibility("default"))) int KopsouRunWindow(int argc, char** argv) {
  // This module keeps its own copy of the platform state; the program has
  // already warned about a code page it does not know.
  std::string ignoredWarning;
  kop::SetProcessCodePage(kop::CodePageFromEnvironment(&ignoredWarning));

  QApplication application(argc, argv);
  const std::string dataFolder = kop::DefaultDataFolder();
  kop::MakeFolders(dataFolder);
  Form1 = new TForm1(dataFolder);
  Form1->show();
  const int status = application.exec();
  delete Form1;
  Form1 = nullptr;
  return status;
}
