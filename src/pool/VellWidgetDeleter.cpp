#include "pool/VellWidgetDeleter.h"

VellWidgetDeleter::VellWidgetDeleter(unsigned nCount, QObject* parent) : QObject(parent), m_nCount(nCount) {}

void VellWidgetDeleter::DecrementCounter() {
  if (m_nCount == 0) return;
  if (--m_nCount == 0) emit FireAllDeleted();
}
