#include "utils/VellEventLoopManager.h"

#include <QPointer>

VellEventLoopManager::VellEventLoopManager(QObject* parent) : QObject(parent) {}

VellEventLoopManager::~VellEventLoopManager() {
  _QuitAll(false);
  m_vecEventLoops.clear();
  // The loops are children: QObject's destructor deletes them next.
}

VellObservableEventLoop* VellEventLoopManager::RequestEventLoop() {
  auto* loop = new VellObservableEventLoop(this);
  m_vecEventLoops.append(loop);
  // A caller may delete its loop once done with it.
  connect(loop, &QObject::destroyed, this, [this, loop] { m_vecEventLoops.removeOne(loop); });
  return loop;
}

void VellEventLoopManager::_QuitAll(bool) {
  for (auto* loop : m_vecEventLoops) loop->_MarkSafeQuit();
}

std::shared_ptr<VellError> VellEventLoopManager::Await(const ConnectQuit& connectQuit, int timeoutMs) {
  QPointer<VellObservableEventLoop> loop = RequestEventLoop();
  auto* context = new QObject(this);
  connectQuit(context, [loop] {
    if (loop) loop->SafeQuit();
  });
  auto result = timeoutMs < 1 ? loop->Exec() : loop->ExecWithTimeout(timeoutMs);
  context->deleteLater();
  if (loop) loop->deleteLater();
  return result;
}
