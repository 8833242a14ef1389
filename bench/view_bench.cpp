// How a page is seen in the runtime's two view modes, side by side in one
// run on one X server: windowed (each page Chromium's own X window inside the
// launcher's widget) and windowless (a headless Chromium's screencast painted
// into the widget). Figures: the frames per second of an animating page at
// 1280x720 and 1920x1080, the CPU Chromium and the launcher spend meanwhile,
// the time from a key press to the first frame that shows its change, beside
// Chromium's own window on the same server, and how sharp a windowless frame
// of text is at Qt's scale 1 and 2.
//
// Needs an X server; scripts/bench.sh runs it (from build/) as
//   xvfb-run -a -s "-screen 0 2048x1200x24" env QT_QPA_PLATFORM=xcb
//   QT_XCB_GL_INTEGRATION=none bench/vell_view_bench
// It starts openbox when no window manager runs (and openbox is installed),
// then runs itself once per mode (--view-mode=windowed|windowless: the runtime
// picks its mode once, at CefInitialize), then Chromium alone for the key
// test's peer.
//
// How each figure is taken:
// - Windowed frames are those Chromium presents in its X window, counted from
//   the X server's damage reports on that window (without a GPU Chromium puts
//   each frame into the window with one shared-memory image, which Xvfb
//   reports as damage; reports closer than 4 ms are taken as one frame). The
//   page's own animation frames are recorded beside them as a check.
// - Windowless frames are those painted into the launcher's surface.
// - CPU: Chromium's whole process tree, and the launcher's process with its
//   render sub-process; the X server's is recorded too.
// - Text: the share of off-white pixels in the rows between lines of 12 px
//   black text in a windowless frame (JPEG ringing shows there first).
// - Keys: windowed and Chromium alone get a real key press through XTest, and
//   the change is read back from the X server (the window's colour, read on
//   each damage report); windowless gets a Qt key event into its surface and
//   the change is seen in the first frame painted with the new colour.
//
// Where the time goes (perf over the whole machine, windowless at
// 1920x1080): nearly all of it in Chromium's browser process, which with
// --in-process-gpu also composites; a third of that is the kernel giving
// fresh pages to each frame's buffers (page faults, zeroing, unmapping) in
// the compositor and the encoder's threads, an eighth the JPEG encoder. The
// launcher's libjpeg decode is about a tenth of the machine's CPU; the
// renderer, which draws the animation, less. Windowed, the launcher does
// nothing per frame.
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include <QApplication>
#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <nlohmann/json.hpp>

#include "bench_support.h"
#include "chromium_peer.h"
#include "core/VellBootstrap.h"
#include "core/VellBrowserLifeSpanMonitor.h"
#include "core/VellSettings.h"
#include "v8_api/VellV8Handler.h"
#include "view_mode_run.h"
#include "view_pages.h"
#include "x_key_latency.h"
#include "x_screen.h"

namespace {

using nlohmann::json;

constexpr char kModeOption[] = "--view-mode=";
constexpr char kHiDpiMode[] = "windowless-2x";
constexpr double kOffWhiteGoal = 0.5;
constexpr char kOutOption[] = "--view-out=";
constexpr int kModeTimeoutMs = 180000;
constexpr int kWindowManagerTimeoutMs = 10000;
constexpr int kCloseTimeoutMs = 10000;
constexpr int kPeerFocusTimeoutMs = 5000;
constexpr char kPeerTitle[] = "vell-view-peer";
constexpr double kFramesGoal = 55;
constexpr double kWindowlessSmallGoal = 58;
constexpr double kWindowlessLargeGoal = 45;
constexpr double kCpuGoal = 0.3;
constexpr double kKeyGoalMs = 50;

std::string Option(int argc, char** argv, const std::string& name) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind(name, 0) == 0) return arg.substr(name.size());
  }
  return {};
}

std::string Format(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof(text), format, value);
  return text;
}

double Ratio(double value, double peer) { return peer > 0 ? value / peer : 0; }

