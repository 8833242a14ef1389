// The Vell demo launcher: a game launcher whose interface is web pages,
// brought up the way the framework's README tells launcher developers.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QtDebug>
#include <cstdio>

#include "app/DemoLauncher.h"
#include "app/DemoOptions.h"
#include "app/DemoRuntime.h"
#include "utils/VellLeakSanitizerDefaults.h"

namespace {

// Installed, the sub-process executable sits beside the launcher; in the
// build tree it is where the framework's build put it.
QString SubprocessPath(const QString& applicationDir) {
  const QString beside = applicationDir + "/vell_subprocess";
  return QFileInfo::exists(beside) ? beside : QString(VELL_DEMO_SUBPROCESS_PATH);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setOrganizationName("Vell");
  QApplication::setApplicationName("Demo Launcher");
  // The launcher ends after its shutdown, not when its last window goes.
  QApplication::setQuitOnLastWindowClosed(false);
  const QString applicationDir = QApplication::applicationDirPath();
  DemoOptions options;
  const QString usage = options.Parse(QApplication::arguments(), applicationDir);
  if (!usage.isEmpty()) {
    std::fprintf(options.bHelp ? stdout : stderr, "%s\n", usage.toUtf8().constData());
    return options.bHelp ? 0 : 2;
  }
  // The render processes read the page-side SDK from the working directory's
  // vell/extension; the build puts a copy beside the launcher.
  QDir::setCurrent(applicationDir);
  const QString featuresError = DemoRuntime::Start(argc, argv, options.strFeaturesFile, SubprocessPath(applicationDir));
  if (!featuresError.isEmpty()) qWarning().noquote() << featuresError;
  int exitCode = 0;
  {
    DemoLauncher launcher(options);
    launcher.Start();
    exitCode = QApplication::exec();
  }
  // What the pool let go at the end is freed before the runtime goes.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  DemoRuntime::Stop();
  return exitCode;
}
