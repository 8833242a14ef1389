#pragma once

#include <atomic>
#include <mutex>

#include <QImage>
#include <QPointer>

#include "browser/page_session.h"
#include "include/cef_browser.h"

namespace cefcompat {

class SurfaceWindow;
class WindowNursery;

// How a browser's page is seen: Chromium's screencast of the page, painted
// into the browser's surface window at the surface's size and pixel ratio. A
// surface without a size parks the page (its Chromium window minimised); a
// hidden browser stops the screencast. Only the newest frame waits for the
// surface: one the surface had no time to show is dropped, never queued.
//
// Threads: the surface is set and painted on the Qt thread; geometry and
// visibility arrive from any thread and are applied on TID_UI; frames arrive
// on the protocol's reader thread.
class ScreencastView {
 public:
  ScreencastView(CefBrowser* browser, PageSession& session);

  // Qt thread.
  void SetSurface(SurfaceWindow* surface, CefWindowHandle handle);
  CefWindowHandle WindowHandle() const { return windowHandle_; }
  // Any thread: the surface's size (in its own pixels) and pixel ratio.
  void OnGeometry(int width, int height, double scale, bool visible);
  void SetHidden(bool hidden);
  // TID_UI: starts or stops the screencast as the surface now needs.
  void Apply();
  // TID_UI, before the browser attaches: the page is Chromium's own window,
  // kept by `nursery` until NativeWindowFound; no screencast is ever made.
  void UseNativeWindow(WindowNursery* nursery) { nursery_ = nursery; }
  bool UsesNativeWindow() const { return nursery_ != nullptr; }
  // TID_UI: Chromium's window of this page; it goes into the surface (when
  // there is one: a browser made as a child of a given window has none).
  void NativeWindowFound(unsigned long window);
  // TID_UI: the page's cursor and tooltip (empty: none), shown on the surface;
  // a Chromium window shows its own.
  void ShowCursor(cef_cursor_type_t type);
  void ShowTooltip(const std::string& text);
  // TID_UI: the caret of the page's focused field, for the surface's input method.
  void ShowCaret(double x, double y, double width, double height);
  // TID_UI: the page let the keyboard go; a Chromium window gives it to the
  // surface's top-level window (Qt's widgets), as a native child would.
  void ReleaseKeyboard();
  // TID_UI: a Chromium window takes the keyboard.
  void TakeKeyboard();
  // Reader thread.
  void DeliverFrame(const Json& params);
  // Any thread: the browser closed; its surface goes on the Qt thread.
  void ReleaseSurface();

 private:
  void ApplyWindowState(bool minimized);
  void ShowNewestFrame();

  CefBrowser* const browser_;  // owns this
  PageSession& session_;
  std::atomic<CefWindowHandle> windowHandle_{0};
  QPointer<SurfaceWindow> surface_;  // Qt thread
  // TID_UI.
  int width_ = 0;
  int height_ = 0;
  double scale_ = 1.0;
  bool visible_ = false;
  bool hidden_ = false;
  bool screencasting_ = false;
  bool minimized_ = false;  // the page's Chromium window
  WindowNursery* nursery_ = nullptr;
  unsigned long nativeWindow_ = 0;
  bool inForeignWindow_ = false;  // made as a child of a window given by the client
  int nativeShown_ = -1;          // as last told to the nursery
  std::mutex frameMutex_;
  QImage newestFrame_;  // under frameMutex_: decoded, not yet shown
  std::atomic<bool> framePosted_{false};
};

}  // namespace cefcompat