// --- One mode, in a process of its own -------------------------------------

int RunMode(int argc, char** argv, const std::string& mode, const std::string& out) {
  // Gone with the run that started it (and its Chromium with it).
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (getppid() == 1) return 1;
  qputenv("QT_QPA_PLATFORM", "xcb");
  // The text's sharpness again at Qt's scale 2 (HiDPI), windowless.
  const bool hidpi = mode == kHiDpiMode;
  if (hidpi) qputenv("QT_SCALE_FACTOR", "2");
  if (qEnvironmentVariableIsEmpty("QT_XCB_GL_INTEGRATION")) qputenv("QT_XCB_GL_INTEGRATION", "none");
  QApplication app(argc, argv);
  const bool windowed = mode == "windowed";
  VellSettings::Instance()->ModifyNativeCefSettings([windowed](CefSettings& settings) {
    CefString(&settings.browser_subprocess_path) = VELL_SUBPROCESS_PATH;
    CefString(&settings.cache_path) = "";
    settings.log_severity = LOGSEVERITY_ERROR;
    settings.windowless_rendering_enabled = windowed ? 0 : 1;
  });
  VellBootstrap bootstrap;
  bootstrap.Initialize(new VellApp(new VellV8Handler(), nullptr), argc, argv);
  json figures;
  {
    ViewModeRun run(windowed);
    figures = hidpi ? json{{"text", run.Text()}} : run.Run();
  }
  std::ofstream(out) << figures.dump();
  VellBrowserLifeSpanMonitor::Instance()->Wait(kCloseTimeoutMs);
  CefShutdown();
  return figures.contains("error") ? 1 : 0;
}

// --- The whole run ------------------------------------------------------------

// openbox, as the X11 tests run it, unless a window manager is there already.
bool StartWindowManager(QProcess& process, XScreen& screen) {
  if (screen.HasWindowManager()) return true;
  const QString openbox = QStandardPaths::findExecutable("openbox");
  if (openbox.isEmpty()) return false;
  process.start(openbox, {"--sm-disable"});
  if (!process.waitForStarted()) return false;
  return screen.WaitForWindowManager(kWindowManagerTimeoutMs);
}

void StopProcessTree(QProcess& process) {
  if (process.state() == QProcess::NotRunning) return;
  for (pid_t pid : ProcessTree(static_cast<pid_t>(process.processId()))) kill(pid, SIGKILL);
  process.waitForFinished(kCloseTimeoutMs);
}

json MeasureMode(const std::string& mode) {
  QTemporaryDir folder;
  const QString out = folder.filePath("figures.json");
  QProcess child;
  child.setProcessChannelMode(QProcess::ForwardedChannels);
  child.start(QCoreApplication::applicationFilePath(),
              {QString::fromStdString(kModeOption + mode), QString(kOutOption) + out});
  if (!child.waitForFinished(kModeTimeoutMs)) {
    StopProcessTree(child);
    return {{"error", "no figures in " + std::to_string(kModeTimeoutMs / 1000) + " s"}};
  }
  std::ifstream file(out.toStdString());
  const json figures = json::parse(file, nullptr, false);
  if (!figures.is_object()) return {{"error", "the run ended without figures"}};
  return figures;
}

json MeasurePeer(XScreen& screen) {
  ChromiumPeer peer;
  std::string error;
  if (!peer.Start(KeyPage(kPeerTitle), kPeerTitle, kKeySize.width, kKeySize.height, screen, error)) {
    return {{"error", error}};
  }
  int x = 0, y = 0, width = 0, height = 0;
  screen.Geometry(peer.Window(), x, y, width, height);
  // The window manager gives a new window the keyboard; a click makes sure.
  screen.Click(x + width / 2, y + height / 2);
  const bool focused = screen.WaitForFocus(peer.Window(), kPeerFocusTimeoutMs);
  XKeyLatency latency(screen, peer.Window());
  const std::vector<double> times = latency.Measure(kKeyPresses, kKeyWarmUp);
  return {{"keys",
           {{"ms", times},
            {"missed", latency.Missed()},
            {"window_focused", focused},
            {"damage_reports", screen.DamageReports()}}}};
}

