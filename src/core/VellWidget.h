#pragma once

#include <string>

#include <QHBoxLayout>
#include <QPointer>
#include <QSize>
#include <QWidget>
#include <QWindow>

#include "core/MainWindowState.h"
#include "core/VellIndependentBrowser.h"

class VellTrackMainWindowState;

// The QWidget that shows an independent browser: once the browser exists,
// its window sits in this widget's layout and follows the widget's size,
// except while the launcher's main window is minimised or covered: then the
// browser window is shrunk to nothing, which stops Chromium's rendering.
// While the page is fullscreen (a video's fullscreen button), the browser
// window covers the widget's top-level window, which goes fullscreen; it comes
// back into the layout when the page leaves fullscreen (Escape).
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
  // Stops rendering while `mainWindow` (a top-level widget) is minimised or
  // covered, and resumes when it is shown again.
  void SetMainWindow(QWidget* mainWindow);

  bool eventFilter(QObject* watched, QEvent* event) override;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void _ShowBrowser();
  void _ResizeBrowser(const QSize& size) const;
  void _OnMainWindowStateChanged(const MainWindowState& mainWindowState);
  // The browser window at the widget's size, or at 0x0 while rendering is stopped.
  void _ApplyRender() const;
  void _SetPageFullscreen(bool bFullscreen);
  // The keyboard to the widget before (or after) the browser in the focus chain.
  void _FocusNeighbour(bool bNext);
  void _StartRender() const;
  void _StopRender() const { _ResizeBrowser(QSize(0, 0)); }

  QPointer<QWidget> m_pMainWindow;
  QPointer<VellTrackMainWindowState> m_pMainWindowTracker;  // a Qt child of the main window
  bool m_bRenderStopped = false;
  QSize m_lastSize{0, 0};
  bool m_bPageFullscreen = false;
  Qt::WindowStates m_topLevelStatesBeforeFullscreen;
  VellIndependentBrowser* m_pIndependentBrowser = nullptr;
  QHBoxLayout* m_pLayout;
  QPointer<QWindow> m_pBrowserWindow;
  QPointer<QWidget> m_pBrowserContainer;
};
