#include "core/VellBrowserLifeSpanMonitor.h"

#include <QPointer>
#include <QThread>

VellBrowserLifeSpanMonitor::VellBrowserLifeSpanMonitor() : m_pEventLoopManager(new VellEventLoopManager(this)) {}

void VellBrowserLifeSpanMonitor::UpdateBrowserCounter(bool increase) {
  if (nBrowserCount.fetch_add(increase ? 1 : -1) + (increase ? 1 : -1) == 0) emit OnBrowserCountZero();
}

std::shared_ptr<VellError> VellBrowserLifeSpanMonitor::Wait(int timeoutMs) {
  Q_ASSERT(QThread::currentThread() == thread());
  if (nBrowserCount == 0) return nullptr;
  QPointer<VellObservableEventLoop> loop = m_pEventLoopManager->RequestEventLoop();
  auto* context = new QObject(this);
  connect(this, &VellBrowserLifeSpanMonitor::OnBrowserCountZero, context, [loop] {
    if (loop) loop->SafeQuit();
  }, Qt::QueuedConnection);
  // A browser may have gone between the check and the connection.
  if (nBrowserCount == 0) loop->SafeQuit();
  auto result = timeoutMs < 1 ? loop->Exec() : loop->ExecWithTimeout(timeoutMs);
  context->deleteLater();
  if (loop) loop->deleteLater();
  return result;
}
