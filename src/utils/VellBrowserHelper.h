#pragma once

#include "include/cef_frame.h"

class VellBrowserHelper {
 public:
  VellBrowserHelper() = delete;

  // Runs `code` in `frame` when the frame is usable; returns whether it ran.
  // With printError, a refusal is logged as an error.
  static bool ExecuteJavaScript(const CefRefPtr<CefFrame>& frame, const CefString& code,
                                const bool& printError);
};
