#pragma once

#include <string>

#include "include/internal/cef_types.h"  // LOGSEVERITY_* names of the severities
#include "utils/VellAutoSingleton.h"

// The one logging funnel. Severities follow CEF's scale:
// 0 default, 1 verbose, 2 info, 3 warning, 4 error, 5 fatal (ends the process).
// Each line goes through Qt's message logger as "[VELL] text". Any thread.
class VellLoggerAgent : public VellAutoSingleton<VellLoggerAgent> {
  friend class VellAutoSingleton<VellLoggerAgent>;

 public:
  // A severity outside 0..5 is dropped silently.
  void Log(int severity, const std::string& text);

 protected:
  VellLoggerAgent() = default;
};

// Shorthand used at every log site.
inline void VellLog(int severity, const std::string& text) {
  VellLoggerAgent::Instance()->Log(severity, text);
}
