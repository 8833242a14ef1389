#pragma once

#include <functional>

#include <QThread>

// The main-window tracker's polling thread: runs its task every poll interval
// on a timer that lives in this thread, until the thread's event loop quits.
// Built, started, quit and deleted by the tracker on the tracker's thread;
// the task runs on this thread only.
class VellTrackMainWindowStateThread : public QThread {
  Q_OBJECT

 public:
  VellTrackMainWindowStateThread(int nPollMs, std::function<void()> task);

 protected:
  void run() override;

 private:
  const int m_nPollMs;
  const std::function<void()> m_fnTask;
};