// --- The report ---------------------------------------------------------------

void ReportFrames(BenchReport& report, const std::string& size, const json& windowed, const json& windowless) {
  const double frames = windowed.value("frames_per_s", 0.0);
  const double peer = windowless.value("frames_per_s", 0.0);
  const bool large = size == SizeName(kViewSizes[1]);
  report.Row("view " + size + " animating, windowed", Format("%.1f frames/s", frames),
             Format("windowless %.1f frames/s", peer), Ratio(frames, peer),
             large ? Format(">= %.0f frames/s", kFramesGoal) : "(reference)");
  // Windowless on its own goal: what two cores give when Chromium reads back,
  // encodes and sends every frame and the launcher decodes and paints it.
  report.Row("view " + size + " animating, windowless", Format("%.1f frames/s", peer),
             Format("windowed %.1f frames/s", frames), Ratio(peer, frames),
             Format(">= %.0f frames/s", large ? kWindowlessLargeGoal : kWindowlessSmallGoal));
  report.Row("view " + size + " animating, windowed, page's animation frames",
             Format("%.1f frames/s", windowed.value("page_frames_per_s", 0.0)),
             Format("presented %.1f frames/s", frames), Ratio(windowed.value("page_frames_per_s", 0.0), frames),
             "(reference)");
  for (const char* mode : {"windowed", "windowless"}) {
    const json& figures = std::string(mode) == "windowed" ? windowed : windowless;
    for (const char* key : {"frames_per_s", "page_frames_per_s", "damage_reports_per_s", "chromium_cpu_per_s",
                            "launcher_cpu_per_s", "x_server_cpu_per_s"}) {
      report.Figure(std::string(mode) + "_" + size + "_" + key, figures.value(key, -1.0));
    }
    const json kinds = figures.value("chromium_cpu_per_s_by_kind", json::object());
    for (const auto& [kind, cpu] : kinds.items()) {
      report.Figure(std::string(mode) + "_" + size + "_chromium_" + kind + "_cpu_per_s", cpu.get<double>());
    }
  }
}

void ReportCpu(BenchReport& report, const std::string& size, const json& windowed, const json& windowless) {
  const auto row = [&](const std::string& what, double value, double peer, const std::string& goal) {
    report.Row("view " + size + " animating, CPU, windowed, " + what, Format("%.2f s/s", value),
               Format("windowless %.2f s/s", peer), Ratio(value, peer), goal);
  };
  const double chromium = windowed.value("chromium_cpu_per_s", 0.0);
  const double launcher = windowed.value("launcher_cpu_per_s", 0.0);
  const double chromiumPeer = windowless.value("chromium_cpu_per_s", 0.0);
  const double launcherPeer = windowless.value("launcher_cpu_per_s", 0.0);
  row("Chromium", chromium, chromiumPeer, "(reference)");
  row("launcher", launcher, launcherPeer, "(reference)");
  row("Chromium + launcher", chromium + launcher, chromiumPeer + launcherPeer, Format("<= %.1fx windowless", kCpuGoal));
  // Per frame shown: a busy machine leaves windowless fewer frames, and so
  // less CPU per second, than it would take.
  const double perFrame = Ratio(chromium + launcher, windowed.value("frames_per_s", 0.0)) * 1000;
  const double perFramePeer = Ratio(chromiumPeer + launcherPeer, windowless.value("frames_per_s", 0.0)) * 1000;
  report.Row("view " + size + " animating, CPU per frame, windowed, Chromium + launcher", Ms(perFrame),
             "windowless " + Ms(perFramePeer), Ratio(perFrame, perFramePeer), "(reference)");
  row("X server", windowed.value("x_server_cpu_per_s", 0.0), windowless.value("x_server_cpu_per_s", 0.0),
      "(reference)");
}

