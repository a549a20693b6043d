// The window tests run offscreen unless a platform is chosen, with the one
// QApplication they all share.
#include <gtest/gtest.h>

#include <QApplication>
#include <QString>
#include <cstdlib>

namespace {

QtMessageHandler defaultHandler = nullptr;

// The offscreen platform warns at every window it shows; the warning says
// nothing about our code and buries the test output.
void QuietOffscreenWarnings(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message.contains(QLatin1String("does not support propagateSizeHints"))) return;
  defaultHandler(type, context, message);
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", /*overwrite=*/0);
  defaultHandler = qInstallMessageHandler(QuietOffscreenWarnings);
  QApplication application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
