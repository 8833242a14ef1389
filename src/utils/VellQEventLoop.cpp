#include "utils/VellQEventLoop.h"

VellQEventLoop::VellQEventLoop(QObject* parent) : QEventLoop(parent) {}

VellQEventLoop::VellQEventLoop(int count, QObject* parent)
    : QEventLoop(parent), m_nRemainingResolve(count) {}

void VellQEventLoop::Resolve() {
  if (m_nRemainingResolve < 0) return;
  if (m_nRemainingResolve > 0 && --m_nRemainingResolve > 0) return;
  quit();
}
