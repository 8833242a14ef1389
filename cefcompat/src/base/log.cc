#include "base/log.h"

#include "include/base/cef_logging.h"

#include <atomic>
#include <cstdlib>

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

void cef_log(const char* file, int line, int severity, const char* message) {
  const std::string where = std::string(file ? file : "?") + ":" + std::to_string(line) + ": ";
  const bool fatal = severity >= LOGSEVERITY_FATAL && severity != LOGSEVERITY_DISABLE;
  cefcompat::Log(fatal ? LOGSEVERITY_ERROR : static_cast<cef_log_severity_t>(severity),
                 where + (message ? message : ""));
  if (fatal) std::abort();
}
