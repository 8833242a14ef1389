#pragma once

#include <QObject>
#include <QVector>

#include "utils/VellObservableEventLoop.h"

// Hands out nested loops and ends all of them when destroyed, so that no wait
// outlives its owner. Qt thread only.
//
// The waiting pattern: request a loop, hold it in a QPointer, connect the
// awaited signal (with a short-lived receiver as context) to SafeQuit(), then
// Exec() or ExecWithTimeout(); a signal that came before Exec() is not missed.
class VellEventLoopManager : public QObject {
  Q_OBJECT

 public:
  explicit VellEventLoopManager(QObject* parent = nullptr);
  ~VellEventLoopManager() override;

  VellObservableEventLoop* RequestEventLoop();

 private:
  void _QuitAll(bool);

  QVector<VellObservableEventLoop*> m_vecEventLoops;
};
