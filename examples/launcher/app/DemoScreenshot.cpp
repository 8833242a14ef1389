#include "app/DemoScreenshot.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QScreen>
#include <QWindow>
#include <QtDebug>

#include "core/VellWidget.h"
#include "include/cefcompat_surface.h"
#include "inter/VellBrowserWrapper.h"

namespace {

// The runtime's surface window of the page `widget` shows; null before its browser exists.
QWindow* SurfaceOf(const VellWidget* widget) {
  VellIndependentBrowser* browser = widget->GetVellIndependentBrowser();
  VellBrowserWrapper* wrapper = browser ? browser->GetVellHandler()->GetBrowser() : nullptr;
  return wrapper ? cefcompat::SurfaceForHandle(wrapper->GetWindowHandle()) : nullptr;
}

}  // namespace

DemoScreenshot::DemoScreenshot(QWidget* window, QString strPath, QObject* parent)
    : QObject(parent), m_pWindow(window), m_strPath(std::move(strPath)) {
  m_still.setSingleShot(true);
  m_still.setInterval(kStillMs);
  m_latest.setSingleShot(true);
  m_latest.setInterval(kLatestMs);
  connect(&m_still, &QTimer::timeout, this, &DemoScreenshot::_TakeIfPainted);
  connect(&m_latest, &QTimer::timeout, this, [this] {
    m_still.stop();
    _Save(Compose(m_pWindow), "the runtime painted no frame of a page in time: the picture shows it blank");
  });
}

void DemoScreenshot::TakeWhenStill() {
  for (const VellWidget* page : m_pWindow->findChildren<VellWidget*>()) {
    if (QWindow* surface = SurfaceOf(page)) surface->installEventFilter(this);
  }
  m_latest.start();
  m_still.start();
}

// A surface about to paint a new frame starts the quiet time over.
bool DemoScreenshot::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::UpdateRequest && m_latest.isActive()) m_still.start();
  return QObject::eventFilter(watched, event);
}

// A page still blank is shown anew and waited for (each frame starts the
// quiet time): the runtime sometimes starts a page's screencast before the
// page's own renderer has taken over, and no frame comes until the surface
// is exposed again.
void DemoScreenshot::_TakeIfPainted() {
  const QImage picture = Compose(m_pWindow);
  if (HasBlankPage(m_pWindow, picture)) return _ShowPagesAgain();
  m_latest.stop();
  _Save(picture, {});
}

void DemoScreenshot::_ShowPagesAgain() {
  for (VellWidget* page : m_pWindow->findChildren<VellWidget*>()) {
    page->hide();
    page->show();
  }
}

void DemoScreenshot::_Save(const QImage& picture, const QString& problem) {
  QDir().mkpath(QFileInfo(m_strPath).absolutePath());
  if (!picture.save(m_strPath, "PNG")) {
    emit Done(false, QString("the picture could not be written to %1").arg(m_strPath));
    return;
  }
  emit Done(true, problem);
}

QImage DemoScreenshot::Compose(QWidget* window) {
  QImage image = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
  image.setDevicePixelRatio(1.0);
  QPainter painter(&image);
  for (const VellWidget* page : window->findChildren<VellWidget*>()) {
    QWindow* surface = SurfaceOf(page);
    if (!surface || !page->isVisible()) continue;
    const QPixmap frame = surface->screen()->grabWindow(surface->winId());
    const QRect area(page->mapTo(window, QPoint(0, 0)), page->size());
    painter.drawPixmap(area, frame);
  }
  return image;
}

bool DemoScreenshot::HasBlankPage(QWidget* window, const QImage& picture) {
  constexpr int kStep = 16;
  for (const VellWidget* page : window->findChildren<VellWidget*>()) {
    const QRect area = QRect(page->mapTo(window, QPoint(0, 0)), page->size()).intersected(picture.rect());
    if (area.isEmpty()) continue;
    const QRgb first = picture.pixel(area.topLeft());
    bool flat = true;
    for (int y = area.top(); flat && y <= area.bottom(); y += kStep) {
      for (int x = area.left(); flat && x <= area.right(); x += kStep) flat = picture.pixel(x, y) == first;
    }
    if (flat) return true;
  }
  return false;
}
