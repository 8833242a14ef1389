#include "view/surface_window.h"

#include <algorithm>
#include <map>
#include <utility>

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QToolTip>
#include <QWheelEvent>

#include <QPlatformSurfaceEvent>

#include "view/input_dispatcher.h"
#include "view/screencast_view.h"
#include "view/keys.h"
#include "x11/window_nursery.h"

namespace cefcompat {

namespace {

std::map<unsigned long, QWindow*>& Registry() {
  static std::map<unsigned long, QWindow*> registry;
  return registry;
}

cef_mouse_button_type_t ButtonOf(Qt::MouseButton button) {
  if (button == Qt::RightButton) return MBT_RIGHT;
  if (button == Qt::MiddleButton) return MBT_MIDDLE;
  return MBT_LEFT;
}

CefMouseEvent MouseEventAt(const QPointF& position, Qt::KeyboardModifiers modifiers) {
  CefMouseEvent event;
  event.x = static_cast<int>(position.x());
  event.y = static_cast<int>(position.y());
  event.modifiers = CefModifiersFromQt(static_cast<int>(modifiers));
  return event;
}

Qt::CursorShape CursorShapeOf(cef_cursor_type_t type) {
  switch (type) {
    case CT_HAND: return Qt::PointingHandCursor;
    case CT_IBEAM: return Qt::IBeamCursor;
    case CT_CROSS: return Qt::CrossCursor;
    case CT_WAIT: return Qt::WaitCursor;
    case CT_PROGRESS: return Qt::BusyCursor;
    case CT_HELP: return Qt::WhatsThisCursor;
    case CT_MOVE:
    case CT_MIDDLEPANNING: return Qt::SizeAllCursor;
    case CT_EASTRESIZE:
    case CT_WESTRESIZE:
    case CT_EASTWESTRESIZE:
    case CT_COLUMNRESIZE: return Qt::SizeHorCursor;
    case CT_NORTHRESIZE:
    case CT_SOUTHRESIZE:
    case CT_NORTHSOUTHRESIZE:
    case CT_ROWRESIZE: return Qt::SizeVerCursor;
    case CT_NORTHEASTRESIZE:
    case CT_SOUTHWESTRESIZE:
    case CT_NORTHEASTSOUTHWESTRESIZE: return Qt::SizeBDiagCursor;
    case CT_NORTHWESTRESIZE:
    case CT_SOUTHEASTRESIZE:
    case CT_NORTHWESTSOUTHEASTRESIZE: return Qt::SizeFDiagCursor;
    case CT_NODROP:
    case CT_NOTALLOWED: return Qt::ForbiddenCursor;
    case CT_COPY:
    case CT_ALIAS: return Qt::DragCopyCursor;
    case CT_NONE: return Qt::BlankCursor;
    case CT_GRAB: return Qt::OpenHandCursor;
    case CT_GRABBING: return Qt::ClosedHandCursor;
    default: return Qt::ArrowCursor;
  }
}

// Chromium's delay before a `title` shows.
constexpr int kTooltipDelayMs = 500;

// The page's drag data from Qt's.
CefRefPtr<CefDragData> DragDataOf(const QMimeData* mime) {
  CefRefPtr<CefDragData> data = CefDragData::Create();
  for (const QUrl& url : mime->urls()) {
    if (url.isLocalFile()) {
      data->AddFile(url.toLocalFile().toStdString());
    } else if (data->GetLinkURL().empty()) {
      data->SetLinkURL(url.toString().toStdString());
    }
  }
  if (mime->hasText()) data->SetFragmentText(mime->text().toStdString());
  return data;
}

bool IsDrag(QEvent::Type type) {
  return type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::DragLeave || type == QEvent::Drop;
}

}  // namespace

QWindow* SurfaceForHandle(unsigned long handle) {
  const auto it = Registry().find(handle);
  return it == Registry().end() ? nullptr : it->second;
}

SurfaceWindow::SurfaceWindow(CefRefPtr<CefBrowser> browser, ScreencastView* view, InputDispatcher* input)
    : browser_(std::move(browser)), view_(view), input_(input) {
  Registry()[static_cast<unsigned long>(winId())] = this;
  tooltipDelay_.setSingleShot(true);
  tooltipDelay_.setInterval(kTooltipDelayMs);
  connect(&tooltipDelay_, &QTimer::timeout, this, [this] { QToolTip::showText(QCursor::pos(), tooltip_); });
  // A page moved to a screen of another pixel ratio renders at that ratio.
  connect(this, &QWindow::screenChanged, this, [this] { ReportGeometry(); });
}

// By value: the native window, and with it winId(), may have changed since.
SurfaceWindow::~SurfaceWindow() {
  for (auto it = Registry().begin(); it != Registry().end();) {
    it = it->second == this ? Registry().erase(it) : std::next(it);
  }
}

void SurfaceWindow::Detach() {
  browser_ = nullptr;
  view_ = nullptr;
  input_ = nullptr;
}

void SurfaceWindow::ShowPageCursor(cef_cursor_type_t type) { setCursor(CursorShapeOf(type)); }

void SurfaceWindow::ShowTooltip(const QString& text) {
  tooltip_ = text;
  QToolTip::hideText();
  if (text.isEmpty()) {
    tooltipDelay_.stop();
    return;
  }
  tooltipDelay_.start();
}

void SurfaceWindow::Embed(unsigned long child, WindowNursery* nursery) {
  embedded_ = child;
  nursery_ = nursery;
  PlaceEmbedded();
}

void SurfaceWindow::ReleaseKeyboard() {
  if (embedded_) nursery_->Focus(TopLevelHandle());
}

void SurfaceWindow::PlaceEmbedded() {
  if (!embedded_) return;
  const qreal scale = devicePixelRatio();
  nursery_->Place(embedded_, winId(), 0, 0, qRound(width() * scale), qRound(height() * scale));
  const unsigned long topLevel = TopLevelHandle();
  if (topLevel == topLevel_) return;
  topLevel_ = topLevel;
  nursery_->TakeFocusItself(topLevel);
}

unsigned long SurfaceWindow::TopLevelHandle() const {
  const QWindow* top = this;
  while (top->parent()) top = top->parent();
  return static_cast<unsigned long>(top->winId());
}

SurfaceWindow* SurfaceWindow::EmbeddingAt(const QPoint& global, unsigned long topLevel) {
  for (const auto& [handle, window] : Registry()) {
    auto* surface = qobject_cast<SurfaceWindow*>(window);
    if (!surface || !surface->embedded_ || !surface->isExposed() || surface->TopLevelHandle() != topLevel) continue;
    if (QRect(surface->mapToGlobal(QPoint(0, 0)), surface->size()).contains(global)) return surface;
  }
  return nullptr;
}

double SurfaceWindow::LargestScreenScale() {
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return 1.0;
  double largest = 1.0;
  for (const QScreen* screen : QGuiApplication::screens()) largest = std::max(largest, screen->devicePixelRatio());
  return largest;
}

void SurfaceWindow::ShowFrame(const QImage& frame) {
  frame_ = frame;
  update();
}

void SurfaceWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (frame_.isNull()) {
    painter.fillRect(QRect(QPoint(0, 0), size()), Qt::white);
    return;
  }
  // A frame made for a sharper screen than this surface's is scaled down.
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(QRect(QPoint(0, 0), size()), frame_);
  emit FramePainted();
}

