#include "app/DemoWebDialog.h"

#include <QDebug>
#include <QVBoxLayout>

#include "core/VellSignalsWidget.h"
#include "core/VellWidget.h"

namespace {
const QSize kSmallest(280, 160);
}

DemoWebDialog::DemoWebDialog(QString strName, VellWidget* page, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_strName(std::move(strName)), m_pPage(page) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowModality(Qt::WindowModal);
  setWindowTitle(m_strName);
  setStyleSheet("background: #151925;");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(page);
  // A browser that closes by itself (Chromium died) would leave the dialog
  // empty: it goes with its browser. A dialog closed first is gone by then.
  connect(page->GetVellSignalsWidget(), &VellSignalsWidget::OnBeforeClose, this, [this](int) {
    qWarning().noquote() << "The web dialog" << m_strName << "lost its browser; closing it";
    close();
  });
}

void DemoWebDialog::Fit(const QSize& size) {
  const QSize wanted(size.width() > 0 ? size.width() : width(), size.height() > 0 ? size.height() : height());
  resize(wanted.expandedTo(kSmallest));
  if (!parentWidget()) return;
  const QRect area = parentWidget()->geometry();
  move(area.center() - QPoint(width() / 2, height() / 2));
}

void DemoWebDialog::done(int result) {
  QDialog::done(result);
  emit Closed(m_strName);
}

VellWidget* DemoWebDialog::Page() const { return m_pPage.data(); }
