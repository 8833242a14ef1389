#pragma once
// Plain value types of the runtime, with CEF's names and values.

#include <cstddef>
#include <cstdint>

#include "include/internal/cef_string.h"

using int64 = int64_t;
using uint32 = uint32_t;
using cef_color_t = uint32_t;
// The native handle of a browser's window (the id of its Qt surface window).
using cef_window_handle_t = unsigned long;
using CefWindowHandle = cef_window_handle_t;
using CefEventHandle = void*;

typedef enum {
  TID_UI,
  TID_FILE_BACKGROUND,
  TID_FILE = TID_FILE_BACKGROUND,
  TID_FILE_USER_VISIBLE,
  TID_FILE_USER_BLOCKING,
  TID_PROCESS_LAUNCHER,
  TID_IO,
  TID_RENDERER,
} cef_thread_id_t;
using CefThreadId = cef_thread_id_t;

typedef enum { PID_BROWSER, PID_RENDERER } cef_process_id_t;
using CefProcessId = cef_process_id_t;

typedef enum {
  TS_ABNORMAL_TERMINATION,
  TS_PROCESS_WAS_KILLED,
  TS_PROCESS_CRASHED,
  TS_PROCESS_OOM,
} cef_termination_status_t;

typedef enum { STATE_DEFAULT = 0, STATE_ENABLED, STATE_DISABLED } cef_state_t;

typedef enum {
  TT_LINK = 0,
  TT_EXPLICIT = 1,
  TT_AUTO_SUBFRAME = 3,
  TT_MANUAL_SUBFRAME = 4,
  TT_FORM_SUBMIT = 7,
  TT_RELOAD = 8,
  TT_SOURCE_MASK = 0xFF,
} cef_transition_type_t;

// Network error codes, as Chromium numbers them (net/base/net_error_list.h).
typedef enum {
  ERR_NONE = 0,
  ERR_FAILED = -2,
  ERR_ABORTED = -3,
  ERR_INVALID_ARGUMENT = -4,
  ERR_INVALID_HANDLE = -5,
  ERR_FILE_NOT_FOUND = -6,
  ERR_TIMED_OUT = -7,
  ERR_FILE_TOO_BIG = -8,
  ERR_UNEXPECTED = -9,
  ERR_ACCESS_DENIED = -10,
  ERR_NOT_IMPLEMENTED = -11,
  ERR_INSUFFICIENT_RESOURCES = -12,
  ERR_OUT_OF_MEMORY = -13,
  ERR_BLOCKED_BY_CLIENT = -20,
  ERR_BLOCKED_BY_RESPONSE = -27,
  ERR_CONNECTION_CLOSED = -100,
  ERR_CONNECTION_RESET = -101,
  ERR_CONNECTION_REFUSED = -102,
  ERR_CONNECTION_ABORTED = -103,
  ERR_CONNECTION_FAILED = -104,
  ERR_NAME_NOT_RESOLVED = -105,
  ERR_INTERNET_DISCONNECTED = -106,
  ERR_SSL_PROTOCOL_ERROR = -107,
  ERR_ADDRESS_INVALID = -108,
  ERR_ADDRESS_UNREACHABLE = -109,
  ERR_CONNECTION_TIMED_OUT = -118,
  ERR_NAME_RESOLUTION_FAILED = -137,
  ERR_CERT_COMMON_NAME_INVALID = -200,
  ERR_CERT_DATE_INVALID = -201,
  ERR_CERT_AUTHORITY_INVALID = -202,
  ERR_INVALID_URL = -300,
  ERR_DISALLOWED_URL_SCHEME = -301,
  ERR_UNKNOWN_URL_SCHEME = -302,
  ERR_TOO_MANY_REDIRECTS = -310,
  ERR_UNSAFE_REDIRECT = -311,
  ERR_UNSAFE_PORT = -312,
  ERR_INVALID_RESPONSE = -320,
  ERR_EMPTY_RESPONSE = -324,
  ERR_CONTENT_DECODING_FAILED = -330,
  ERR_CACHE_MISS = -400,
  ERR_INSECURE_RESPONSE = -501,
} cef_errorcode_t;

