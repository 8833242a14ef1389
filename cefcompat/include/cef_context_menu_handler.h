#pragma once

#include <vector>

#include "include/cef_browser.h"

// The items of a context menu. This runtime never shows a menu: a handler
// sees the model and may change it, and the menu is then dropped.
class CefMenuModel : public virtual CefBaseRefCounted {
 public:
  static CefRefPtr<CefMenuModel> Create();
  bool Clear() {
    items_.clear();
    return true;
  }
  size_t GetCount() { return items_.size(); }
  bool AddItem(int command_id, const CefString& label) {
    items_.push_back({command_id, label});
    return true;
  }
  bool AddSeparator() { return AddItem(-1, CefString()); }
  int GetCommandIdAt(size_t index) { return index < items_.size() ? items_[index].first : -1; }
  CefString GetLabelAt(size_t index) { return index < items_.size() ? items_[index].second : CefString(); }

 private:
  std::vector<std::pair<int, CefString>> items_;
  IMPLEMENT_REFCOUNTING(CefMenuModel);
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

// Context menus (a right click the page did not cancel). TID_UI.
class CefContextMenuHandler : public virtual CefBaseRefCounted {
 public:
  typedef cef_event_flags_t EventFlags;

  virtual void OnBeforeContextMenu(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   CefRefPtr<CefContextMenuParams> params, CefRefPtr<CefMenuModel> model) {
    (void)browser, (void)frame, (void)params, (void)model;
  }
};
