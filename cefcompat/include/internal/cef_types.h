#pragma once
// Plain value types of the runtime, with CEF's names and values.

#include <cstddef>
#include <cstdint>

#include "include/internal/cef_string.h"

using int64 = int64_t;
using uint32 = uint32_t;
using cef_color_t = uint32_t;

typedef enum {
  LOGSEVERITY_DEFAULT = 0,
  LOGSEVERITY_VERBOSE = 1,
  LOGSEVERITY_DEBUG = LOGSEVERITY_VERBOSE,
  LOGSEVERITY_INFO = 2,
  LOGSEVERITY_WARNING = 3,
  LOGSEVERITY_ERROR = 4,
  LOGSEVERITY_FATAL = 5,
  LOGSEVERITY_DISABLE = 99,
} cef_log_severity_t;

#define CefColorSetARGB(a, r, g, b)                                                  \
  static_cast<cef_color_t>((static_cast<unsigned>(a) << 24) |                        \
                           (static_cast<unsigned>(r) << 16) |                        \
                           (static_cast<unsigned>(g) << 8) | static_cast<unsigned>(b))

// Global runtime settings handed to CefInitialize. A default-constructed value is
// CEF's default: every field zero or empty, `size` set to the structure's size.
struct CefSettings {
  size_t size = sizeof(CefSettings);
  int no_sandbox = 0;
  CefString browser_subprocess_path;
  int multi_threaded_message_loop = 0;
  int windowless_rendering_enabled = 0;
  CefString cache_path;
  CefString user_agent;
  CefString locale;
  cef_log_severity_t log_severity = LOGSEVERITY_DEFAULT;
  CefString resources_dir_path;
  int remote_debugging_port = 0;
  int ignore_certificate_errors = 0;
  cef_color_t background_color = 0;
};