typedef enum {
  KEYEVENT_RAWKEYDOWN = 0,
  KEYEVENT_KEYDOWN,
  KEYEVENT_KEYUP,
  KEYEVENT_CHAR,
} cef_key_event_type_t;

typedef enum {
  EVENTFLAG_NONE = 0,
  EVENTFLAG_CAPS_LOCK_ON = 1 << 0,
  EVENTFLAG_SHIFT_DOWN = 1 << 1,
  EVENTFLAG_CONTROL_DOWN = 1 << 2,
  EVENTFLAG_ALT_DOWN = 1 << 3,
  EVENTFLAG_LEFT_MOUSE_BUTTON = 1 << 4,
  EVENTFLAG_MIDDLE_MOUSE_BUTTON = 1 << 5,
  EVENTFLAG_RIGHT_MOUSE_BUTTON = 1 << 6,
  EVENTFLAG_COMMAND_DOWN = 1 << 7,
  EVENTFLAG_NUM_LOCK_ON = 1 << 8,
  EVENTFLAG_IS_KEY_PAD = 1 << 9,
} cef_event_flags_t;

typedef enum {
  MBT_LEFT = 0,
  MBT_MIDDLE,
  MBT_RIGHT,
} cef_mouse_button_type_t;

typedef enum {
  WOD_UNKNOWN,
  WOD_CURRENT_TAB,
  WOD_SINGLETON_TAB,
  WOD_NEW_FOREGROUND_TAB,
  WOD_NEW_BACKGROUND_TAB,
  WOD_NEW_POPUP,
  WOD_NEW_WINDOW,
  WOD_SAVE_TO_DISK,
  WOD_OFF_THE_RECORD,
  WOD_IGNORE_ACTION,
} cef_window_open_disposition_t;

typedef enum {
  DRAG_OPERATION_NONE = 0,
  DRAG_OPERATION_COPY = 1,
  DRAG_OPERATION_LINK = 2,
  DRAG_OPERATION_GENERIC = 4,
  DRAG_OPERATION_PRIVATE = 8,
  DRAG_OPERATION_MOVE = 16,
  DRAG_OPERATION_DELETE = 32,
  DRAG_OPERATION_EVERY = 0x7fffffff,
} cef_drag_operations_mask_t;

struct CefKeyEvent {
  cef_key_event_type_t type = KEYEVENT_RAWKEYDOWN;
  uint32 modifiers = 0;
  // Windows virtual-key code, on every platform.
  int windows_key_code = 0;
  int native_key_code = 0;
  int is_system_key = 0;
  char16 character = 0;
  char16 unmodified_character = 0;
  int focus_on_editable_field = 0;
};

struct CefMouseEvent {
  int x = 0;
  int y = 0;
  uint32 modifiers = 0;
};

struct CefRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

struct CefPoint {
  int x = 0;
  int y = 0;
};

struct CefPopupFeatures {
  int x = 0;
  int xSet = 0;
  int y = 0;
  int ySet = 0;
  int width = 0;
  int widthSet = 0;
  int height = 0;
  int heightSet = 0;
};

// Where a browser's window goes. On this runtime every browser paints into a
// surface window of its own; the parent and style fields are kept for callers
// written against the Windows layout and do not change the result.
struct CefWindowInfo {
  CefWindowHandle parent_window = 0;
  CefString window_name;
  unsigned int style = 0;
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;

  void SetAsChild(CefWindowHandle parent, const CefRect& rect) {
    parent_window = parent;
    x = rect.x, y = rect.y, width = rect.width, height = rect.height;
  }
  void SetAsPopup(CefWindowHandle parent, const CefString& name) {
    parent_window = parent;
    window_name = name;
  }
};

struct CefBrowserSettings {
  size_t size = sizeof(CefBrowserSettings);
  int minimum_font_size = 0;
  cef_state_t universal_access_from_file_urls = STATE_DEFAULT;
  cef_state_t file_access_from_file_urls = STATE_DEFAULT;
  cef_color_t background_color = 0;
};

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
