#pragma once

// How a browser is seen and touched: the surface window on the Qt thread, the
// page's screencast painted into it, and the input turned into the page's.

#include "include/cefcompat_surface.h"

#include <QImage>
#include <QRasterWindow>

#include "include/cef_browser.h"

namespace cefcompat {

class InputDispatcher;
class ScreencastView;

// The window a browser paints into: shows the page's screencast frames,
// follows its own size, and turns Qt input into browser input.
// Lives on the Qt thread.
class SurfaceWindow : public QRasterWindow {
  Q_OBJECT

 public:
  // `view` and `input` belong to `browser`, which the surface keeps until Detach.
  SurfaceWindow(CefRefPtr<CefBrowser> browser, ScreencastView* view, InputDispatcher* input);
  ~SurfaceWindow() override;

  // Forgets the browser: later input goes nowhere.
  void Detach();
  QImage LastFrame() const { return frame_; }

 public slots:
  void ShowFrame(const QImage& frame);

 signals:
  void FramePainted();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void exposeEvent(QExposeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void ReportGeometry();
  void SendKey(QKeyEvent* event, bool down);
  void SendMouseButton(QMouseEvent* event, bool up);

  CefRefPtr<CefBrowser> browser_;
  ScreencastView* view_;
  InputDispatcher* input_;
  QImage frame_;
};

// SurfaceForHandle (include/cefcompat_surface.h): every surface by native
// handle, so the embedder can find the QWindow of a browser on platforms
// without foreign-window support.

}  // namespace cefcompat
