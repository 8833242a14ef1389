#pragma once

#include <functional>
#include <memory>

#include <QObject>
#include <QVector>

#include "utils/VellObservableEventLoop.h"

// Hands out nested loops and ends all of them when destroyed, so that no wait
// outlives its owner. Qt thread only.
//
// The waiting pattern, which Await runs: request a loop, hold it in a
// QPointer, connect the awaited signal (with a short-lived receiver as
// context) to SafeQuit(), then Exec() or ExecWithTimeout(); a signal that
// came before Exec() is not missed.
class VellEventLoopManager : public QObject {
  Q_OBJECT

 public:
  explicit VellEventLoopManager(QObject* parent = nullptr);
  ~VellEventLoopManager() override;

  VellObservableEventLoop* RequestEventLoop();

  // Runs a nested loop until the quit that `connectQuit` wires up is called:
  // it gets a receiver to connect with (deleted after the wait) and the quit.
  // A timeout below 1 waits without limit, else ends with the loop's timeout
  // error. The loop is deleted afterwards.
  using ConnectQuit = std::function<void(QObject* context, const std::function<void()>& quit)>;
  std::shared_ptr<VellError> Await(const ConnectQuit& connectQuit, int timeoutMs);

 private:
  void _QuitAll(bool);

  QVector<VellObservableEventLoop*> m_vecEventLoops;
};
