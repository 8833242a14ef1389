#include "core/VellBrowserLifeSpanMonitor.h"

#include <QCoreApplication>
#include <QThread>

// The first browser's callback may create the monitor on the runtime's UI
// thread: it and its loops belong to the Qt thread, where Wait runs.
VellBrowserLifeSpanMonitor::VellBrowserLifeSpanMonitor() : m_pEventLoopManager(new VellEventLoopManager(this)) {
  if (QCoreApplication* app = QCoreApplication::instance()) moveToThread(app->thread());
}

void VellBrowserLifeSpanMonitor::UpdateBrowserCounter(bool increase) {
  if (nBrowserCount.fetch_add(increase ? 1 : -1) + (increase ? 1 : -1) == 0) emit OnBrowserCountZero();
}

std::shared_ptr<VellError> VellBrowserLifeSpanMonitor::Wait(int timeoutMs) {
  Q_ASSERT(QThread::currentThread() == thread());
  if (nBrowserCount == 0) return nullptr;
  return m_pEventLoopManager->Await([this](QObject* context, const std::function<void()>& quit) {
    connect(this, &VellBrowserLifeSpanMonitor::OnBrowserCountZero, context, quit, Qt::QueuedConnection);
    // A browser may have gone between the check and the connection.
    if (nBrowserCount == 0) quit();
  }, timeoutMs);
}
