#pragma once
// CEF's logging macros, written to the runtime's log:
//   LOG(INFO) << "loaded " << url;   LOG(VERBOSE), LOG(WARNING), LOG(ERROR), LOG(FATAL)
//   LOG_IF(ERROR, condition) << ...
//   DLOG(...)                         only when DCHECK_IS_ON()
//   CHECK(condition)                  logs and aborts when false
//   DCHECK(condition)                 as CHECK when DCHECK_IS_ON(); otherwise
//                                     the condition is not evaluated
//   NOTREACHED()                      DCHECK(false)
// LOG(FATAL) aborts after writing its line, as in CEF.

#include <sstream>

#include "include/base/cef_build.h"

// Writes one line to the runtime's log (and aborts for LOGSEVERITY_FATAL).
// `severity` is a cef_log_severity_t value.
void cef_log(const char* file, int line, int severity, const char* message);

namespace cef {
namespace logging {

// LOG(X) severities, numbered as cef_log_severity_t.
constexpr int LOG_VERBOSE = 1;
constexpr int LOG_INFO = 2;
constexpr int LOG_WARNING = 3;
constexpr int LOG_ERROR = 4;
constexpr int LOG_FATAL = 5;

// Collects one line and writes it when destroyed.
class LogMessage {
 public:
  LogMessage(const char* file, int line, int severity) : file_(file), line_(line), severity_(severity) {}
  LogMessage(const char* file, int line, const char* failed_condition)
      : file_(file), line_(line), severity_(LOG_FATAL) {
    stream_ << "Check failed: " << failed_condition << ". ";
  }
  ~LogMessage() { cef_log(file_, line_, severity_, stream_.str().c_str()); }
  LogMessage(const LogMessage&) = delete;
  LogMessage& operator=(const LogMessage&) = delete;
  std::ostream& stream() { return stream_; }

 private:
  const char* file_;
  int line_;
  int severity_;
  std::ostringstream stream_;
};

// Turns `stream << ...` into a statement of type void for the ternary below.
class LogMessageVoidify {
 public:
  void operator&(std::ostream&) {}
};

}  // namespace logging
}  // namespace cef

#define LOG(severity) ::cef::logging::LogMessage(__FILE__, __LINE__, ::cef::logging::LOG_##severity).stream()
#define LOG_IF(severity, condition) \
  !(condition) ? (void)0 : ::cef::logging::LogMessageVoidify() & LOG(severity)

#define CHECK(condition)                   \
  (condition) ? (void)0                    \
              : ::cef::logging::LogMessageVoidify() & \
                    ::cef::logging::LogMessage(__FILE__, __LINE__, #condition).stream()

#if DCHECK_IS_ON()
#define DLOG(severity) LOG(severity)
#define DCHECK(condition) CHECK(condition)
#else
// The condition and the message are compiled (so they stay valid) but never run.
#define DLOG(severity) true ? (void)0 : ::cef::logging::LogMessageVoidify() & LOG(severity)
#define DCHECK(condition) \
  true ? (void)0 : ::cef::logging::LogMessageVoidify() & LOG(FATAL) << !(condition)
#endif

#define NOTREACHED() DCHECK(false)
