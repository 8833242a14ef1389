#pragma once

#include <QEventLoop>

// Owns one event loop; ends it (if running) when destroyed. Qt thread only.
class VellQLock {
 public:
  VellQLock() : m_pEventLoop(new QEventLoop()) {}
  ~VellQLock() {
    if (m_pEventLoop->isRunning()) m_pEventLoop->quit();
    m_pEventLoop->deleteLater();
  }
  VellQLock(const VellQLock&) = delete;
  VellQLock& operator=(const VellQLock&) = delete;

 private:
  QEventLoop* m_pEventLoop;
};
