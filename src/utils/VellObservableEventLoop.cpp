#include "utils/VellObservableEventLoop.h"

#include <QEventLoop>
#include <QTimer>

VellObservableEventLoop::VellObservableEventLoop(QObject* parent)
    : QObject(parent), m_pLoop(new QEventLoop(this)) {}

VellObservableEventLoop::~VellObservableEventLoop() {
  m_bDestroyed = true;
  if (!m_pRunningOutcome) return;
  // Exec() is still on the stack: hand it the outcome, and keep the nested
  // loop alive until it has unwound (deferred deletion runs in an outer loop).
  _UpdateExitStatus();
  *m_pRunningOutcome = m_exitStatus;
  m_pLoop->setParent(nullptr);
  m_pLoop->quit();
  m_pLoop->deleteLater();
}

std::shared_ptr<VellError> VellObservableEventLoop::Exec() {
  if (m_exitStatus != ExitStatus::Init) return nullptr;
  ExitStatus outcome = ExitStatus::Init;
  m_pRunningOutcome = &outcome;
  m_pLoop->exec();
  if (outcome != ExitStatus::Init) return _ResultOf(outcome);  // destroyed while running
  m_pRunningOutcome = nullptr;
  _UpdateExitStatus();
  return _ResultOf(m_exitStatus);
}

std::shared_ptr<VellError> VellObservableEventLoop::ExecWithTimeout(int msec) {
  QTimer timer;
  timer.setSingleShot(true);
  connect(&timer, &QTimer::timeout, this, [this]() {
    m_bTimeout = true;
    m_pLoop->quit();
  });
  timer.start(msec);
  return Exec();
}

bool VellObservableEventLoop::SafeQuit() {
  _MarkSafeQuit();
  return true;
}

void VellObservableEventLoop::_MarkSafeQuit() {
  m_bSafeQuit = true;
  m_exitStatus = ExitStatus::SafeQuit;
  m_pLoop->quit();
}

void VellObservableEventLoop::_UpdateExitStatus() {
  if (m_bSafeQuit) {
    m_exitStatus = ExitStatus::SafeQuit;
  } else if (m_bTimeout) {
    m_exitStatus = ExitStatus::Timeout;
  } else if (m_bDestroyed) {
    m_exitStatus = ExitStatus::Destroyed;
  } else {
    m_exitStatus = ExitStatus::UnExpected;
  }
}

std::shared_ptr<VellError> VellObservableEventLoop::_ResultOf(ExitStatus status) {
  if (IsExitStatusSuccess(status)) return nullptr;
  std::string description;
  GetExitStatusDescription(status, description);
  return std::make_shared<VellError>(description, __FILE__, __LINE__, "VellObservableEventLoop::Exec");
}

bool VellObservableEventLoop::GetExitStatusDescription(ExitStatus status, std::string& description) {
  switch (status) {
    case ExitStatus::Init:
      description = "Current exit status is under 'Init' which means the event loop is not execute and is running.";
      return true;
    case ExitStatus::SafeQuit:
      description = "Current exit status is under 'SafeQuit' which means the event loop exit manually by user. It means it quit normally and successfully";
      return true;
    case ExitStatus::Timeout:
      description = "Current exit status is under 'Timeout' which means the event loop has exited by timeout.";
      return true;
    case ExitStatus::Destroyed:
      description = "Current exit status is under 'Destroyed' which means the event loop is quit because of destruction. It may be due to instance destroyed or qApp exit";
      return true;
    case ExitStatus::UnExpected:
      description = "Current exit status is under 'UnExpected' which means the event loop has exited unexpectedly.";
      return true;
  }
  description = "Unknown exit. exitStatus: " + std::to_string(static_cast<int32_t>(status));
  return false;
}

bool VellObservableEventLoop::IsExitStatusSuccess(ExitStatus status) { return status == ExitStatus::SafeQuit; }
