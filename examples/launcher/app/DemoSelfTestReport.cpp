#include "app/DemoSelfTestReport.h"

#include <cstdio>

void DemoSelfTestReport::Check(const QString& name, bool passed, const QString& detail) {
  ++(passed ? m_nPassed : m_nFailed);
  const QString line = QString("%1 %2%3").arg(passed ? "PASS" : "FAIL", name, detail.isEmpty() ? "" : ": " + detail);
  std::printf("%s\n", line.toUtf8().constData());
  std::fflush(stdout);
}

int DemoSelfTestReport::Finish(int announced) {
  if (announced >= 0 && announced != m_nPassed + m_nFailed) {
    Fail(QString("the pages announced %1 checks, %2 arrived").arg(announced).arg(m_nPassed + m_nFailed));
  }
  std::printf("%d passed, %d failed\n", m_nPassed, m_nFailed);
  std::fflush(stdout);
  return m_nFailed == 0 ? 0 : 1;
}