void SurfaceWindow::resizeEvent(QResizeEvent* event) {
  QRasterWindow::resizeEvent(event);
  if (embedded_) {
    const qreal scale = devicePixelRatio();
    nursery_->Resize(embedded_, 0, 0, qRound(width() * scale), qRound(height() * scale));
  }
  ReportGeometry();
}

void SurfaceWindow::exposeEvent(QExposeEvent* event) {
  QRasterWindow::exposeEvent(event);
  // A surface moved into another window (a container reparented) says so here.
  if (isExposed()) WatchDragsOfTopLevel();
  if (embedded_ && isExposed() && TopLevelHandle() != topLevel_) PlaceEmbedded();
  ReportGeometry();
}

void SurfaceWindow::ReportGeometry() {
  if (!browser_) return;
  // Qt keeps every window at least 1x1: a 0x0 request arrives as 1x1, and
  // means "show nothing".
  const bool shrunk = width() <= 1 || height() <= 1;
  view_->OnGeometry(shrunk ? 0 : width(), shrunk ? 0 : height(), devicePixelRatio(), isExposed());
}

// A windowless page has the keyboard while its surface has Qt's focus.
void SurfaceWindow::focusInEvent(QFocusEvent*) {
  if (browser_ && !embedded_) browser_->GetHost()->SetFocus(true);
}

