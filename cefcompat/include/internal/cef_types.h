#pragma once
// Plain value types of the runtime, with CEF's names and values.

#include <cstddef>
#include <cstdint>

#include "include/internal/cef_string.h"
#include "include/internal/cef_time.h"

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

typedef enum { RV_CANCEL = 0, RV_CONTINUE, RV_CONTINUE_ASYNC } cef_return_value_t;

typedef enum {
  UR_UNKNOWN = 0,
  UR_SUCCESS,
  UR_IO_PENDING,
  UR_CANCELED,
  UR_FAILED,
} cef_urlrequest_status_t;

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
  ERR_REQUEST_RANGE_NOT_SATISFIABLE = -328,
  ERR_CONTENT_DECODING_FAILED = -330,
  ERR_CONTENT_LENGTH_MISMATCH = -354,
  ERR_INCOMPLETE_CHUNKED_ENCODING = -355,
  ERR_CACHE_MISS = -400,
  ERR_INSECURE_RESPONSE = -501,
} cef_errorcode_t;

// How a custom scheme is treated (CefSchemeRegistrar::AddCustomScheme); the
// values combine.
typedef enum {
  CEF_SCHEME_OPTION_NONE = 0,
  CEF_SCHEME_OPTION_STANDARD = 1 << 0,
  CEF_SCHEME_OPTION_LOCAL = 1 << 1,
  CEF_SCHEME_OPTION_DISPLAY_ISOLATED = 1 << 2,
  CEF_SCHEME_OPTION_SECURE = 1 << 3,
  CEF_SCHEME_OPTION_CORS_ENABLED = 1 << 4,
  CEF_SCHEME_OPTION_CSP_BYPASSING = 1 << 5,
  CEF_SCHEME_OPTION_FETCH_ENABLED = 1 << 6,
} cef_scheme_options_t;

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

typedef enum {
  JSDIALOGTYPE_ALERT = 0,
  JSDIALOGTYPE_CONFIRM,
  JSDIALOGTYPE_PROMPT,
} cef_jsdialog_type_t;

typedef enum {
  FILE_DIALOG_OPEN = 0,
  FILE_DIALOG_OPEN_MULTIPLE,
  FILE_DIALOG_OPEN_FOLDER,
  FILE_DIALOG_SAVE,
  FILE_DIALOG_TYPE_MASK = 0xFF,
  FILE_DIALOG_OVERWRITEPROMPT_FLAG = 0x01000000,
  FILE_DIALOG_HIDEREADONLY_FLAG = 0x02000000,
} cef_file_dialog_mode_t;

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
  CefRect() = default;
  CefRect(int x_, int y_, int width_, int height_) : x(x_), y(y_), width(width_), height(height_) {}
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// A range of characters; `from` and `to` are UINT32_MAX for none.
struct CefRange {
  CefRange() = default;
  CefRange(uint32 from_, uint32 to_) : from(from_), to(to_) {}
  uint32 from = 0;
  uint32 to = 0;
};

typedef enum {
  CEF_CUS_SOLID,
  CEF_CUS_DOT,
  CEF_CUS_DASH,
  CEF_CUS_NONE,
} cef_composition_underline_style_t;

// How part of an input method's composition is underlined.
struct CefCompositionUnderline {
  CefRange range;
  cef_color_t color = 0;
  cef_color_t background_color = 0;
  int thick = 0;
  cef_composition_underline_style_t style = CEF_CUS_SOLID;
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
  // As Chromium decides them: every bar is wanted by a window that is not a
  // pop-up (no size or position asked for), none by a pop-up.
  int menuBarVisible = 1;
  int statusBarVisible = 1;
  int toolBarVisible = 1;
  int scrollbarsVisible = 1;
};

// The page's mouse cursor (CSS `cursor`), in CEF's order.
typedef enum {
  CT_POINTER = 0,
  CT_CROSS,
  CT_HAND,
  CT_IBEAM,
  CT_WAIT,
  CT_HELP,
  CT_EASTRESIZE,
  CT_NORTHRESIZE,
  CT_NORTHEASTRESIZE,
  CT_NORTHWESTRESIZE,
  CT_SOUTHRESIZE,
  CT_SOUTHEASTRESIZE,
  CT_SOUTHWESTRESIZE,
  CT_WESTRESIZE,
  CT_NORTHSOUTHRESIZE,
  CT_EASTWESTRESIZE,
  CT_NORTHEASTSOUTHWESTRESIZE,
  CT_NORTHWESTSOUTHEASTRESIZE,
  CT_COLUMNRESIZE,
  CT_ROWRESIZE,
  CT_MIDDLEPANNING,
  CT_EASTPANNING,
  CT_NORTHPANNING,
  CT_NORTHEASTPANNING,
  CT_NORTHWESTPANNING,
  CT_SOUTHPANNING,
  CT_SOUTHEASTPANNING,
  CT_SOUTHWESTPANNING,
  CT_WESTPANNING,
  CT_MOVE,
  CT_VERTICALTEXT,
  CT_CELL,
  CT_CONTEXTMENU,
  CT_ALIAS,
  CT_PROGRESS,
  CT_NODROP,
  CT_COPY,
  CT_NONE,
  CT_NOTALLOWED,
  CT_ZOOMIN,
  CT_ZOOMOUT,
  CT_GRAB,
  CT_GRABBING,
  CT_MIDDLE_PANNING_VERTICAL,
  CT_MIDDLE_PANNING_HORIZONTAL,
  CT_CUSTOM,
  CT_DND_NONE,
  CT_DND_MOVE,
  CT_DND_COPY,
  CT_DND_LINK,
} cef_cursor_type_t;

