#include "log.h"

#include <atomic>

#include <QDebug>
#include <QMessageLogger>

namespace cefcompat {

namespace {
std::atomic<int> g_minimum{LOGSEVERITY_INFO};
}

void SetLogSeverity(cef_log_severity_t severity) {
  g_minimum = severity == LOGSEVERITY_DEFAULT ? LOGSEVERITY_INFO : severity;
}

void Log(cef_log_severity_t severity, const std::string& text) {
  if (severity < g_minimum || g_minimum == LOGSEVERITY_DISABLE) return;
  const char* utf8 = text.c_str();
  switch (severity) {
    case LOGSEVERITY_VERBOSE:
    case LOGSEVERITY_DEFAULT:
      QMessageLogger().debug() << "[cefcompat]" << utf8;
      return;
    case LOGSEVERITY_INFO:
      QMessageLogger().info() << "[cefcompat]" << utf8;
      return;
    case LOGSEVERITY_WARNING:
      QMessageLogger().warning() << "[cefcompat]" << utf8;
      return;
    default:
      QMessageLogger().critical() << "[cefcompat]" << utf8;
      return;
  }
}

}  // namespace cefcompat
