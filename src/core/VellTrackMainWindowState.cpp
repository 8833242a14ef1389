#include "core/VellTrackMainWindowState.h"

#include <QDateTime>
#include <QGuiApplication>
#include <QThread>
#include <QWindow>

#include "base/VellLoggerAgent.h"
#include "core/VellTrackMainWindowStateThread.h"
#include "platform/VellWindowCover.h"
#include "platform/VellWindowStacking.h"

VellTrackMainWindowState::VellTrackMainWindowState(QWidget* mainWindow)
    : QObject(mainWindow),
      m_pMainWindow(mainWindow),
      m_nMainWindowId(mainWindow->winId()),
      m_bMainWindowVisible(mainWindow->isVisible()),
      m_pStacking(std::make_unique<VellWindowStacking>()) {
  qRegisterMetaType<MainWindowState>("MainWindowState");
  m_lastEmittedState = m_mainWindowState;
  QWindow* window = m_pMainWindow->windowHandle();  // exists once winId() has been asked for
  connect(window, &QWindow::windowStateChanged, this, &VellTrackMainWindowState::_OnWindowStateChanged);
  connect(window, &QWindow::visibleChanged, this, [this](bool bVisible) { m_bMainWindowVisible = bVisible; });
  m_pThread = new VellTrackMainWindowStateThread(m_nPollMs, [this] { _Poll(); });
  m_pThread->start();
}

VellTrackMainWindowState::~VellTrackMainWindowState() {
  m_pThread->quit();
  m_pThread->wait();
  delete m_pThread;
}

void VellTrackMainWindowState::_OnWindowStateChanged(Qt::WindowState windowState) {
  Q_ASSERT(QThread::currentThread() == thread());
  const bool bMinimized = (windowState & Qt::WindowMinimized) != 0;
  if (bMinimized == m_mainWindowState.bMinimized) return;
  m_mainWindowState.bMinimized = bMinimized;
  _EmitIfChanged();
}

void VellTrackMainWindowState::_Poll() {
  Q_ASSERT(QThread::currentThread() == m_pThread);
  bool bCovered = false;
  {
    std::lock_guard<std::mutex> lock(m_coveredMutex);
    bCovered = m_mainWindowState.bCovered;
  }
  if (!bCovered && _NowMs() - m_nLastCoveredCheckMs < m_nUncoveredCheckMs) return;
  _CheckCovered();
  m_nLastCoveredCheckMs = _NowMs();
}

void VellTrackMainWindowState::_CheckCovered() {
  const bool bCovered = _IsCovered();
  {
    std::lock_guard<std::mutex> lock(m_coveredMutex);
    if (m_mainWindowState.bCovered == bCovered) return;
    m_mainWindowState.bCovered = bCovered;
  }
  QMetaObject::invokeMethod(this, [this] { _EmitIfChanged(); }, Qt::QueuedConnection);
}

bool VellTrackMainWindowState::_IsCovered() const {
  if (!m_bMainWindowVisible) return true;
  if (!m_pStacking->IsAvailable()) {
    static std::once_flag s_reported;
    std::call_once(s_reported, [] {
      VellLog(LOGSEVERITY_WARNING, "VellTrackMainWindowState: covering cannot be detected on the Qt platform '" +
                                       QGuiApplication::platformName().toStdString() +
                                       "'; only a minimised or hidden main window stops rendering");
    });
    return false;
  }
  VellStackedWindow self;
  std::vector<VellStackedWindow> above;
  if (!m_pStacking->Query(static_cast<uint32_t>(m_nMainWindowId), self, above)) return false;
  if (self.bHidden || !self.bViewable) return true;  // minimised or withdrawn as far as the window manager goes
  return VellWindowCover::IsCovered(self.rect, above, kCoverTolerancePx);
}

void VellTrackMainWindowState::_EmitIfChanged() {
  Q_ASSERT(QThread::currentThread() == thread());
  const MainWindowState current = _CurrentState();
  if (current == m_lastEmittedState) return;
  m_lastEmittedState = current;
  emit FireMainWindowStateChanged(current);
}

MainWindowState VellTrackMainWindowState::_CurrentState() {
  MainWindowState current;
  current.bMinimized = m_mainWindowState.bMinimized;
  std::lock_guard<std::mutex> lock(m_coveredMutex);
  current.bCovered = m_mainWindowState.bCovered;
  return current;
}

int64_t VellTrackMainWindowState::_NowMs() { return QDateTime::currentMSecsSinceEpoch(); }
