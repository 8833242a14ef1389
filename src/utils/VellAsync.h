#pragma once

#include <functional>
#include <memory>

#include <QFutureWatcher>
#include <QPointer>
#include <QtConcurrent/QtConcurrentRun>

#include "base/VellError.h"
#include "utils/VellEventLoopManager.h"

// The result of a task run on Qt's global thread pool. Created, awaited and
// read on the Qt thread; the task itself must not touch Qt objects.
template <class T>
class VellAsync : public QObject {
 public:
  using Task = std::function<std::shared_ptr<VellError>(T&)>;

  VellAsync(Task task, QObject* parent)
      : QObject(parent),
        m_pWatcher(new QFutureWatcher<Outcome>(this)),
        m_pEventLoopManager(new VellEventLoopManager(this)) {
    m_pWatcher->setFuture(QtConcurrent::run([task = std::move(task)]() {
      Outcome outcome;
      outcome.error = VellError::TryCatch([&]() { return task(outcome.value); });
      return outcome;
    }));
  }

  bool IsFinished() const { return m_pWatcher->isFinished(); }

  // Waits in a nested loop until the task is done; msec < 1 waits without limit.
  // The watcher reports finishing through its own events, so nothing is missed
  // between the check and the connection.
  // Returns the task's error, or the wait's error when it timed out.
  std::shared_ptr<VellError> Await(int msec) {
    if (!IsFinished()) {
      QPointer<VellObservableEventLoop> loop = m_pEventLoopManager->RequestEventLoop();
      auto* receiver = new QObject(this);
      QObject::connect(m_pWatcher, &QFutureWatcherBase::finished, receiver, [loop]() {
        if (loop) loop->SafeQuit();
      });
      auto waitError = msec < 1 ? loop->Exec() : loop->ExecWithTimeout(msec);
      receiver->deleteLater();
      if (waitError) return waitError;
    }
    return GetError();
  }

  // Valid once finished.
  std::shared_ptr<VellError> GetError() const { return m_pWatcher->result().error; }
  T GetResult() const { return m_pWatcher->result().value; }

  QFutureWatcherBase* GetWatcher() const { return m_pWatcher; }

 private:
  struct Outcome {
    T value{};
    std::shared_ptr<VellError> error;
  };

  QFutureWatcher<Outcome>* m_pWatcher;
  VellEventLoopManager* m_pEventLoopManager;
};
