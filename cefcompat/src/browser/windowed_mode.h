#pragma once

#include <sys/types.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "protocol/connection.h"
#include "include/internal/cef_types.h"

namespace cefcompat {

class FocusRelay;
class WindowNursery;
class XConnection;

// Windowed mode: Chromium runs with windows of its own on the X server Qt
// uses, and each browser's page is Chromium's window inside the browser's
// surface. Chromium starts as an application window (no tabs, no address
// bar) that nobody sees; each browser is a pop-up window opened from it,
// which has no browser interface either.
//
// Threads: created on the runtime's start; the rest on TID_UI.
class WindowedMode {
 public:
  using Opened = std::function<void(const std::string& targetId, const std::string& error)>;

  // Null, with the reason in `why`, where the windowed mode cannot run: the
  // settings ask for windowless rendering, Qt is not on X11, or the X server
  // lacks what is needed.
  static std::unique_ptr<WindowedMode> Create(const CefSettings& settings, std::string& why);
  ~WindowedMode();

  // Chromium's switches for this mode, in place of the headless ones.
  void AddSwitches(std::vector<std::string>& args) const;
  // A Chromium was started (and may have died before): its windows are taken in.
  void OnLaunched(pid_t pid);
  // The start's thread: finds the application window's target and attaches
  // to it, waiting for Chromium's answers.
  bool AttachApplication(Connection& connection, int timeoutMs, std::string& error);
  // TID_UI: a new page target in a window of its own, `width` x `height`.
  void Open(int width, int height, Opened opened);
  // TID_UI: true when `targetInfo` is a window this mode opened.
  bool OnTargetCreated(const Json& targetInfo);
  // TID_UI: Chromium is gone; windows asked for are not coming.
  void OnChromiumGone();

  WindowNursery& Nursery() { return *nursery_; }

 private:
  struct Pending {
    uint64_t sequence;
    Opened opened;
  };

  WindowedMode() = default;
  std::string FindApplicationTarget(Connection& connection, int timeoutMs, std::string& error);
  // The window asked for as `sequence`, when still awaited, is not coming.
  void Fail(uint64_t sequence, const std::string& error);

  std::unique_ptr<XConnection> x_;
  std::unique_ptr<WindowNursery> nursery_;
  std::unique_ptr<FocusRelay> focusRelay_;
  double scale_ = 1.0;
  std::string appTargetId_;
  std::string appSessionId_;
  uint64_t lastSequence_ = 0;
  std::deque<Pending> pending_;  // in the order asked; Chromium creates them in that order
};

}  // namespace cefcompat
