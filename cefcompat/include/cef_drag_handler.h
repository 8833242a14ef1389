#pragma once

#include "include/cef_browser.h"
#include "include/cef_drag_data.h"

class CefDragHandler : public virtual CefBaseRefCounted {
 public:
  typedef cef_drag_operations_mask_t DragOperationsMask;
  // Something is dragged into the browser's window. Return true to refuse it.
  virtual bool OnDragEnter(CefRefPtr<CefBrowser> browser, CefRefPtr<CefDragData> dragData, DragOperationsMask mask) {
    (void)browser, (void)dragData, (void)mask;
    return false;
  }
};
