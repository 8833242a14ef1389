#include "view_mode_run.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QKeyEvent>

#include "bench_support.h"
#include "damage_counter.h"
#include "testing_hooks.h"
#include "view/surface_window.h"
#include "view_pages.h"
#include "x_key_latency.h"
#include "x_screen.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kSettleMs = 1000;
constexpr int kMeasureMs = 5000;
constexpr int kFocusTimeoutMs = 5000;
constexpr int kKeysTimeoutMs = 90000;
constexpr char kKeyPageTitle[] = "vell-view-key";

double Number(const std::string& text) { return text.empty() ? 0 : std::atof(text.c_str()); }

// The X server of $DISPLAY (Xvfb under the benchmark), found by its display
// argument; -1 when it is not a process of this machine's.
pid_t XServerPid() {
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) return -1;
  const std::string name = std::string(display).substr(0, std::string(display).find('.'));
  DIR* proc = opendir("/proc");
  if (!proc) return -1;
  pid_t found = -1;
  while (dirent* entry = readdir(proc)) {
    const pid_t pid = std::atoi(entry->d_name);
    if (pid <= 0) continue;
    std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
    std::string command;
    if (!(comm >> command) || (command != "Xvfb" && command != "Xorg")) continue;
    std::ifstream cmdline("/proc/" + std::to_string(pid) + "/cmdline");
    for (std::string arg; std::getline(cmdline, arg, '\0');) {
      if (arg == name) found = pid;
    }
  }
  closedir(proc);
  return found;
}

// CPU seconds of Chromium's processes by kind (--type=: "browser" for the
// browser process, "gpu-process", "renderer", "utility"...). Chromium's
// child processes rewrite their command line into one string.
std::map<std::string, double> ChromiumCpuByKind(pid_t chromium) {
  std::map<std::string, double> byKind;
  for (pid_t pid : ProcessTree(chromium)) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/cmdline");
    std::string cmdline((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::replace(cmdline.begin(), cmdline.end(), '\0', ' ');
    const size_t type = cmdline.find("--type=");
    const std::string kind =
        type == std::string::npos ? "browser" : cmdline.substr(type + 7, cmdline.find(' ', type) - type - 7);
    byKind[kind] += ProcessCpuSeconds(pid);
  }
  return byKind;
}

// The CPU seconds spent so far by each party to a frame.
struct CpuSample {
  std::map<std::string, double> chromium;  // by kind
  double launcher = 0;
  double xServer = -1;  // -1: not found
};

CpuSample TakeCpuSample(pid_t chromium, pid_t xServer) {
  CpuSample sample;
  sample.chromium = ChromiumCpuByKind(chromium);
  sample.launcher = LauncherCpuSeconds(chromium);
  if (xServer > 0) sample.xServer = ProcessCpuSeconds(xServer);
  return sample;
}

nlohmann::json CpuPerSecond(const CpuSample& before, const CpuSample& after, double seconds) {
  nlohmann::json kinds = nlohmann::json::object();
  double chromium = 0;
  for (const auto& [kind, cpu] : after.chromium) {
    const auto earlier = before.chromium.find(kind);
    const double spent = cpu - (earlier == before.chromium.end() ? 0 : earlier->second);
    kinds[kind] = spent / seconds;
    chromium += spent;
  }
  return {{"chromium_cpu_per_s", chromium / seconds},
          {"chromium_cpu_per_s_by_kind", kinds},
          {"launcher_cpu_per_s", (after.launcher - before.launcher) / seconds},
          {"x_server_cpu_per_s", before.xServer < 0 ? -1 : (after.xServer - before.xServer) / seconds}};
}

// The share of pixels off-white (a channel under 250) in the rows between
// lines of text: rows at least two CSS pixels from any row holding ink (a
// pixel darker than 128), between the first and the last such row.
double OffWhiteBetweenLines(const QImage& frame, int scale) {
  std::vector<bool> ink(frame.height(), false);
  for (int y = 0; y < frame.height(); ++y) {
    for (int x = 0; x < frame.width() && !ink[y]; ++x) ink[y] = qGray(frame.pixel(x, y)) < 128;
  }
  const auto first = std::find(ink.begin(), ink.end(), true);
  const auto last = std::find(ink.rbegin(), ink.rend(), true);
  if (first == ink.end()) return -1;
  const int from = static_cast<int>(first - ink.begin());
  const int to = frame.height() - 1 - static_cast<int>(last - ink.rbegin());
  const int margin = 2 * scale;
  long pixels = 0, off = 0;
  for (int y = from; y <= to; ++y) {
    bool nearInk = false;
    for (int d = -margin; d <= margin && !nearInk; ++d) nearInk = y + d >= 0 && y + d < frame.height() && ink[y + d];
    if (nearInk) continue;
    for (int x = 0; x < frame.width(); ++x) {
      const QRgb pixel = frame.pixel(x, y);
      ++pixels;
      off += std::min({qRed(pixel), qGreen(pixel), qBlue(pixel)}) < 250;
    }
  }
  return pixels ? 100.0 * off / pixels : -1;
}

// Frames are centred: the page is the same colour all over.
int CentreColour(const QImage& frame) {
  if (frame.isNull()) return -1;
  return KeyColourIndex(frame.pixel(frame.width() / 2, frame.height() / 2) & 0xffffff);
}

}  // namespace

