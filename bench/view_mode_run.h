#pragma once
// One of the runtime's two view modes measured in a process of its own (the
// mode is chosen once per runtime, at CefInitialize): the animating page at
// each size (frames, CPU), then key presses on the key page. The runtime is
// up in that mode before Run.

#include <vector>

#include <nlohmann/json.hpp>

#include "viewed_page.h"

class ViewModeRun {
 public:
  explicit ViewModeRun(bool windowed) : windowed_(windowed) {}

  // The figures as JSON; {"error": ...} when the page could not be shown.
  nlohmann::json Run();
  // Windowless: how sharp a frame of text is (the share of off-white pixels
  // between its lines), at the process's pixel ratio.
  nlohmann::json Text();

 private:
  nlohmann::json Animate(int width, int height);
  nlohmann::json Keys();
  // Real X keys into Chromium's window, the change read back from X.
  std::vector<double> WindowedKeys();
  // Qt key events into the surface, until a painted frame shows the change.
  std::vector<double> WindowlessKeys();
  // One press; -1 when no frame showed the change in time.
  double WindowlessPress();

  const bool windowed_;
  ViewedPage page_;
  int painted_ = 0;  // frames painted into the surface (windowless)
  int missed_ = 0;
  bool focused_ = false;
  int damageReports_ = -1;  // read by the windowed key test
};
