#pragma once

#include <QEventLoop>

// A loop that ends after a given number of Resolve() calls. With a count of 0
// the first Resolve() ends it; a negative count never ends it. Qt thread only.
class VellQEventLoop : public QEventLoop {
  Q_OBJECT

 public:
  explicit VellQEventLoop(QObject* parent = nullptr);
  explicit VellQEventLoop(int count, QObject* parent = nullptr);

  void Resolve();
  int GetRemainingResolve() const { return m_nRemainingResolve; }

 private:
  int m_nRemainingResolve = 0;
};
