#pragma once

#include <vector>

#include "include/cef_frame.h"
#include "include/cef_request_context.h"
#include "include/cef_values.h"

class CefBrowserHost;
class CefClient;

// One browser: a page with its frames and history. Thread-safe.
class CefBrowser : public virtual CefBaseRefCounted {
 public:
  virtual CefRefPtr<CefBrowserHost> GetHost() = 0;
  virtual bool IsValid() = 0;
  virtual bool CanGoBack() = 0;
  virtual void GoBack() = 0;
  virtual bool CanGoForward() = 0;
  virtual void GoForward() = 0;
  virtual bool IsLoading() = 0;
  virtual void Reload() = 0;
  virtual void ReloadIgnoreCache() = 0;
  virtual void StopLoad() = 0;
  virtual int GetIdentifier() = 0;
  virtual bool IsSame(CefRefPtr<CefBrowser> that) = 0;
  virtual bool IsPopup() = 0;
  virtual bool HasDocument() = 0;
  virtual CefRefPtr<CefFrame> GetMainFrame() = 0;
  virtual CefRefPtr<CefFrame> GetFrame(int64 identifier) = 0;
  virtual size_t GetFrameCount() = 0;
  virtual void GetFrameIdentifiers(std::vector<int64>& identifiers) = 0;
};

// The browser-process side of a browser: window, closing, input, devtools.
class CefBrowserHost : public virtual CefBaseRefCounted {
 public:
  typedef cef_drag_operations_mask_t DragOperationsMask;
  typedef cef_mouse_button_type_t MouseButtonType;

  // Asynchronous: the client's OnAfterCreated reports the browser. False when
  // the runtime is not initialised. The browser's surface window is made on
  // the Qt thread, so from any other thread creation completes once the Qt
  // event loop runs.
  static bool CreateBrowser(const CefWindowInfo& windowInfo, CefRefPtr<CefClient> client,
                            const CefString& url, const CefBrowserSettings& settings,
                            CefRefPtr<CefDictionaryValue> extra_info,
                            CefRefPtr<CefRequestContext> request_context);

  virtual CefRefPtr<CefBrowser> GetBrowser() = 0;
  // Asks DoClose, then closes; OnBeforeClose follows. `force_close` skips the
  // page's beforeunload handlers.
  virtual void CloseBrowser(bool force_close) = 0;
  virtual CefWindowHandle GetWindowHandle() = 0;
  virtual CefRefPtr<CefClient> GetClient() = 0;
  virtual CefRefPtr<CefRequestContext> GetRequestContext() = 0;
  virtual void ShowDevTools(const CefWindowInfo& windowInfo, CefRefPtr<CefClient> client,
                            const CefBrowserSettings& settings, const CefPoint& inspect_element_at) = 0;
  virtual void CloseDevTools() = 0;
  virtual bool HasDevTools() = 0;
  virtual void WasResized() = 0;
  virtual void WasHidden(bool hidden) = 0;
  // Gives the browser the keyboard (the client's focus handler is asked
  // first), or takes it away.
  virtual void SetFocus(bool focus) = 0;
  // Input as the browser's window would deliver it; key events pass the
  // client's keyboard handler first.
  virtual void SendKeyEvent(const CefKeyEvent& event) = 0;
  virtual void SendMouseClickEvent(const CefMouseEvent& event, MouseButtonType type,
                                   bool mouseUp, int clickCount) = 0;
  virtual void SendMouseMoveEvent(const CefMouseEvent& event, bool mouseLeave) = 0;
  virtual void SendMouseWheelEvent(const CefMouseEvent& event, int deltaX, int deltaY) = 0;
  // An input method's composition in the focused field (windowless mode; a
  // windowed page's window has the desktop's input method itself). The
  // underlines are Chromium's own to draw; `selection_range` is the caret
  // inside the composition.
  virtual void ImeSetComposition(const CefString& text, const std::vector<CefCompositionUnderline>& underlines,
                                 const CefRange& replacement_range, const CefRange& selection_range) = 0;
  // Ends any composition with `text` typed in its place.
  virtual void ImeCommitText(const CefString& text, const CefRange& replacement_range, int relative_cursor_pos) = 0;
  // Ends the composition with its text as it stands.
  virtual void ImeFinishComposingText(bool keep_selection) = 0;
  // Ends the composition, leaving nothing of it.
  virtual void ImeCancelComposition() = 0;
  // The page's zoom: a factor of 1.2 to the power of the level (0 is 100 %).
  // It lays the page out again at that size and stays over navigations.
  virtual double GetZoomLevel() = 0;
  virtual void SetZoomLevel(double zoomLevel) = 0;
  // Searches the page's text: `findNext` continues the search of the same
  // text, moving to the next (or with `forward` false the previous) match,
  // wrapping at the ends. The client's find handler hears OnFindResult.
  virtual void Find(int identifier, const CefString& searchText, bool forward, bool matchCase, bool findNext) = 0;
  // Ends the search; the active match stays selected unless `clearSelection`.
  virtual void StopFinding(bool clearSelection) = 0;
  // Downloads the file at `url` in this browser's request context, whatever
  // its type (a page is saved, not shown); the client's download handler is
  // asked as for a download the page starts. The page itself stays as it is.
  virtual void StartDownload(const CefString& url) = 0;
};
