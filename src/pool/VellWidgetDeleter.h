#pragma once

#include <QObject>

// Counts releases down and reports once when the last one is done. Qt thread.
class VellWidgetDeleter : public QObject {
  Q_OBJECT

 public:
  VellWidgetDeleter(unsigned nCount, QObject* parent);

 signals:
  void FireAllDeleted();

 public slots:
  // At 0 it does nothing: FireAllDeleted is emitted once.
  void DecrementCounter();

 private:
  unsigned m_nCount;
};
