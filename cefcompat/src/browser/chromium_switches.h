#pragma once

#include <string>
#include <vector>

#include "include/cef_app.h"
#include "include/cef_command_line.h"

namespace cefcompat {

class WindowedMode;

// The command line of the runtime's Chromium (after the executable): the
// runtime's own switches, those CEF's settings stand for, and those of the
// application's command line that Chromium understands (the others are
// logged and left out). With `windowed`, the windowed mode adds its own;
// without, Chromium runs headless and renders at `scale`.
std::vector<std::string> ChromiumSwitches(const CefSettings& settings, CefRefPtr<CefCommandLine> commandLine,
                                          const std::string& profileDir, const WindowedMode* windowed, double scale);

}  // namespace cefcompat