nlohmann::json ViewModeRun::Run() {
  nlohmann::json figures = {{"mode", windowed_ ? "windowed" : "windowless"}};
  if (!page_.Start(kViewSizes[0].width, kViewSizes[0].height)) return {{"error", "the browser was not shown"}};
  if (windowed_ != (page_.ChromiumWindow() != 0)) return {{"error", "the runtime is not in the mode asked for"}};
  QObject::connect(page_.Surface(), &cefcompat::SurfaceWindow::FramePainted, [this] { ++painted_; });
  if (!page_.Load(AnimatingPage(), "window.__frames > 30")) return {{"error", "the animating page did not start"}};
  for (const ViewSize& size : kViewSizes) figures["sizes"][SizeName(size)] = Animate(size.width, size.height);
  figures["keys"] = Keys();
  if (!windowed_) figures["text"] = Text();
  return figures;
}

nlohmann::json ViewModeRun::Text() {
  if (!page_.Surface()) {
    if (!page_.Start(kViewSizes[0].width, kViewSizes[0].height)) return {{"error", "the browser was not shown"}};
    QObject::connect(page_.Surface(), &cefcompat::SurfaceWindow::FramePainted, [this] { ++painted_; });
  }
  if (!page_.Load(TextPage(), "window.__ready === 1")) return {{"error", "the text page did not load"}};
  // A frame painted after the page settled.
  RunFor(kSettleMs);
  const int before = painted_;
  page_.Evaluate("document.body.append(' ')");
  QElapsedTimer waited;
  waited.start();
  while (painted_ == before && waited.elapsed() < kFocusTimeoutMs) RunFor(50);
  const QImage frame = page_.Surface()->LastFrame();
  const int scale = qRound(page_.Surface()->devicePixelRatio());
  return {{"scale", scale},
          {"frame_width", frame.width()},
          {"off_white_percent", OffWhiteBetweenLines(frame.convertToFormat(QImage::Format_RGB32), scale)}};
}

