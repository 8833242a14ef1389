#include "WaitUntil.h"

#include <QCoreApplication>
#include <QElapsedTimer>

bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer timer;
  timer.start();
  while (!done() && timer.elapsed() < timeoutMs) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  return done();
}
