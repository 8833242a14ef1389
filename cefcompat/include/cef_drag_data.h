#pragma once

#include <vector>

#include "include/cef_base.h"

// What is being dragged into a browser.
class CefDragData : public virtual CefBaseRefCounted {
 public:
  static CefRefPtr<CefDragData> Create();

  bool IsLink() { return !link_url_.empty(); }
  bool IsFragment() { return !fragment_text_.empty(); }
  bool IsFile() { return !file_names_.empty(); }
  CefString GetLinkURL() { return link_url_; }
  CefString GetFragmentText() { return fragment_text_; }
  bool GetFileNames(std::vector<CefString>& names) {
    names = file_names_;
    return !names.empty();
  }
  void SetLinkURL(const CefString& url) { link_url_ = url; }
  void SetFragmentText(const CefString& text) { fragment_text_ = text; }
  void AddFile(const CefString& path) { file_names_.push_back(path); }

 private:
  CefString link_url_;
  CefString fragment_text_;
  std::vector<CefString> file_names_;
  IMPLEMENT_REFCOUNTING(CefDragData);
};
