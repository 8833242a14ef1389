#pragma once

#include <vector>

#include "include/cef_browser.h"

// The command ids of the items a default context menu holds, as CEF numbers
// them; a client's own items use MENU_ID_USER_FIRST to MENU_ID_USER_LAST.
typedef enum {
  MENU_ID_BACK = 100,
  MENU_ID_FORWARD = 101,
  MENU_ID_RELOAD = 102,
  MENU_ID_RELOAD_NOCACHE = 103,
  MENU_ID_STOPLOAD = 104,
  MENU_ID_UNDO = 110,
  MENU_ID_REDO = 111,
  MENU_ID_CUT = 112,
  MENU_ID_COPY = 113,
  MENU_ID_PASTE = 114,
  MENU_ID_DELETE = 115,
  MENU_ID_SELECT_ALL = 116,
  MENU_ID_FIND = 130,
  MENU_ID_PRINT = 131,
  MENU_ID_VIEW_SOURCE = 132,
  MENU_ID_USER_FIRST = 26500,
  MENU_ID_USER_LAST = 28500,
} cef_menu_id_t;

typedef enum {
  MENUITEMTYPE_NONE,
  MENUITEMTYPE_COMMAND,
  MENUITEMTYPE_CHECK,
  MENUITEMTYPE_RADIO,
  MENUITEMTYPE_SEPARATOR,
  MENUITEMTYPE_SUBMENU,
} cef_menu_item_type_t;

// The items of a context menu: commands (with a label, enabled or not,
// checked or not) and separators. Sub-menus are not kept.
class CefMenuModel : public virtual CefBaseRefCounted {
 public:
  typedef cef_menu_item_type_t MenuItemType;

  static CefRefPtr<CefMenuModel> Create();
  bool Clear() {
    items_.clear();
    return true;
  }
  size_t GetCount() { return items_.size(); }
  bool AddSeparator() { return InsertAt(items_.size(), {-1, CefString(), MENUITEMTYPE_SEPARATOR}); }
  bool AddItem(int command_id, const CefString& label) {
    return InsertAt(items_.size(), {command_id, label, MENUITEMTYPE_COMMAND});
  }
  bool AddCheckItem(int command_id, const CefString& label) {
    return InsertAt(items_.size(), {command_id, label, MENUITEMTYPE_CHECK});
  }
  bool InsertSeparatorAt(size_t index) { return InsertAt(index, {-1, CefString(), MENUITEMTYPE_SEPARATOR}); }
  bool InsertItemAt(size_t index, int command_id, const CefString& label) {
    return InsertAt(index, {command_id, label, MENUITEMTYPE_COMMAND});
  }
  bool Remove(int command_id) { return RemoveAt(static_cast<size_t>(GetIndexOf(command_id))); }
  bool RemoveAt(size_t index) {
    if (index >= items_.size()) return false;
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
    return true;
  }
  int GetIndexOf(int command_id) {
    for (size_t i = 0; i < items_.size(); ++i) {
      if (items_[i].type != MENUITEMTYPE_SEPARATOR && items_[i].id == command_id) return static_cast<int>(i);
    }
    return -1;
  }
  int GetCommandIdAt(size_t index) { return index < items_.size() ? items_[index].id : -1; }
  CefString GetLabelAt(size_t index) { return index < items_.size() ? items_[index].label : CefString(); }
  CefString GetLabel(int command_id) { return GetLabelAt(static_cast<size_t>(GetIndexOf(command_id))); }
  bool SetLabel(int command_id, const CefString& label) { return Change(command_id, [&](Item& item) { item.label = label; }); }
  MenuItemType GetTypeAt(size_t index) { return index < items_.size() ? items_[index].type : MENUITEMTYPE_NONE; }
  bool IsEnabled(int command_id) { return IsEnabledAt(static_cast<size_t>(GetIndexOf(command_id))); }
  bool IsEnabledAt(size_t index) { return index < items_.size() && items_[index].enabled; }
  bool SetEnabled(int command_id, bool enabled) { return Change(command_id, [&](Item& item) { item.enabled = enabled; }); }
  bool IsChecked(int command_id) {
    const int index = GetIndexOf(command_id);
    return index >= 0 && items_[static_cast<size_t>(index)].checked;
  }
  bool SetChecked(int command_id, bool checked) { return Change(command_id, [&](Item& item) { item.checked = checked; }); }

 private:
  struct Item {
    int id;
    CefString label;
    MenuItemType type;
    bool enabled = true;
    bool checked = false;
  };
  bool InsertAt(size_t index, Item item) {
    if (index > items_.size()) return false;
    items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(index), std::move(item));
    return true;
  }
  template <typename Edit>
  bool Change(int command_id, Edit edit) {
    const int index = GetIndexOf(command_id);
    if (index < 0) return false;
    edit(items_[static_cast<size_t>(index)]);
    return true;
  }
  std::vector<Item> items_;
  IMPLEMENT_REFCOUNTING(CefMenuModel);
};

// Answers a context menu the client shows itself (RunContextMenu).
class CefRunContextMenuCallback : public virtual CefBaseRefCounted {
 public:
  // The person chose `command_id`.
  virtual void Continue(int command_id, cef_event_flags_t event_flags) = 0;
  // The menu closed with nothing chosen.
  virtual void Cancel() = 0;
};

class CefContextMenuParams : public virtual CefBaseRefCounted {
 public:
  CefContextMenuParams(int x, int y, const CefString& linkUrl, const CefString& selectionText,
                       bool editable, const CefString& pageUrl)
      : x_(x), y_(y), link_url_(linkUrl), selection_text_(selectionText), editable_(editable), page_url_(pageUrl) {}
  int GetXCoord() { return x_; }
  int GetYCoord() { return y_; }
  CefString GetLinkUrl() { return link_url_; }
  CefString GetSelectionText() { return selection_text_; }
  bool IsEditable() { return editable_; }
  CefString GetPageUrl() { return page_url_; }

 private:
  int x_;
  int y_;
  CefString link_url_;
  CefString selection_text_;
  bool editable_;
  CefString page_url_;
  IMPLEMENT_REFCOUNTING(CefContextMenuParams);
};

// Context menus (a right click the page did not cancel). TID_UI. Without a
// handler, or when RunContextMenu returns false, the runtime shows the model
// as a Qt menu at the click; an empty model shows nothing.
class CefContextMenuHandler : public virtual CefBaseRefCounted {
 public:
  typedef cef_event_flags_t EventFlags;

  virtual void OnBeforeContextMenu(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   CefRefPtr<CefContextMenuParams> params, CefRefPtr<CefMenuModel> model) {
    (void)browser, (void)frame, (void)params, (void)model;
  }
  // Return true to show the menu yourself and answer `callback`.
  virtual bool RunContextMenu(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                              CefRefPtr<CefContextMenuParams> params, CefRefPtr<CefMenuModel> model,
                              CefRefPtr<CefRunContextMenuCallback> callback) {
    (void)browser, (void)frame, (void)params, (void)model, (void)callback;
    return false;
  }
  // The person chose `command_id`. Return true when the client carried it
  // out; otherwise the runtime does what a default item does.
  virtual bool OnContextMenuCommand(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                    CefRefPtr<CefContextMenuParams> params, int command_id, EventFlags event_flags) {
    (void)browser, (void)frame, (void)params, (void)command_id, (void)event_flags;
    return false;
  }
  // The menu closed, whether or not an item was chosen.
  virtual void OnContextMenuDismissed(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame) {
    (void)browser, (void)frame;
  }
};
