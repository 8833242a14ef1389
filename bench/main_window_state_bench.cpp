// Chromium's CPU for an animating page in a browser widget while the
// launcher's main window is shown, covered by another window, and minimised.
// Prints each figure beside the shown one, as a ratio against the goal.
// Needs an X server (covering is read from it), e.g.:
//   xvfb-run -a -s "-screen 0 1280x1024x24" build/bench/vell_main_window_state_bench
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <QApplication>
#include <QByteArray>
#include <QElapsedTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>

#include "bench_support.h"
#include "core/VellBootstrap.h"
#include "core/VellIndependentBrowser.h"
#include "core/VellSettings.h"
#include "core/VellTrackMainWindowState.h"
#include "core/VellWidget.h"
#include "inter/VellBrowserWrapper.h"
#include "view/surface_window.h"
#include "testing_hooks.h"
#include "v8_api/VellV8Handler.h"

namespace {

constexpr double kGoalRatio = 0.10;
constexpr int kMeasureMs = 5000;
constexpr int kSettleMs = 1000;

struct Figures {
  double cpuPerSecond = 0;
  double framesPerSecond = 0;
};

class Bench {
 public:
  bool Start() {
    m_browser.Init("about:blank");
    if (m_browser.IsInitBrowserFailed()) return false;
    m_pWidget = new VellWidget();
    auto* layout = new QVBoxLayout(&m_mainWindow);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pWidget);
    m_pWidget->ConnectCefBrowser(&m_browser);
    // Shown once the browser's view is in the widget, as a launcher shows its
    // window after building it.
    if (!RunUntil([&] { return m_pWidget->layout()->count() > 0; }, 15000)) return false;
    m_mainWindow.setGeometry(100, 100, 1024, 640);
    m_mainWindow.show();
    m_pWidget->SetMainWindow(&m_mainWindow);
    m_pTracker = m_mainWindow.findChild<VellTrackMainWindowState*>();
    QObject::connect(m_pTracker, &VellTrackMainWindowState::FireMainWindowStateChanged,
                     [this](MainWindowState state) { m_lastState = state; });
    m_pSurface = static_cast<cefcompat::SurfaceWindow*>(
        cefcompat::SurfaceForHandle(m_browser.GetVellHandler()->GetBrowser()->GetWindowHandle()));
    if (!m_pSurface) return false;
    QObject::connect(m_pSurface, &cefcompat::SurfaceWindow::FramePainted, [this] { ++m_nFrames; });
    m_pWidget->LoadUrl(AnimatingPage());
    return RunUntil([&] { return m_nFrames > 30; }, 15000);
  }

  Figures Measure() {
    RunFor(kSettleMs);
    const pid_t chromium = cefcompat::ChromiumPidForTesting();
    const int framesBefore = m_nFrames;
    const double cpuBefore = ChromiumTreeCpuSeconds(chromium);
    QElapsedTimer elapsed;
    elapsed.start();
    RunFor(kMeasureMs);
    const double seconds = elapsed.elapsed() / 1000.0;
    return {(ChromiumTreeCpuSeconds(chromium) - cpuBefore) / seconds, (m_nFrames - framesBefore) / seconds};
  }

  bool WaitForState(const std::function<bool(const MainWindowState&)>& wanted) {
    return RunUntil([&] { return wanted(m_lastState); }, 15000);
  }

  QWidget& MainWindow() { return m_mainWindow; }

  void Close() {
    delete m_pWidget;  // closes the browser
    RunFor(kSettleMs);
  }

 private:
  static std::string AnimatingPage() {
    const QByteArray html =
        "<body style='margin:0'><canvas id=c width=1024 height=640></canvas><script>"
        "const x=c.getContext('2d');let n=0;(function f(){n++;x.fillStyle='hsl('+(n%360)+',80%,50%)';"
        "x.fillRect(0,0,1024,640);x.fillStyle='#fff';x.fillRect(n%1024,280,80,80);requestAnimationFrame(f);})();"
        "</script></body>";
    return "data:text/html," + html.toPercentEncoding().toStdString();
  }

  QWidget m_mainWindow;
  VellIndependentBrowser m_browser;
  VellWidget* m_pWidget = nullptr;
  VellTrackMainWindowState* m_pTracker = nullptr;
  cefcompat::SurfaceWindow* m_pSurface = nullptr;
  MainWindowState m_lastState;
  int m_nFrames = 0;
};

void Print(const char* label, const Figures& figures, const Figures& shown) {
  const double ratio = shown.cpuPerSecond > 0 ? figures.cpuPerSecond / shown.cpuPerSecond : 0;
  std::printf("%-10s Chromium CPU %.3f s/s (shown %.3f s/s): ratio %.3f, goal <= %.2f %s; painted %.1f frames/s\n",
              label, figures.cpuPerSecond, shown.cpuPerSecond, ratio, kGoalRatio, ratio <= kGoalRatio ? "met" : "MISSED",
              figures.framesPerSecond);
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "xcb");
  QApplication app(argc, argv);
  VellSettings::Instance()->ModifyNativeCefSettings([](CefSettings& settings) {
    CefString(&settings.browser_subprocess_path) = VELL_SUBPROCESS_PATH;
    CefString(&settings.cache_path) = "";
    settings.log_severity = LOGSEVERITY_ERROR;
  });
  VellBootstrap().Initialize(new VellApp(new VellV8Handler(), nullptr), argc, argv);
  auto bench = std::make_unique<Bench>();
  if (!bench->Start()) {
    std::printf("the page did not start painting\n");
    return 1;
  }
  const Figures shown = bench->Measure();
  std::printf("%-10s Chromium CPU %.3f s/s; painted %.1f frames/s\n", "shown", shown.cpuPerSecond, shown.framesPerSecond);

  QWidget cover;
  cover.setGeometry(bench->MainWindow().geometry().adjusted(-40, -40, 40, 40));
  cover.show();
  cover.raise();
  if (bench->WaitForState([](const MainWindowState& state) { return state.bCovered; })) {
    Print("covered", bench->Measure(), shown);
  } else {
    std::printf("covered    the main window was never reported covered\n");
  }
  cover.hide();
  bench->WaitForState([](const MainWindowState& state) { return state == MainWindowState(); });

  bench->MainWindow().showMinimized();
  if (bench->WaitForState([](const MainWindowState& state) { return state.bMinimized; })) {
    Print("minimised", bench->Measure(), shown);
  } else {
    std::printf("minimised  the main window was never reported minimised\n");
  }
  bench->Close();
  bench.reset();
  CefShutdown();
  return 0;
}
