#include "app/DemoScreenshot.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QScreen>
#include <QWindow>

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
  connect(&m_still, &QTimer::timeout, this, &DemoScreenshot::_Take);
  connect(&m_latest, &QTimer::timeout, this, &DemoScreenshot::_Take);
}

void DemoScreenshot::TakeWhenStill() {
  for (const VellWidget* page : m_pWindow->findChildren<VellWidget*>()) {
    if (QWindow* surface = SurfaceOf(page)) surface->installEventFilter(this);
  }
  m_latest.start();
}

// A surface about to paint a new frame starts the quiet time (over): the
// picture waits for at least one frame painted after the page settled.
bool DemoScreenshot::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::UpdateRequest && m_latest.isActive()) m_still.start();
  return QObject::eventFilter(watched, event);
}

void DemoScreenshot::_Take() {
  m_still.stop();
  m_latest.stop();
  const QImage image = Compose(m_pWindow);
  QDir().mkpath(QFileInfo(m_strPath).absolutePath());
  if (!image.save(m_strPath, "PNG")) {
    emit Done(QString("the picture could not be written to %1").arg(m_strPath));
    return;
  }
  emit Done({});
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