void SurfaceWindow::focusOutEvent(QFocusEvent*) {
  FinishComposition();
  if (browser_ && !embedded_) browser_->GetHost()->SetFocus(false);
}

// An input method's composition reaches the page's focused field as
// Chromium's composition; committed text is typed in its place.
void SurfaceWindow::SendInputMethod(QInputMethodEvent* event) {
  event->accept();
  if (!browser_) return;
  CefRefPtr<CefBrowserHost> host = browser_->GetHost();
  const CefRange none(UINT32_MAX, UINT32_MAX);
  if (!event->commitString().isEmpty()) {
    composing_ = false;
    host->ImeCommitText(event->commitString().toStdString(), none, 0);
  }
  const QString preedit = event->preeditString();
  if (preedit.isEmpty()) {
    if (std::exchange(composing_, false)) host->ImeCancelComposition();
    return;
  }
  uint32 caret = static_cast<uint32>(preedit.size());
  for (const QInputMethodEvent::Attribute& attribute : event->attributes()) {
    if (attribute.type == QInputMethodEvent::Cursor) caret = static_cast<uint32>(attribute.start);
  }
  composing_ = true;
  host->ImeSetComposition(preedit.toStdString(), {}, none, CefRange(caret, caret));
}

// A click or the focus leaving ends a composition with its text as it stands,
// as in a browser; the input method forgets it.
void SurfaceWindow::FinishComposition() {
  if (!std::exchange(composing_, false) || !browser_) return;
  QGuiApplication::inputMethod()->reset();
  browser_->GetHost()->ImeFinishComposingText(false);
}

QVariant SurfaceWindow::AnswerInputMethod(Qt::InputMethodQuery query) const {
  switch (query) {
    case Qt::ImEnabled: return browser_ != nullptr && embedded_ == 0;
    case Qt::ImCursorRectangle:
    case Qt::ImAnchorRectangle: return caret_;
    case Qt::ImHints: return static_cast<int>(Qt::ImhNone);
    default: return QVariant();
  }
}

void SurfaceWindow::ShowCaret(const QRect& caret) {
  caret_ = caret;
  if (QGuiApplication::focusWindow() == this) QGuiApplication::inputMethod()->update(Qt::ImCursorRectangle);
}

void SurfaceWindow::SendKey(QKeyEvent* event, bool down) {
  if (!browser_) return;
  CefKeyEvent key;
  key.windows_key_code = WindowsKeyCodeFromQtKey(event->key());
  key.native_key_code = static_cast<int>(event->nativeScanCode());
  key.modifiers = CefModifiersFromQt(static_cast<int>(event->modifiers()));
  key.is_system_key = (event->modifiers() & Qt::AltModifier) ? 1 : 0;
  const QString text = event->text();
  const char16 character = text.isEmpty() ? 0 : static_cast<char16>(text.at(0).unicode());
  key.character = character;
  key.unmodified_character = character;
  key.type = down ? KEYEVENT_RAWKEYDOWN : KEYEVENT_KEYUP;
  // Through the host, which may keep a key of its own (Escape in fullscreen).
  CefRefPtr<CefBrowserHost> host = browser_->GetHost();
  host->SendKeyEvent(key);
  if (down && character >= 0x20 && character != 0x7F) {
    key.type = KEYEVENT_CHAR;
    host->SendKeyEvent(key);
  }
}

void SurfaceWindow::keyPressEvent(QKeyEvent* event) { SendKey(event, true); }
void SurfaceWindow::keyReleaseEvent(QKeyEvent* event) { SendKey(event, false); }

void SurfaceWindow::SendMouseButton(QMouseEvent* event, bool up) {
  if (!browser_) return;
  const int clicks = event->type() == QEvent::MouseButtonDblClick ? 2 : 1;
  input_->SendMouseClickEvent(MouseEventAt(event->localPos(), event->modifiers()), ButtonOf(event->button()), up,
                                clicks);
}

