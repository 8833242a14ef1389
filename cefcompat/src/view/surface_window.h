#pragma once

// How a browser is seen and touched: the surface window on the Qt thread, the
// page's screencast painted into it, and the input turned into the page's.

#include "include/cefcompat_surface.h"

#include <QImage>
#include <QPointer>
#include <QRasterWindow>
#include <QTimer>

#include "include/cef_browser.h"

class QDropEvent;
class QInputMethodEvent;

namespace cefcompat {

class InputDispatcher;
class ScreencastView;
class WindowNursery;

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
  // Windowed mode: `child` (Chromium's window of the browser) fills this
  // window from now on, follows its size, and leaves it (parked in `nursery`)
  // before this window's native window goes.
  void Embed(unsigned long child, WindowNursery* nursery);
  unsigned long Embedded() const { return embedded_; }
  // The embedded window's keyboard focus goes to this window's top-level.
  void ReleaseKeyboard();
  // The visible surface holding a Chromium window at `global` (a screen
  // position) inside the top-level native window `topLevel`; null when none.
  static SurfaceWindow* EmbeddingAt(const QPoint& global, unsigned long topLevel);
  // The largest pixel ratio of the screens Qt knows (1 without a GUI application).
  static double LargestScreenScale();
  QImage LastFrame() const { return frame_; }
  // The page's cursor, and its tooltip after the usual delay (empty: none).
  void ShowPageCursor(cef_cursor_type_t type);
  void ShowTooltip(const QString& text);
  // The caret of the page's focused field, told to Qt's input method.
  void ShowCaret(const QRect& caret);

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
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ReportGeometry();
  void PlaceEmbedded();
  unsigned long TopLevelHandle() const;
  void SendKey(QKeyEvent* event, bool down);
  void SendMouseButton(QMouseEvent* event, bool up);
  void SendInputMethod(QInputMethodEvent* event);
  QVariant AnswerInputMethod(Qt::InputMethodQuery query) const;
  void FinishComposition();
  void WatchDragsOfTopLevel();
  void TakeDrag(QDropEvent* drag, const QPoint& at);
  void LeaveDrag();

  CefRefPtr<CefBrowser> browser_;
  ScreencastView* view_;
  InputDispatcher* input_;
  QImage frame_;
  unsigned long embedded_ = 0;
  WindowNursery* nursery_ = nullptr;
  unsigned long topLevel_ = 0;  // the top-level that was told to take focus itself
  QString tooltip_;
  QTimer tooltipDelay_;
  QPointer<QWindow> dragHost_;  // the top-level whose drags over this surface it takes
  bool dragInside_ = false;
  QRect caret_;
  bool composing_ = false;
};

// SurfaceForHandle (include/cefcompat_surface.h): every surface by native
// handle, so the embedder can find the QWindow of a browser on platforms
// without foreign-window support.

}  // namespace cefcompat
