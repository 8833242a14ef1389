#include "chromium_peer.h"

#include <signal.h>
#include <unistd.h>

#include <vector>

#include "bench_support.h"
#include "protocol/chromium_process.h"
#include "x_screen.h"

namespace {

constexpr int kWindowTimeoutMs = 20000;
constexpr int kExitTimeoutMs = 5000;

}  // namespace

ChromiumPeer::ChromiumPeer() : process_(std::make_unique<cefcompat::ChromiumProcess>()) {}

ChromiumPeer::~ChromiumPeer() {
  if (process_->Pid() <= 0 || process_->HasExited()) return;
  for (pid_t pid : ProcessTree(process_->Pid())) kill(pid, SIGKILL);
  process_->WaitForExit(kExitTimeoutMs);
}

bool ChromiumPeer::Start(const std::string& url, const std::string& title, int width, int height, XScreen& screen,
                         std::string& error) {
  std::vector<std::string> args = {
      "--remote-debugging-pipe",
      "--user-data-dir=" + profile_.path().toStdString(),
      "--disable-renderer-backgrounding",
      "--disable-background-timer-throttling",
      "--disable-backgrounding-occluded-windows",
      "--no-first-run",
      "--disable-background-networking",
      "--disable-component-update",
      "--disable-sync",
      "--disable-gpu",
      "--ozone-platform=x11",
      "--password-store=basic",
      "--noerrdialogs",
      "--hide-crash-restore-bubble",
      "--window-position=40,40",
      "--window-size=" + std::to_string(width) + "," + std::to_string(height),
      "--app=" + url,
  };
  if (geteuid() == 0) args.push_back("--no-sandbox");
  const std::string log = profile_.path().toStdString() + "/chromium.log";
  if (!process_->Launch(cefcompat::ChromiumProcess::FindBinary(), args, log, error)) return false;
  window_ = screen.WaitForWindowTitled(title, kWindowTimeoutMs, [this] { return process_->HasExited(); });
  if (window_) return true;
  error = process_->HasExited() ? "Chromium exited; see " + log : "Chromium's window did not appear";
  return false;
}
