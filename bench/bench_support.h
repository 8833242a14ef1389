#pragma once
// What every benchmark needs: a way for runtime callbacks (on TID_UI) to wake
// the Qt thread, and a wait on a condition with a time-out.

#include <functional>

#include <QEventLoop>
#include <QObject>
#include <QTimer>

class Waker : public QObject {
  Q_OBJECT
 signals:
  void Wake();
};

// Runs the Qt event loop until `done` holds (checked on each Wake) or `ms` pass.
inline bool WaitFor(Waker& waker, const std::function<bool()>& done, int ms) {
  if (done()) return true;
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  QObject::connect(&waker, &Waker::Wake, &loop, [&] {
    if (done()) loop.quit();
  });
  loop.exec();
  return done();
}
