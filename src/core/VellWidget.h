#pragma once

#include <string>

#include <QHBoxLayout>
#include <QPointer>
#include <QSize>
#include <QWidget>
#include <QWindow>

#include "core/VellIndependentBrowser.h"

// The QWidget that shows an independent browser: once the browser exists,
// its window sits in this widget's layout and follows the widget's size.
// Qt thread. The connected browser is not owned; destroying the widget
// closes it (forced).
class VellWidget : public QWidget {
  Q_OBJECT

 public:
  explicit VellWidget(QWidget* parent = nullptr);
  ~VellWidget() override;

  // Shows `browser` now, or when it has been created. One browser per widget.
  void ConnectCefBrowser(VellIndependentBrowser* browser);
  // Takes the browser's view out of the layout; the browser stays recorded.
  void DisconnectCefBrowser() const;
  VellIndependentBrowser* GetVellIndependentBrowser() const { return m_pIndependentBrowser; }
  // The connected browser's signals widget; a browser must be connected.
  VellSignalsWidget* GetVellSignalsWidget() const;
  void LoadUrl(const std::string& url) const;

  bool eventFilter(QObject* watched, QEvent* event) override { return QWidget::eventFilter(watched, event); }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void _ShowBrowser();
  void _ResizeBrowser(const QSize& size) const;
  void _ResizeBrowser() const { _ResizeBrowser(m_lastSize); }

  QSize m_lastSize{0, 0};
  VellIndependentBrowser* m_pIndependentBrowser = nullptr;
  QHBoxLayout* m_pLayout;
  QPointer<QWindow> m_pBrowserWindow;
  QPointer<QWidget> m_pBrowserContainer;
};