void ReportKeys(BenchReport& report, const json& windowed, const json& windowless, const json& peer) {
  const double own = Median(peer.value("ms", std::vector<double>()));
  const std::string ownText = "Chromium's own window " + Ms(own);
  const std::string goal = "<= Chromium's + 2 frames, <= " + Format("%.0f ms", kKeyGoalMs);
  const double keyWindowed = Median(windowed.value("ms", std::vector<double>()));
  const double keyWindowless = Median(windowless.value("ms", std::vector<double>()));
  report.Row("key -> first changed frame, windowed, median", Ms(keyWindowed), ownText, Ratio(keyWindowed, own), goal);
  report.Row("key -> first changed frame, windowless, median", Ms(keyWindowless), ownText, Ratio(keyWindowless, own),
             goal);
  report.Figure("key_windowed_median_ms", keyWindowed);
  report.Figure("key_windowless_median_ms", keyWindowless);
  report.Figure("key_chromium_median_ms", own);
  report.Figure("key_windowed_missed", windowed.value("missed", -1));
  report.Figure("key_windowless_missed", windowless.value("missed", -1));
  report.Figure("key_chromium_missed", peer.value("missed", -1));
  report.Figure("key_windowed_damage_reports", windowed.value("damage_reports", -1));
  report.Figure("key_chromium_damage_reports", peer.value("damage_reports", -1));
}

// Off-white between lines of text, against the goal (no lossless peer frame
// exists in the runtime: the figure is its own measure, and 0 is lossless).
void ReportText(BenchReport& report, const json& windowless, const json& hidpi) {
  for (const json* figures : {&windowless, &hidpi}) {
    const json text = figures->value("text", json::object());
    const int scale = text.value("scale", 0);
    const double off = text.value("off_white_percent", -1.0);
    report.Row("text between lines, windowless, off-white, scale " + std::to_string(scale), Format("%.2f %%", off),
               "lossless 0 %", 0, Format("<= %.1f %%", kOffWhiteGoal));
    report.Figure("text_off_white_percent_scale_" + std::to_string(scale), off);
  }
}

void Report(const json& windowed, const json& windowless, const json& peer, const json& hidpi) {
  // Everything measured, for the log.
  std::printf("windowed: %s\nwindowless: %s\nChromium alone: %s\n", windowed.dump().c_str(), windowless.dump().c_str(),
              peer.dump().c_str());
  BenchReport report("view");
  for (const ViewSize& size : kViewSizes) {
    const std::string name = SizeName(size);
    const json none = json::object();
    const json& one = windowed.contains("sizes") ? windowed["sizes"].value(name, none) : none;
    const json& other = windowless.contains("sizes") ? windowless["sizes"].value(name, none) : none;
    ReportFrames(report, name, one, other);
    ReportCpu(report, name, one, other);
  }
  ReportKeys(report, windowed.value("keys", json::object()), windowless.value("keys", json::object()),
             peer.value("keys", json::object()));
  ReportText(report, windowless, hidpi);
}

int RunAll(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  XScreen::IgnoreErrors();
  XScreen screen;
  if (!screen.IsOpen()) {
    std::printf("needs an X server, e.g. xvfb-run -a -s \"-screen 0 2048x1200x24\" %s\n", argv[0]);
    return 1;
  }
  if (!screen.HasDamage()) std::printf("the X server has no DAMAGE extension: windowed frames are not counted\n");
  QProcess windowManager;
  if (!StartWindowManager(windowManager, screen)) std::printf("no window manager: openbox did not start\n");
  const json windowed = MeasureMode("windowed");
  const json windowless = MeasureMode("windowless");
  const json hidpi = MeasureMode(kHiDpiMode);
  const json peer = MeasurePeer(screen);
  Report(windowed, windowless, peer, hidpi);
  windowManager.terminate();
  if (!windowManager.waitForFinished(kCloseTimeoutMs)) StopProcessTree(windowManager);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = Option(argc, argv, kModeOption);
  if (mode.empty()) return RunAll(argc, argv);
  return RunMode(argc, argv, mode, Option(argc, argv, kOutOption));
}
