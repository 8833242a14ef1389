#include "view/screencast_view.h"

#include <utility>

#include <QByteArray>
#include <QImage>
#include <QRectF>

#include "base/base64.h"
#include "base/task_thread.h"
#include "view/jpeg_frame.h"
#include "view/surface_window.h"
#include "x11/window_nursery.h"

namespace cefcompat {

namespace {

constexpr int kScreencastRetryMs = 200;
// Frames are never scaled down by Chromium: they come at the page's size in
// Chromium's device pixels.
constexpr int kLargestFrame = 16384;
// JPEG at full quality keeps text sharp (no ringing around glyphs), at a
// fraction of PNG's encoding time.
constexpr int kFrameQuality = 100;

}  // namespace

ScreencastView::ScreencastView(CefBrowser* browser, PageSession& session) : browser_(browser), session_(session) {}

void ScreencastView::SetSurface(SurfaceWindow* surface, CefWindowHandle handle) {
  surface_ = surface;
  windowHandle_ = handle;
}

void ScreencastView::OnGeometry(int width, int height, double scale, bool visible) {
  CefRefPtr<CefBrowser> keep(browser_);
  Threads::Post(TID_UI, [this, keep, width, height, scale, visible]() {
    width_ = width;
    height_ = height;
    scale_ = scale;
    visible_ = visible;
    Apply();
  });
}

void ScreencastView::SetHidden(bool hidden) {
  CefRefPtr<CefBrowser> keep(browser_);
  Threads::Post(TID_UI, [this, keep, hidden]() {
    hidden_ = hidden;
    Apply();
  });
}

void ScreencastView::NativeWindowFound(unsigned long window) {
  nativeWindow_ = window;
  if (windowHandle_ == 0) {
    windowHandle_ = window;
    inForeignWindow_ = true;
  }
  CefRefPtr<CefBrowser> keep(browser_);
  WindowNursery* nursery = nursery_;
  Threads::PostToQt([this, keep, window, nursery]() {
    if (surface_) surface_->Embed(window, nursery);
  });
  Apply();
}

void ScreencastView::Apply() {
  if (session_.SessionId().empty() || !browser_->IsValid()) return;
  if (nursery_) {
    // A surface shrunk to nothing, hidden or unseen hides the page; in
    // another application's window, only WasHidden does.
    const bool shown = !hidden_ && (inForeignWindow_ || (width_ > 0 && height_ > 0 && visible_));
    if (!nativeWindow_ || nativeShown_ == static_cast<int>(shown)) return;
    nativeShown_ = shown;
    nursery_->SetHidden(nativeWindow_, !shown);
    return;
  }
  const bool hasSize = width_ > 0 && height_ > 0;
  if (hasSize) {
    session_.Send("Emulation.setDeviceMetricsOverride",
                  {{"width", width_}, {"height", height_}, {"deviceScaleFactor", scale_}, {"mobile", false}});
  }
  ApplyWindowState(!hasSize && windowHandle_ != 0);
  const bool wanted = hasSize && visible_ && !hidden_;
  if (wanted == screencasting_) return;
  screencasting_ = wanted;
  if (!wanted) {
    session_.Send("Page.stopScreencast", Json::object());
    return;
  }
  CefRefPtr<CefBrowser> keep(browser_);
  const Json params = {{"format", "jpeg"},
                       {"quality", kFrameQuality},
                       {"everyNthFrame", 1},
                       {"maxWidth", kLargestFrame},
                       {"maxHeight", kLargestFrame}};
  session_.Send("Page.startScreencast", params,
                [this, keep](const Connection::Reply& reply) {
                  if (reply.ok || !screencasting_) return;
                  // A page between two documents (a navigation that swaps renderers)
                  // has no screencast to start yet: ask again shortly.
                  screencasting_ = false;
                  Threads::Post(TID_UI, [this, keep]() { Apply(); }, kScreencastRetryMs);
                });
}

// A surface shrunk to nothing parks the page: headless Chromium keeps running
// a visible page's animation frames whether or not a screencast runs, so the
// page's own Chromium window is minimised, which hides the page (no animation
// frames, no painting) until the surface has a size again.
void ScreencastView::ApplyWindowState(bool minimized) {
  if (minimized == minimized_) return;
  minimized_ = minimized;
  PageSession::SendToChromium(
      "Browser.getWindowForTarget", {{"targetId", session_.TargetId()}}, [minimized](const Connection::Reply& reply) {
        if (!reply.ok) return;
        const Json bounds = {{"windowState", minimized ? "minimized" : "normal"}};
        PageSession::SendToChromium("Browser.setWindowBounds",
                                    {{"windowId", reply.result.value("windowId", 0)}, {"bounds", bounds}});
      });
}

void ScreencastView::DeliverFrame(const Json& params) {
  // Acknowledge first so Chromium keeps at most two in flight.
  session_.Send("Page.screencastFrameAck", {{"sessionId", params.value("sessionId", 0)}});
  const auto data = params.find("data");
  if (data == params.end() || !data->is_string()) return;
  std::string bytes;
  if (!DecodeBase64(data->get_ref<const std::string&>(), bytes)) return;
  QImage image = DecodeJpegFrame(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
  if (image.isNull()) return;
  {
    std::lock_guard<std::mutex> lock(frameMutex_);
    newestFrame_ = std::move(image);
  }
  if (framePosted_.exchange(true)) return;
  CefRefPtr<CefBrowser> keep(browser_);
  Threads::PostToQt([this, keep]() { ShowNewestFrame(); });
}

// Qt thread.
void ScreencastView::ShowNewestFrame() {
  QImage frame;
  {
    // Cleared with the frame taken: a frame stored after this posts again.
    std::lock_guard<std::mutex> lock(frameMutex_);
    framePosted_ = false;
    frame = std::exchange(newestFrame_, QImage());
  }
  if (surface_ && !frame.isNull()) surface_->ShowFrame(frame);
}

void ScreencastView::ShowCursor(cef_cursor_type_t type) {
  if (nursery_) return;
  CefRefPtr<CefBrowser> keep(browser_);
  Threads::PostToQt([this, keep, type]() {
    if (surface_) surface_->ShowPageCursor(type);
  });
}

void ScreencastView::ShowTooltip(const std::string& text) {
  if (nursery_) return;
  CefRefPtr<CefBrowser> keep(browser_);
  Threads::PostToQt([this, keep, text = QString::fromStdString(text)]() {
    if (surface_) surface_->ShowTooltip(text);
  });
}

void ScreencastView::ShowCaret(double x, double y, double width, double height) {
  CefRefPtr<CefBrowser> keep(browser_);
  const QRectF caret(x, y, width, height);
  Threads::PostToQt([this, keep, caret]() {
    if (surface_) surface_->ShowCaret(caret.toAlignedRect());
  });
}

void ScreencastView::ReleaseKeyboard() {
  if (!nursery_) return;
  CefRefPtr<CefBrowser> keep(browser_);
  Threads::PostToQt([this, keep]() {
    if (surface_) surface_->ReleaseKeyboard();
  });
}

void ScreencastView::TakeKeyboard() {
  if (nursery_ && nativeWindow_) nursery_->Focus(nativeWindow_);
}

void ScreencastView::ReleaseSurface() {
  CefRefPtr<CefBrowser> keep(browser_);
  Threads::PostToQt([this, keep]() {
    if (!surface_) return;
    surface_->Detach();
    surface_->deleteLater();
  });
}

}  // namespace cefcompat
