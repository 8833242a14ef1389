#pragma once
// A page as a launcher shows one: an independent browser in a VellWidget
// that fills a top-level window of a given size.

#include <string>

#include <QPoint>
#include <QWidget>

#include "core/VellIndependentBrowser.h"

class VellWidget;

namespace cefcompat {
class SurfaceWindow;
}

class ViewedPage {
 public:
  ViewedPage() = default;
  ~ViewedPage();  // closes the browser
  ViewedPage(const ViewedPage&) = delete;
  ViewedPage& operator=(const ViewedPage&) = delete;

  // The browser created and its window shown at `width` x `height`.
  bool Start(int width, int height);
  // The window, the widget and the page all at `width` x `height`.
  bool Resize(int width, int height);
  // `url` loaded and `ready` (a page expression) true.
  bool Load(const std::string& url, const std::string& ready);
  // `expression` evaluated in the page, as text; empty when that failed.
  std::string Evaluate(const std::string& expression);
  // Runs the Qt event loop until `expression` is true in the page.
  bool WaitForPage(const std::string& expression, int timeoutMs);

  cefcompat::SurfaceWindow* Surface();
  // Windowed mode: Chromium's window of the page inside the surface; else 0.
  unsigned long ChromiumWindow();
  // The middle of the page on the screen.
  QPoint GlobalCentre() const;

 private:
  QWidget window_;
  VellIndependentBrowser browser_;
  VellWidget* widget_ = nullptr;
};
