#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include <QObject>

#include "base/VellError.h"

class QEventLoop;

// A nested Qt event loop that remembers why it ended. Every ending other than
// SafeQuit() is returned as an error record. Qt thread only.
class VellObservableEventLoop : public QObject {
  Q_OBJECT

 public:
  enum class ExitStatus : int32_t { Init = 0, SafeQuit = 1, Timeout = 2, Destroyed = 3, UnExpected = 4 };

  explicit VellObservableEventLoop(QObject* parent = nullptr);
  ~VellObservableEventLoop() override;

  // Runs until the loop is quit. A loop that has already ended (SafeQuit()
  // before Exec() included) returns success at once and does not run again.
  // Deleting this object while Exec() runs is safe: Exec() returns without
  // touching it.
  std::shared_ptr<VellError> Exec();
  std::shared_ptr<VellError> ExecWithTimeout(int msec);
  bool SafeQuit();

  ExitStatus GetExitStatus() const { return m_exitStatus; }

  static bool GetExitStatusDescription(ExitStatus status, std::string& description);
  static bool IsExitStatusSuccess(ExitStatus status);

 private:
  friend class VellEventLoopManager;

  void _UpdateExitStatus();
  void _MarkSafeQuit();
  static std::shared_ptr<VellError> _ResultOf(ExitStatus status);

  ExitStatus m_exitStatus = ExitStatus::Init;
  bool m_bSafeQuit = false;
  bool m_bTimeout = false;
  bool m_bDestroyed = false;
  QEventLoop* m_pLoop = nullptr;
  // While Exec() runs: where the destructor leaves the final status.
  ExitStatus* m_pRunningOutcome = nullptr;
};
