// Factories of the runtime's plain objects that have no source of their own.
#include "include/cef_context_menu_handler.h"
#include "include/cef_drag_data.h"

CefRefPtr<CefMenuModel> CefMenuModel::Create() { return new CefMenuModel(); }
CefRefPtr<CefDragData> CefDragData::Create() { return new CefDragData(); }
