#pragma once
// The peer of the view benchmark's key test: Debian's Chromium on its own, a
// plain top-level app window on the same X server (not embedded, no
// runtime), with the switches the runtime gives its windowed Chromium.

#include <memory>
#include <string>

#include <QTemporaryDir>

namespace cefcompat {
class ChromiumProcess;
}

class XScreen;

class ChromiumPeer {
 public:
  ChromiumPeer();
  ~ChromiumPeer();  // ends Chromium and every process of its
  ChromiumPeer(const ChromiumPeer&) = delete;
  ChromiumPeer& operator=(const ChromiumPeer&) = delete;

  // Chromium started on `url`, `width` x `height`, until its window titled
  // `title` (the page's) is mapped; `error` says why not.
  bool Start(const std::string& url, const std::string& title, int width, int height, XScreen& screen,
             std::string& error);
  unsigned long Window() const { return window_; }

 private:
  QTemporaryDir profile_;
  std::unique_ptr<cefcompat::ChromiumProcess> process_;
  unsigned long window_ = 0;
};
