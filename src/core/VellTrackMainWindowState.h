#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include <QObject>
#include <QWidget>

#include "core/MainWindowState.h"

class VellTrackMainWindowStateThread;
class VellWindowStacking;

// Watches the launcher's main window and tells when it becomes minimised or
// covered by other windows, so that browsers can stop rendering meanwhile.
//
// A Qt child of the main window, living on its thread (the Qt thread): the
// minimised state comes from Qt there. Whether the window is covered is
// tested on a tracking thread of its own: on every poll while covered, and
// every uncovered-check interval otherwise. On X11 a window counts as covered
// when the windows stacked above it hide it whole (panels and docks never
// count); where the window system cannot tell (offscreen, Wayland) only a
// hidden main window counts as covered.
class VellTrackMainWindowState : public QObject {
  Q_OBJECT

 public:
  // `mainWindow`: a top-level widget; its native window is created here.
  explicit VellTrackMainWindowState(QWidget* mainWindow);
  ~VellTrackMainWindowState() override;

 signals:
  // On this object's thread, whenever the pair differs from the last one sent.
  void FireMainWindowStateChanged(MainWindowState mainWindowState);

 private:
  static constexpr int kCoverTolerancePx = 10;

  void _OnWindowStateChanged(Qt::WindowState windowState);
  void _Poll();
  void _CheckCovered();
  bool _IsCovered() const;
  void _EmitIfChanged();
  MainWindowState _CurrentState();
  static int64_t _NowMs();

  MainWindowState m_mainWindowState;  // bMinimized: own thread; bCovered: under m_coveredMutex
  QWidget* const m_pMainWindow;
  const int m_nPollMs = 100;
  const int m_nUncoveredCheckMs = 5000;
  MainWindowState m_lastEmittedState;  // own thread
  VellTrackMainWindowStateThread* m_pThread = nullptr;
  std::mutex m_coveredMutex;
  int64_t m_nLastCoveredCheckMs = 0;  // ms since the Unix epoch; tracking thread
  const WId m_nMainWindowId;          // read once, on the own thread
  std::atomic<bool> m_bMainWindowVisible;
  const std::unique_ptr<VellWindowStacking> m_pStacking;  // tracking thread, once built
};