nlohmann::json ViewModeRun::Animate(int width, int height) {
  if (!page_.Resize(width, height)) return {{"error", "the page did not take the size"}};
  RunFor(kSettleMs);
  DamageCounter damage;
  const bool counting = windowed_ && damage.Start(page_.ChromiumWindow());
  const pid_t chromium = cefcompat::ChromiumPidForTesting();
  const pid_t xServer = XServerPid();
  const int paintedBefore = painted_;
  const double pageFramesBefore = Number(page_.Evaluate("window.__frames"));
  const CpuSample cpuBefore = TakeCpuSample(chromium, xServer);
  QElapsedTimer elapsed;
  elapsed.start();
  RunFor(kMeasureMs);
  const double seconds = elapsed.elapsed() / 1000.0;
  nlohmann::json figures = CpuPerSecond(cpuBefore, TakeCpuSample(chromium, xServer), seconds);
  const double pageFrames = Number(page_.Evaluate("window.__frames")) - pageFramesBefore;
  const DamageCounter::Counts counts = damage.Stop();
  // Windowed: frames Chromium presented in its X window, from the X server's
  // damage reports. Windowless: frames painted into the surface.
  const double frames = windowed_ ? counts.frames : painted_ - paintedBefore;
  figures["frames_per_s"] = frames / seconds;
  figures["page_frames_per_s"] = pageFrames / seconds;
  figures["damage_reports_per_s"] = counting ? counts.reports / seconds : -1;
  return figures;
}

nlohmann::json ViewModeRun::Keys() {
  if (!page_.Resize(kKeySize.width, kKeySize.height)) return {{"error", "the page did not take the size"}};
  const std::string ready = "typeof paint === 'function' && document.title === '" + std::string(kKeyPageTitle) + "'";
  if (!page_.Load(KeyPage(kKeyPageTitle), ready)) return {{"error", "the key page did not load"}};
  const std::vector<double> times = windowed_ ? WindowedKeys() : WindowlessKeys();
  return {{"ms", times}, {"missed", missed_}, {"page_focused", focused_}, {"damage_reports", damageReports_}};
}

std::vector<double> ViewModeRun::WindowedKeys() {
  XScreen screen;
  if (!screen.IsOpen()) return {};
  // A click gives the page the keyboard, as a person does before typing.
  const QPoint centre = page_.GlobalCentre();
  screen.Click(centre.x(), centre.y());
  focused_ = page_.WaitForPage("document.hasFocus()", kFocusTimeoutMs);
  // The presses wait on X from a thread of their own; the Qt thread goes on
  // as a launcher's does.
  XKeyLatency latency(screen, page_.ChromiumWindow());
  std::vector<double> times;
  std::atomic<bool> done{false};
  std::thread presses([&] {
    times = latency.Measure(kKeyPresses, kKeyWarmUp);
    done = true;
  });
  RunUntil([&done] { return done.load(); }, kKeysTimeoutMs);
  presses.join();  // each press gives up after kKeyChangeTimeoutMs
  missed_ = latency.Missed();
  damageReports_ = screen.DamageReports();
  return times;
}

std::vector<double> ViewModeRun::WindowlessKeys() {
  focused_ = page_.Evaluate("document.hasFocus()") == "true";
  std::vector<double> times;
  for (int press = 0; press < kKeyWarmUp + kKeyPresses; ++press) {
    const double ms = WindowlessPress();
    RunFor(KeyPauseMs(press));
    if (press < kKeyWarmUp) continue;
    if (ms < 0) {
      ++missed_;
    } else {
      times.push_back(ms);
    }
  }
  return times;
}

// The time ends as the frame is painted into the surface's backing store;
// Qt hands that to the X server right after.
double ViewModeRun::WindowlessPress() {
  cefcompat::SurfaceWindow* surface = page_.Surface();
  const int wanted = CentreColour(surface->LastFrame()) == 0 ? 1 : 0;
  Clock::time_point seen;
  const auto connection = QObject::connect(surface, &cefcompat::SurfaceWindow::FramePainted, [&] {
    if (seen == Clock::time_point() && CentreColour(surface->LastFrame()) == wanted) seen = Clock::now();
  });
  const auto pressed = Clock::now();
  QKeyEvent down(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
  QCoreApplication::sendEvent(surface, &down);
  RunUntil([&seen] { return seen != Clock::time_point(); }, kKeyChangeTimeoutMs);
  QObject::disconnect(connection);
  QKeyEvent up(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, "a");
  QCoreApplication::sendEvent(surface, &up);
  if (seen == Clock::time_point()) return -1;
  return std::chrono::duration<double, std::milli>(seen - pressed).count();
}
