#pragma once
// Thread assertions, as CEF's wrapper declares them:
//   void Handler::OnAfterCreated(CefRefPtr<CefBrowser> browser) {
//     CEF_REQUIRE_UI_THREAD();
//
// Called on another thread, the check writes an error naming the function and
// the thread it must run on. With DCHECK_IS_ON() (builds without NDEBUG) it
// then aborts, as CEF's DCHECK does; otherwise the function goes on, and each
// call site reports once.

#include <atomic>

#include "include/base/cef_bind.h"
#include "include/base/cef_build.h"
#include "include/base/cef_logging.h"
#include "include/base/cef_macros.h"
#include "include/cef_task.h"

namespace cef_internal {

// True when the caller runs on `thread`; otherwise reports `function` (once,
// through `reported`, unless DCHECK_IS_ON(): then every time, and aborts).
bool CheckThread(CefThreadId thread, const char* function, const char* file, int line, std::atomic<bool>& reported);

}  // namespace cef_internal

#if defined(__GNUC__)
#define CEF_CURRENT_FUNCTION_ __PRETTY_FUNCTION__
#else
#define CEF_CURRENT_FUNCTION_ __func__
#endif

#define CEF_REQUIRE_THREAD_(thread)                                                               \
  do {                                                                                            \
    static std::atomic<bool> cef_thread_reported_{false};                                         \
    ::cef_internal::CheckThread(thread, CEF_CURRENT_FUNCTION_, __FILE__, __LINE__, cef_thread_reported_); \
  } while (false)

#define CEF_REQUIRE_UI_THREAD() CEF_REQUIRE_THREAD_(TID_UI)
#define CEF_REQUIRE_IO_THREAD() CEF_REQUIRE_THREAD_(TID_IO)
#define CEF_REQUIRE_FILE_BACKGROUND_THREAD() CEF_REQUIRE_THREAD_(TID_FILE_BACKGROUND)
#define CEF_REQUIRE_RENDERER_THREAD() CEF_REQUIRE_THREAD_(TID_RENDERER)
