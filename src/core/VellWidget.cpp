#include "core/VellWidget.h"

#include <QCoreApplication>
#include <QResizeEvent>

#include "base/VellLoggerAgent.h"
#include "core/VellTrackMainWindowState.h"
#include "inter/VellBrowserWrapper.h"
#include "platform/VellPlatform.h"

VellWidget::VellWidget(QWidget* parent) : QWidget(parent), m_pLayout(new QHBoxLayout()) {
  setBackgroundRole(QPalette::Window);
  m_pLayout->setContentsMargins(0, 0, 0, 0);
  setLayout(m_pLayout);
  QCoreApplication::instance()->installEventFilter(this);
}

VellWidget::~VellWidget() {
  delete m_pMainWindowTracker;
  // The browser window lent to the top-level goes with this widget, as it would from the layout.
  if (m_bPageFullscreen) {
    window()->setWindowState(m_topLevelStatesBeforeFullscreen);
    delete m_pBrowserContainer;
  }
  if (!m_pIndependentBrowser) return;
  if (CefRefPtr<VellHandler> handler = m_pIndependentBrowser->GetVellHandler()) handler->Cleanup();
  DisconnectCefBrowser();
}

void VellWidget::ConnectCefBrowser(VellIndependentBrowser* browser) {
  if (m_pIndependentBrowser) {
    VellLog(LOGSEVERITY_ERROR,
            "VellWidget::ConnectCefBrowser failed! unable to connect cef browser, please disconnect before reconnect");
    return;
  }
  m_pIndependentBrowser = browser;
  browser->GetVellSignalsWidget()->WaitOnBrowserCreated([guard = QPointer<VellWidget>(this)] {
    if (guard) guard->_ShowBrowser();
  }, nullptr);
}

void VellWidget::_ShowBrowser() {
  VellBrowserWrapper* wrapper = m_pIndependentBrowser->GetVellHandler()->GetBrowser();
  if (!wrapper || !wrapper->GetHost()) return;
  m_pBrowserWindow = VellPlatform::WindowFromBrowserHandle(wrapper->GetWindowHandle());
  if (!m_pBrowserWindow) return;
  m_pBrowserContainer = QWidget::createWindowContainer(m_pBrowserWindow);
  m_pLayout->addWidget(m_pBrowserContainer, 0, Qt::Alignment());
  connect(GetVellSignalsWidget(), &VellSignalsWidget::OnFullscreenModeChange, this, &VellWidget::_SetPageFullscreen,
          Qt::UniqueConnection);
  connect(GetVellSignalsWidget(), &VellSignalsWidget::OnTakeFocus, this, &VellWidget::_FocusNeighbour,
          Qt::UniqueConnection);
  _ApplyRender();
}

void VellWidget::_SetPageFullscreen(bool bFullscreen) {
  if (!m_pBrowserContainer || bFullscreen == m_bPageFullscreen) return;
  m_bPageFullscreen = bFullscreen;
  QWidget* topLevel = window();
  VellLog(LOGSEVERITY_INFO, bFullscreen ? "VellWidget: the page went fullscreen, filling its top-level window"
                                        : "VellWidget: the page left fullscreen");
  if (bFullscreen) {
    m_topLevelStatesBeforeFullscreen = topLevel->windowState();
    m_pLayout->removeWidget(m_pBrowserContainer);
    m_pBrowserContainer->setParent(topLevel);
    m_pBrowserContainer->setGeometry(topLevel->rect());
    m_pBrowserContainer->raise();
    m_pBrowserContainer->show();
    topLevel->setWindowState(m_topLevelStatesBeforeFullscreen | Qt::WindowFullScreen);
  } else {
    m_pBrowserContainer->setParent(this);
    m_pLayout->addWidget(m_pBrowserContainer, 0, Qt::Alignment());
    m_pBrowserContainer->show();
    topLevel->setWindowState(m_topLevelStatesBeforeFullscreen);
  }
  _ApplyRender();
}

void VellWidget::_FocusNeighbour(bool bNext) {
  QWidget* start = m_pBrowserContainer ? m_pBrowserContainer.data() : this;
  for (QWidget* candidate = bNext ? start->nextInFocusChain() : start->previousInFocusChain(); candidate != start;
       candidate = bNext ? candidate->nextInFocusChain() : candidate->previousInFocusChain()) {
    const bool inBrowser = candidate == this || isAncestorOf(candidate);
    if (inBrowser || !candidate->isVisible() || !candidate->isEnabled() || !(candidate->focusPolicy() & Qt::TabFocus)) {
      continue;
    }
    candidate->setFocus(bNext ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return;
  }
}

bool VellWidget::eventFilter(QObject* watched, QEvent* event) {
  if (m_bPageFullscreen && event->type() == QEvent::Resize && watched == window() && m_pBrowserContainer) {
    m_pBrowserContainer->setGeometry(window()->rect());
    _ApplyRender();
  }
  return QWidget::eventFilter(watched, event);
}

void VellWidget::DisconnectCefBrowser() const {
  if (m_pBrowserContainer) m_pLayout->removeWidget(m_pBrowserContainer);
}

VellSignalsWidget* VellWidget::GetVellSignalsWidget() const { return m_pIndependentBrowser->GetVellSignalsWidget(); }

void VellWidget::LoadUrl(const std::string& url) const {
  if (!m_pIndependentBrowser) return;
  if (CefRefPtr<VellHandler> handler = m_pIndependentBrowser->GetVellHandler()) handler->LoadUrl(url);
}

void VellWidget::resizeEvent(QResizeEvent* event) {
  m_lastSize = QSize(std::max(0, event->size().width()), std::max(0, event->size().height()));
  _ApplyRender();
}

void VellWidget::SetMainWindow(QWidget* mainWindow) {
  delete m_pMainWindowTracker;
  m_pMainWindow = mainWindow;
  m_pMainWindowTracker = new VellTrackMainWindowState(mainWindow);
  connect(m_pMainWindowTracker, &VellTrackMainWindowState::FireMainWindowStateChanged, this,
          &VellWidget::_OnMainWindowStateChanged);
}

void VellWidget::_OnMainWindowStateChanged(const MainWindowState& mainWindowState) {
  m_bRenderStopped = mainWindowState.bMinimized || mainWindowState.bCovered;
  _ApplyRender();
}

void VellWidget::_ApplyRender() const {
  if (m_bRenderStopped) {
    _StopRender();
    return;
  }
  _StartRender();
}

void VellWidget::_StartRender() const {
  _ResizeBrowser(m_bPageFullscreen && m_pBrowserContainer ? m_pBrowserContainer->size() : m_lastSize);
}

void VellWidget::_ResizeBrowser(const QSize& size) const {
  if (!m_pIndependentBrowser || !m_pBrowserWindow) return;
  VellBrowserWrapper* wrapper = m_pIndependentBrowser->GetVellHandler()->GetBrowser();
  if (!wrapper || !wrapper->GetWindowHandle()) return;
  m_pBrowserWindow->resize(size);
}
