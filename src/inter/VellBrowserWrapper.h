#pragma once

#include <memory>
#include <string>

#include <QMap>
#include <QObject>
#include <QString>
#include <QVariant>

#include "base/VellError.h"
#include "include/cef_browser.h"

// The one way the framework reaches a browser: safe defaults when there is no
// browser or no usable main frame, and a URL requested before the main frame
// exists is kept and loaded once it does. Used from the Qt thread and the
// CEF UI thread; it takes no lock (the browser's own calls are thread-safe).
class VellBrowserWrapper : public QObject {
  Q_OBJECT

 public:
  VellBrowserWrapper(QObject* parent, CefRefPtr<CefBrowser> browser);

  void SetCefBrowser(CefRefPtr<CefBrowser> browser);

  int GetBrowserId() const;
  CefRefPtr<CefBrowserHost> GetHost();
  CefWindowHandle GetWindowHandle() const;
  void CloseBrowser(bool force) const;
  bool CanGoBack() const;
  bool CanGoForward() const;
  bool IsLoading() const;
  void Reload() const;
  void StopLoad() const;

  bool IsBrowserUsable() const { return IsCefBrowserUsable(m_pCefBrowser); }
  static bool IsCefBrowserUsable(const CefRefPtr<CefBrowser>& browser) { return browser != nullptr; }
  static bool IsCefFrameUsable(const CefRefPtr<CefFrame>& frame) { return frame && frame->IsValid(); }
  bool IsMainFrameUsable() const;
  CefRefPtr<CefFrame> GetMainFrame();
  int GetMainFrameId() const;
  CefString GetMainFrameCefUrl();
  std::string GetMainFrameUrl() { return GetMainFrameCefUrl().ToString(); }
  QString GetMainFrameQUrl() { return QString::fromStdString(GetMainFrameUrl()); }
  QString GetLastRequestLoadingUrl() const { return m_strLastRequestLoadingUrl; }

  // Loads `url` in the main frame (stopping the current load first when
  // asked), or keeps it until the main frame exists.
  void LoadUrl(const QString& url, bool stopFirst);
  std::shared_ptr<VellError> RunJavascript(const std::string& code);
  std::shared_ptr<VellError> RunJavascript(const QString& code) { return RunJavascript(code.toStdString()); }
  // Sets "_browserId", "_mainFrameUrl" and "_lastRequestLoadingUrl".
  void GetBrowserInfo(QMap<QString, QVariant>& info);

 private:
  void _ConsumePendingUrl();

  CefRefPtr<CefBrowser> m_pCefBrowser;
  QString m_strPendingUrl;
  QString m_strLastRequestLoadingUrl;
};
