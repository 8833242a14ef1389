#pragma once

// Watches the desktop of a real X server for windows of another process
// (Chromium's, in the tests) that are shown on their own: mapped as a child
// of the root window, or inside a window manager's frame there. Pop-up
// lists, menus and tooltips (override-redirect windows) are allowed.

#include <memory>
#include <string>
#include <vector>

#include <QObject>

class QSocketNotifier;
struct _XDisplay;

class StrayWindowWatch : public QObject {
  Q_OBJECT

 public:
  StrayWindowWatch();
  ~StrayWindowWatch() override;

  // Every stray window mapped since the watch began (its title and process).
  std::vector<std::string> Seen();
  // The stray windows on the desktop now.
  std::vector<std::string> ShownNow() const;

 private:
  void Drain();
  // The window of another process at `window` or just under it (a frame's
  // client), not inside one of this process's windows; 0 when none.
  unsigned long ForeignWindow(unsigned long window, int depth) const;
  long OwnerPid(unsigned long window) const;
  std::string Describe(unsigned long window) const;

  _XDisplay* m_pDisplay;
  std::unique_ptr<QSocketNotifier> m_pNotifier;
  std::vector<std::string> m_vecSeen;
};