// An X11 cursor id; this runtime reports 0 (the page's cursor is a CSS
// keyword, which `cef_cursor_type_t` carries).
using cef_cursor_handle_t = unsigned long;
using CefCursorHandle = cef_cursor_handle_t;

struct CefSize {
  int width = 0;
  int height = 0;
};

// A custom cursor's image. A CSS `url()` cursor is reported as its fallback
// keyword, so no image is ever given here.
struct CefCursorInfo {
  CefPoint hotspot;
  float image_scale_factor = 1;
  void* buffer = nullptr;
  CefSize size;
};

// What moved the keyboard focus into a browser.
typedef enum {
  FOCUS_SOURCE_NAVIGATION = 0,
  FOCUS_SOURCE_SYSTEM,
} cef_focus_source_t;

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

// Global runtime settings handed to CefInitialize (CEF 89's members, in its
// order). This runtime honours no_sandbox, browser_subprocess_path,
// multi_threaded_message_loop, windowless_rendering_enabled (0 gives windowed
// mode where Qt runs on X11; see the README), cache_path, user_agent, locale,
// log_severity, javascript_flags, remote_debugging_port,
// ignore_certificate_errors and background_color; CefInitialize logs a warning
// naming any other string member that is set (and external_message_pump).
typedef struct _cef_settings_t {
  size_t size;
  int no_sandbox;
  cef_string_t browser_subprocess_path;
  cef_string_t framework_dir_path;
  cef_string_t main_bundle_path;
  int chrome_runtime;
  int multi_threaded_message_loop;
  int external_message_pump;
  int windowless_rendering_enabled;
  int command_line_args_disabled;
  cef_string_t cache_path;
  cef_string_t root_cache_path;
  cef_string_t user_data_path;
  int persist_session_cookies;
  int persist_user_preferences;
  cef_string_t user_agent;
  cef_string_t product_version;
  cef_string_t locale;
  cef_string_t log_file;
  cef_log_severity_t log_severity;
  cef_string_t javascript_flags;
  cef_string_t resources_dir_path;
  cef_string_t locales_dir_path;
  int pack_loading_disabled;
  int remote_debugging_port;
  int uncaught_exception_stack_size;
  int ignore_certificate_errors;
  cef_color_t background_color;
  cef_string_t accept_language_list;
  cef_string_t application_client_id_for_file_scanning;
} cef_settings_t;

// Per-browser settings (CEF 89's members). This runtime honours
// background_color only; the page's own defaults apply for the rest.
typedef struct _cef_browser_settings_t {
  size_t size;
  int windowless_frame_rate;
  cef_string_t standard_font_family;
  cef_string_t fixed_font_family;
  cef_string_t serif_font_family;
  cef_string_t sans_serif_font_family;
  cef_string_t cursive_font_family;
  cef_string_t fantasy_font_family;
  int default_font_size;
  int default_fixed_font_size;
  int minimum_font_size;
  int minimum_logical_font_size;
  cef_string_t default_encoding;
  cef_state_t remote_fonts;
  cef_state_t javascript;
  cef_state_t javascript_close_windows;
  cef_state_t javascript_access_clipboard;
  cef_state_t javascript_dom_paste;
  cef_state_t plugins;
  cef_state_t universal_access_from_file_urls;
  cef_state_t file_access_from_file_urls;
  cef_state_t web_security;
  cef_state_t image_loading;
  cef_state_t image_shrink_standalone_to_fit;
  cef_state_t text_area_resize;
  cef_state_t tab_to_links;
  cef_state_t local_storage;
  cef_state_t databases;
  cef_state_t application_cache;
  cef_state_t webgl;
  cef_color_t background_color;
  cef_string_t accept_language_list;
} cef_browser_settings_t;

// A request context's settings (CEF 89's members). This runtime honours
// cache_path (see CefRequestContext::CreateContext); CreateContext logs a
// warning naming any other member that is set.
typedef struct _cef_request_context_settings_t {
  size_t size;
  cef_string_t cache_path;
  int persist_session_cookies;
  int persist_user_preferences;
  int ignore_certificate_errors;
  cef_string_t accept_language_list;
} cef_request_context_settings_t;

typedef struct _cef_main_args_t {
  int argc;
  char** argv;
} cef_main_args_t;

// Where a browser's window goes: CEF 89's Linux members, plus `style` of its
// Windows layout for callers written against that. On this runtime every
// browser paints into a surface window of its own; parent_window, style and
// the windowless members do not change the result.
typedef struct _cef_window_info_t {
  cef_string_t window_name;
  int x;
  int y;
  int width;
  int height;
  unsigned int style;
  cef_window_handle_t parent_window;
  int windowless_rendering_enabled;
  int shared_texture_enabled;
  int external_begin_frame_enabled;
  cef_window_handle_t window;
} cef_window_info_t;

typedef enum {
  CEF_COOKIE_SAME_SITE_UNSPECIFIED,
  CEF_COOKIE_SAME_SITE_NO_RESTRICTION,
  CEF_COOKIE_SAME_SITE_LAX_MODE,
  CEF_COOKIE_SAME_SITE_STRICT_MODE,
} cef_cookie_same_site_t;

typedef enum {
  CEF_COOKIE_PRIORITY_LOW = -1,
  CEF_COOKIE_PRIORITY_MEDIUM = 0,
  CEF_COOKIE_PRIORITY_HIGH = 1,
} cef_cookie_priority_t;

typedef struct _cef_cookie_t {
  cef_string_t name;
  cef_string_t value;
  // A domain cookie's domain starts with a dot; a host cookie's is its host.
  cef_string_t domain;
  cef_string_t path;
  int secure;
  int httponly;
  cef_time_t creation;
  cef_time_t last_access;
  int has_expires;
  cef_time_t expires;
  cef_cookie_same_site_t same_site;
  cef_cookie_priority_t priority;
} cef_cookie_t;
