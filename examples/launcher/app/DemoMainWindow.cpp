#include "app/DemoMainWindow.h"

#include <QCloseEvent>
#include <QVBoxLayout>

#include "core/VellWidget.h"

DemoMainWindow::DemoMainWindow(QWidget* parent) : QWidget(parent, Qt::FramelessWindowHint | Qt::Window) {
  setWindowTitle("Vell demo launcher");
  resize(kWidth, kHeight);
  setMinimumSize(kWidth, kHeight);
  setStyleSheet("background: #0d0f14;");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
}

void DemoMainWindow::ShowPage(VellWidget* page) {
  if (m_pPage) m_pPage->deleteLater();
  m_pPage = page;
  layout()->addWidget(page);
}

void DemoMainWindow::ToggleMaximised() {
  if (isMaximized()) {
    showNormal();
    return;
  }
  showMaximized();
}

void DemoMainWindow::closeEvent(QCloseEvent* event) {
  event->ignore();
  emit CloseRequested();
}

void DemoMainWindow::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() != QEvent::WindowStateChange) return;
  emit NormalSizeChanged(!(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)));
}

VellWidget* DemoMainWindow::Page() const { return m_pPage.data(); }
