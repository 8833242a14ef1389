#pragma once
// Key -> first changed frame on an X window showing KeyPage(): a real key
// press through XTest, and the window's colour read back from the X server on
// each damage report, until it shows the page's other colour.

#include <vector>

class XScreen;

class XKeyLatency {
 public:
  XKeyLatency(XScreen& screen, unsigned long window) : screen_(screen), window_(window) {}

  // Milliseconds from each of `samples` key presses to the change on
  // screen; `warmUp` presses first are not counted. A press that changes
  // nothing within a second counts as missed.
  std::vector<double> Measure(int samples, int warmUp);
  int Missed() const { return missed_; }

 private:
  // One press; -1 when the window did not change in time.
  double Once(int x, int y);

  XScreen& screen_;
  const unsigned long window_;
  int missed_ = 0;
};
