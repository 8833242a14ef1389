#pragma once

#include <string>

#include "include/internal/cef_types.h"

namespace cefcompat {

// The runtime's own log: lines tagged "[cefcompat]" through Qt's message
// logger, filtered by CefSettings::log_severity.
void SetLogSeverity(cef_log_severity_t severity);
void Log(cef_log_severity_t severity, const std::string& text);

}  // namespace cefcompat
