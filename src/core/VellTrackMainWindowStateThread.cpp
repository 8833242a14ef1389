#include "core/VellTrackMainWindowStateThread.h"

#include <QTimer>

VellTrackMainWindowStateThread::VellTrackMainWindowStateThread(int nPollMs, std::function<void()> task)
    : m_nPollMs(nPollMs), m_fnTask(std::move(task)) {}

void VellTrackMainWindowStateThread::run() {
  auto* timer = new QTimer();  // created here, so it lives (and fires) in this thread
  connect(timer, &QTimer::timeout, timer, m_fnTask);
  timer->start(m_nPollMs);
  exec();
  timer->stop();
  timer->deleteLater();  // deleted as the thread finishes
}
