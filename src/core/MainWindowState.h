#pragma once

#include <QMetaType>

// What the launcher's main window looks like to the user: minimised, or
// covered by other windows. The argument of
// VellTrackMainWindowState::FireMainWindowStateChanged.
struct MainWindowState {
  bool bMinimized = false;
  bool bCovered = false;

  bool operator==(const MainWindowState& other) const {
    return bMinimized == other.bMinimized && bCovered == other.bCovered;
  }
  bool operator!=(const MainWindowState& other) const { return !(*this == other); }
};

Q_DECLARE_METATYPE(MainWindowState)
