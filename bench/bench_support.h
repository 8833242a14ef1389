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

#include <iterator>
#include <sstream>

#include <fstream>
#include <string>
#include <vector>

// Runs the Qt event loop until `done` holds or `ms` pass; returns `done()`.
inline bool RunUntil(const std::function<bool()>& done, int ms) {
  QElapsedTimer timer;
  timer.start();
  while (!done() && timer.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
  return done();
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

// Chromium's browser process and all its children (renderers, GPU, utilities).
inline double ChromiumTreeCpuSeconds(pid_t root) {
  double total = 0;
  for (pid_t pid : ProcessTree(root)) total += ProcessCpuSeconds(pid);
  return total;
}
