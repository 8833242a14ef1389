#pragma once
// What every benchmark needs: a way for runtime callbacks (on TID_UI) to wake
// the Qt thread, and a wait on a condition with a time-out.

#include <functional>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QObject>
#include <QTimer>

class Waker : public QObject {
  Q_OBJECT
 signals:
  void Wake();
};

// Runs the Qt event loop until `done` holds (checked on each Wake) or `ms` pass.
inline bool WaitFor(Waker& waker, const std::function<bool()>& done, int ms) {
  if (done()) return true;
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  QObject::connect(&waker, &Waker::Wake, &loop, [&] {
    if (done()) loop.quit();
  });
  loop.exec();
  return done();
}

#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <iterator>
#include <sstream>

#include <fstream>
#include <string>
#include <vector>

// Runs the Qt event loop until `done` holds or `ms` pass; returns `done()`.
// `done` is checked after each batch of events, and at least every 5 ms for
// what other threads change without an event. (processEvents with a time
// limit never waits for events: it would keep the Qt thread busy, which a
// CPU figure would count and the machine's other processes would feel.)
inline bool RunUntil(const std::function<bool()>& done, int ms) {
  QElapsedTimer timer;
  timer.start();
  QTimer tick;
  tick.start(5);
  while (!done() && timer.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  return done();
}

// Runs the Qt event loop for `ms`.
inline void RunFor(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

// `root` and every process below it (from /proc's child lists).
inline std::vector<pid_t> ProcessTree(pid_t root) {
  std::vector<pid_t> tree;
  std::vector<pid_t> pending{root};
  while (!pending.empty()) {
    const pid_t pid = pending.back();
    pending.pop_back();
    tree.push_back(pid);
    std::ifstream children("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/children");
    for (pid_t child; children >> child;) pending.push_back(child);
  }
  return tree;
}

// Proportional set size of one process in kB (0 when it is gone).
inline long ProcessPssKb(pid_t pid) {
  std::ifstream rollup("/proc/" + std::to_string(pid) + "/smaps_rollup");
  for (std::string key; rollup >> key;) {
    long value = 0;
    if (key == "Pss:" && rollup >> value) return value;
    rollup.ignore(1 << 12, '\n');
  }
  return 0;
}

// CPU seconds of a process from /proc (user + system).
inline double ProcessCpuSeconds(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  const auto close = text.rfind(')');
  if (close == std::string::npos) return 0;
  std::istringstream fields(text.substr(close + 2));
  std::string field;
  unsigned long long utime = 0, stime = 0;
  for (int i = 3; fields >> field; ++i) {
    if (i == 14) utime = std::stoull(field);
    if (i == 15) {
      stime = std::stoull(field);
      break;
    }
  }
  return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// CPU seconds of `root` and every process below it.
inline double TreeCpuSeconds(pid_t root) {
  double total = 0;
  for (pid_t pid : ProcessTree(root)) total += ProcessCpuSeconds(pid);
  return total;
}

// Chromium's browser process and all its children (renderers, GPU, utilities).
inline double ChromiumTreeCpuSeconds(pid_t root) { return TreeCpuSeconds(root); }

// This process and its children (render sub-processes) but Chromium's tree:
// the launcher's own share.
inline double LauncherCpuSeconds(pid_t chromium) { return TreeCpuSeconds(getpid()) - TreeCpuSeconds(chromium); }

inline double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>

// The figures of one benchmark: table rows (measure, this project, the limit
// or peer measured in the same run, ratio, goal) printed as they come, and
// numbers written as a JSON object when VELL_BENCH_OUT names a folder (one
// `<section>.json` and the rows appended to `rows.tsv`, which scripts/bench.sh
// gathers into one table and one file).
class BenchReport {
 public:
  explicit BenchReport(std::string section) : section_(std::move(section)) {}
  ~BenchReport() { Write(); }

  void Row(const std::string& measure, const std::string& value, const std::string& peer, double ratio,
           const std::string& goal) {
    char ratioText[32];
    std::snprintf(ratioText, sizeof(ratioText), "%.2f", ratio);
    const std::string row = measure + "\t" + value + "\t" + peer + "\t" + ratioText + "\t" + goal;
    std::printf("%-48s %-18s %-26s %6s  %s\n", measure.c_str(), value.c_str(), peer.c_str(), ratioText, goal.c_str());
    std::fflush(stdout);
    rows_.push_back(row);
  }
  void Figure(const std::string& key, double value) { figures_[key] = value; }
  // An object of figures beside them, e.g. "zip": {"cold_ratio": 1.1}.
  void Object(const std::string& key, const std::map<std::string, double>& figures) { objects_[key] = figures; }

 private:
  void Write() const {
    const char* folder = std::getenv("VELL_BENCH_OUT");
    if (!folder || !*folder) return;
    std::ofstream json(std::string(folder) + "/" + section_ + ".json");
    std::string members = Members(figures_);
    for (const auto& [key, figures] : objects_) {
      members += (members.empty() ? "\"" : ", \"") + key + "\": {" + Members(figures) + "}";
    }
    json << "\"" << section_ << "\": {" << members << "}";
    std::ofstream table(std::string(folder) + "/rows.tsv", std::ios::app);
    for (const auto& row : rows_) table << row << "\n";
  }

  // `"key": number, ...` (null for what is not a number).
  static std::string Members(const std::map<std::string, double>& figures) {
    std::string json;
    const char* separator = "";
    for (const auto& [key, value] : figures) {
      char number[64] = "null";
      if (std::isfinite(value)) std::snprintf(number, sizeof(number), "%.4g", value);
      json += separator + ("\"" + key + "\": ") + number;
      separator = ", ";
    }
    return json;
  }

  std::string section_;
  std::vector<std::string> rows_;
  std::map<std::string, std::map<std::string, double>> objects_;
  std::map<std::string, double> figures_;
};

// An environment variable set to something other than nothing.
inline bool EnvFlag(const char* name) {
  const char* value = std::getenv(name);
  return value && *value;
}

inline std::string Ms(double ms) {
  char text[32];
  std::snprintf(text, sizeof(text), "%.2f ms", ms);
  return text;
}