void SurfaceWindow::mousePressEvent(QMouseEvent* event) {
  FinishComposition();
  SendMouseButton(event, false);
}
void SurfaceWindow::mouseReleaseEvent(QMouseEvent* event) { SendMouseButton(event, true); }

void SurfaceWindow::mouseMoveEvent(QMouseEvent* event) {
  if (browser_) input_->SendMouseMoveEvent(MouseEventAt(event->localPos(), event->modifiers()));
}

void SurfaceWindow::wheelEvent(QWheelEvent* event) {
  if (!browser_) return;
  input_->SendMouseWheelEvent(MouseEventAt(event->position(), event->modifiers()), event->angleDelta().x(),
                                event->angleDelta().y());
}


// The drag's stage for the page follows what the surface has seen of it: the
// first event over the surface enters, later ones move over it, a drop ends it.
void SurfaceWindow::TakeDrag(QDropEvent* drag, const QPoint& at) {
  using Stage = InputDispatcher::DragStage;
  const Stage stage = drag->type() == QEvent::Drop ? Stage::Drop : dragInside_ ? Stage::Over : Stage::Enter;
  dragInside_ = stage != Stage::Drop;
  if (!browser_ || !input_->Drag(stage, DragDataOf(drag->mimeData()), at.x(), at.y())) {
    drag->ignore();
    return;
  }
  drag->acceptProposedAction();
}

void SurfaceWindow::LeaveDrag() {
  if (!std::exchange(dragInside_, false) || !browser_) return;
  input_->Drag(InputDispatcher::DragStage::Cancel, CefDragData::Create(), 0, 0);
}

// Qt gives a drag from another application to the top-level window under the
// pointer, which hands it to its widgets, never to a window inside it: over
// this surface's area, the surface takes it, as a native child window would.
void SurfaceWindow::WatchDragsOfTopLevel() {
  QWindow* top = this;
  while (top->parent()) top = top->parent();
  if (top == dragHost_) return;
  if (dragHost_) dragHost_->removeEventFilter(this);
  dragHost_ = top == this ? nullptr : top;
  if (dragHost_) dragHost_->installEventFilter(this);
}

bool SurfaceWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched != dragHost_ || !IsDrag(event->type())) return QRasterWindow::eventFilter(watched, event);
  if (event->type() == QEvent::DragLeave) {
    LeaveDrag();
    return false;
  }
  auto* drag = static_cast<QDropEvent*>(event);
  const QPoint at = mapFromGlobal(dragHost_->mapToGlobal(drag->pos()));
  if (!isVisible() || !QRect(QPoint(0, 0), size()).contains(at)) {
    LeaveDrag();
    return false;
  }
  // Coming from a widget beside the surface, which is told the drag left it.
  if (!dragInside_ && event->type() == QEvent::DragMove) {
    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(dragHost_, &leave);
  }
  TakeDrag(drag, at);
  return true;
}

bool SurfaceWindow::event(QEvent* event) {
  switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop: {
      auto* drag = static_cast<QDropEvent*>(event);
      TakeDrag(drag, drag->pos());
      return true;
    }
    case QEvent::PlatformSurface:
      // Chromium's window must not go down with this one.
      if (embedded_ && static_cast<QPlatformSurfaceEvent*>(event)->surfaceEventType() ==
                           QPlatformSurfaceEvent::SurfaceAboutToBeDestroyed) {
        nursery_->Park(embedded_);
        topLevel_ = 0;
      }
      return QRasterWindow::event(event);
    case QEvent::DragLeave:
      LeaveDrag();
      return true;
    case QEvent::InputMethod:
      SendInputMethod(static_cast<QInputMethodEvent*>(event));
      return true;
    case QEvent::InputMethodQuery: {
      auto* query = static_cast<QInputMethodQueryEvent*>(event);
      for (int bit = 0; bit < 32; ++bit) {
        const auto each = static_cast<Qt::InputMethodQuery>(1u << bit);
        if (query->queries() & each) query->setValue(each, AnswerInputMethod(each));
      }
      query->accept();
      return true;
    }
    default:
      return QRasterWindow::event(event);
  }
}

}  // namespace cefcompat
