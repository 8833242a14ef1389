#pragma once
// The platform classes of CEF's Linux build: program arguments and window
// placement.

#include "include/internal/cef_types_wrappers.h"

class CefMainArgs : public cef_main_args_t {
 public:
  CefMainArgs() : cef_main_args_t{0, nullptr} {}
  explicit CefMainArgs(const cef_main_args_t& r) : cef_main_args_t(r) {}
  CefMainArgs(int argc_arg, char** argv_arg) : cef_main_args_t{argc_arg, argv_arg} {}
};

class CefWindowInfo : public CefStructBase<CefWindowInfoTraits> {
 public:
  typedef CefStructBase<CefWindowInfoTraits> parent;

  CefWindowInfo() = default;
  explicit CefWindowInfo(const cef_window_info_t& r) : parent(r) {}

  // The browser's window as a child of `parent_handle` at `windowBounds`. The
  // runtime's surface takes the size; the parent and position are recorded.
  void SetAsChild(CefWindowHandle parent_handle, const CefRect& windowBounds) {
    parent_window = parent_handle;
    x = windowBounds.x, y = windowBounds.y, width = windowBounds.width, height = windowBounds.height;
  }
  // Windowless rendering is not done here: the browser still paints into its
  // own surface window, which is not shown.
  void SetAsWindowless(CefWindowHandle parent_handle) {
    windowless_rendering_enabled = 1;
    parent_window = parent_handle;
  }
  // CEF's Windows spelling, kept for callers written against it: a window of
  // its own named `windowName`.
  void SetAsPopup(CefWindowHandle parent_handle, const CefString& windowName) {
    parent_window = parent_handle;
    CefString(&this->window_name) = windowName;
  }
};
