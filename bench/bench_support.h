#pragma once
// What every benchmark needs: a way for runtime callbacks (on TID_UI) to wake
// the Qt thread, and a wait on a condition with a time-out.

#include <functional>

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

#include <fstream>
#include <string>
#include <vector>

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
