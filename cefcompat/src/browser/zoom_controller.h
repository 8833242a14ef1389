#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "browser/page_session.h"

namespace cefcompat {

// A browser's zoom, CEF's way: the factor is 1.2 to the power of the level.
// The page's root element gets the factor as its CSS zoom (a style sheet of
// the runtime's, adopted by the document), so the page is laid out again at
// that size; every later document of the browser gets it at its start.
//
// Threads: Level() on any thread; Apply on TID_UI.
class ZoomController {
 public:
  explicit ZoomController(PageSession& session) : session_(session) {}
  double Level() const { return level_; }
  void Apply(double level);

 private:
  PageSession& session_;
  std::atomic<double> level_{0.0};
  // TID_UI: the new documents' script of the current level, once Chromium
  // has named it (shared with the replies, which may outlive the browser).
  struct Script {
    int generation = 0;
    std::string id;
  };
  std::shared_ptr<Script> script_ = std::make_shared<Script>();
};

}  // namespace cefcompat
