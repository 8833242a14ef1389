// Support of the wrapper and base headers: thread checks and null callbacks.
#include <atomic>
#include <cstdlib>
#include <string>

#include "include/base/cef_callback.h"
#include "include/wrapper/cef_helpers.h"
#include "base/log.h"

namespace {

const char* ThreadName(CefThreadId thread) {
  switch (thread) {
    case TID_UI:
      return "TID_UI";
    case TID_IO:
      return "TID_IO";
    case TID_FILE_BACKGROUND:
      return "TID_FILE_BACKGROUND";
    case TID_RENDERER:
      return "TID_RENDERER";
    default:
      return "a runtime thread that does not exist here";
  }
}

}  // namespace

namespace cef_internal {

bool CheckThread(CefThreadId thread, const char* function, const char* file, int line, std::atomic<bool>& reported) {
  if (CefCurrentlyOn(thread)) return true;
  if (!DCHECK_IS_ON() && reported.exchange(true)) return false;
  cefcompat::Log(LOGSEVERITY_ERROR, std::string(function) + " must be called on " + ThreadName(thread) +
                                        " but was called on another thread (" + file + ":" + std::to_string(line) +
                                        ")" + (DCHECK_IS_ON() ? "" : "; further calls from here are not reported"));
  if (DCHECK_IS_ON()) std::abort();
  return false;
}

}  // namespace cef_internal

namespace base::cef_internal {

void ReportNullCallbackRun() {
  static std::atomic<bool> reported{false};
  if (reported.exchange(true)) return;
  cefcompat::Log(LOGSEVERITY_ERROR, "a null base::Callback was run: it did nothing (further ones are not reported)");
}

}  // namespace base::cef_internal
