#pragma once

#include <map>
#include <memory>
#include <string>

#include <QPointer>
#include <QString>

#include "base/VellError.h"
#include "include/cef_process_message.h"
#include "v8_api/VellV8ApiPluginInterface.h"

// One browser's plugins by action name. Filled completely before it is
// published to the cluster, then only read (from the CEF UI thread), so it
// needs no lock. A copy shares the plugin objects.
//
// Ownership: a plugin belongs to its Qt owner (its module register), which
// destroys it exactly once. The factory only refers to it: the shared
// pointers it hands out do not delete, and a Qt plugin its owner has already
// destroyed reads as not registered.
// The error code of a call whose action the launcher does not serve.
inline constexpr char kActionNotFound[] = "#ActionNotFound";

class VellV8PluginFactory {
 public:
  virtual ~VellV8PluginFactory() = default;

  // Adopts `plugin`; refuses an action name that is already registered.
  std::shared_ptr<VellError> Register(const QString& actionName, VellV8ApiPluginInterface* plugin);
  std::shared_ptr<VellError> UnRegister(const QString& actionName);
  std::shared_ptr<VellV8ApiPluginInterface> Plugin(const QString& actionName) const;
  // True when a plugin took the message.
  bool HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, CefRefPtr<CefProcessMessage> message);
  // Answers a call that no plugin serves, through `frame`: the page's call
  // fails with kActionNotFound and a message naming the action (quoted,
  // shortened when long).
  static void RejectUnserved(CefRefPtr<CefFrame> frame, CefRefPtr<CefProcessMessage> message);
  // The action name as a log line or an error text may show it.
  static std::string QuotedActionName(const std::string& name);
  std::vector<QString> ActionNames() const;

 private:
  struct Entry {
    std::shared_ptr<VellV8ApiPluginInterface> plugin;
    QPointer<QObject> guard;  // for plugins that are Qt objects
    bool isQtObject = false;
  };
  std::map<QString, Entry> m_mapPlugin;
};
