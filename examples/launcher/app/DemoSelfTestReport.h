#pragma once

#include <QString>

// The tally of the pages' self-test: prints one line per check as it comes
// and the closing "N passed, M failed" line.
class DemoSelfTestReport {
 public:
  void Check(const QString& name, bool passed, const QString& detail);
  // Counted as a failed check: the self-test could not run or finish.
  void Fail(const QString& why) { Check("self-test", false, why); }
  // Prints the closing line; a page that announced another number of checks
  // than arrived fails once more. The launcher's exit status.
  int Finish(int announced);

 private:
  int m_nPassed = 0;
  int m_nFailed = 0;
};
