#pragma once

// What a person does and sees on a real X server (the tests run under Xvfb):
// a window manager the tests start, the pointer and keys driven through the
// XTest extension, and what X shows back (the cursor, the windows mapped).

#include <QPoint>
#include <QProcess>
#include <QString>
#include <string>
#include <vector>

#include <gtest/gtest.h>

struct _XDisplay;

class X11Desktop {
 public:
  X11Desktop();
  ~X11Desktop();
  X11Desktop(const X11Desktop&) = delete;
  X11Desktop& operator=(const X11Desktop&) = delete;

  // A window manager that follows EWMH announces itself on the root window.
  bool HasWindowManager() const;
  // What a window manager does to a window it minimises, done by hand.
  void SetHiddenState(unsigned long window, bool hidden) const;

  void MoveTo(const QPoint& global) const;
  void Click(const QPoint& global, int button = 1) const;
  // A mouse button held down (or let go) where the pointer is.
  void Button(int button, bool down) const;
  // Keys ("ctrl", "shift" or keysym names) pressed and held, or let go, in
  // the order given.
  void Hold(const std::vector<std::string>& keys, bool down) const;
  // A key by its X keysym name ("a", "Return", "Tab"), with "ctrl"/"shift" held.
  void Key(const std::string& keysym, const std::vector<std::string>& held = {}) const;
  void Type(const std::string& text) const;
  // Drags a file from a window of the test's own (an XDND source, as a file
  // manager is) to `target`, through real pointer input, and drops it there.
  void DragFileOnto(const QPoint& target, const QString& path) const;

  // The window with the keyboard focus.
  unsigned long FocusWindow() const;
  // Override-redirect windows (pop-up lists, menus, tooltips) now viewable.
  int ViewablePopups() const;

  // The cursor X shows now (XFixes): its name when the client named it, and
  // its picture. Two cursors are the same shape when their pictures are.
  struct Cursor {
    std::string name;
    std::vector<unsigned long> pixels;
    bool operator==(const Cursor& other) const { return pixels == other.pixels; }
    bool operator!=(const Cursor& other) const { return !(*this == other); }
  };
  Cursor ShownCursor() const;

 private:
  void Press(unsigned int keycode, bool down) const;
  std::vector<unsigned int> Keycodes(const std::vector<std::string>& keys) const;

  _XDisplay* m_pDisplay;
};

// Runs openbox on the test process's X server until the tests are done.
class WindowManagerEnvironment : public ::testing::Environment {
 public:
  void SetUp() override;
  void TearDown() override;

 private:
  QProcess m_process;
};
