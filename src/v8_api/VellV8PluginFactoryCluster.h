#pragma once

#include <map>
#include <memory>
#include <mutex>

#include <QObject>

#include "base/VellError.h"
#include "include/cef_v8.h"
#include "utils/VellAutoSingleton.h"
#include "v8_api/VellProcessMessage.h"
#include "v8_api/VellV8PluginFactory.h"

// The process-wide map from browser id to its plugin factory.
//
// Threads: Register and UnRegister run on the Qt thread (slots of the
// browser's signals widget); lookups come from the CEF UI thread. The map is
// guarded by one mutex, released before a factory dispatches.
//
// Release: a factory is shared between the map and every dispatch that
// looked it up, and is freed when UnRegister has taken it out of the map and
// the last such dispatch is over. Its plugins belong to the owner passed to
// Register; when that owner is destroyed first, its entry leaves the map
// with it, so no message can reach plugins that are gone.
class VellV8PluginFactoryCluster : public VellAutoSingleton<VellV8PluginFactoryCluster> {
  friend class VellAutoSingleton<VellV8PluginFactoryCluster>;

 public:
  virtual ~VellV8PluginFactoryCluster() = default;

  // Creates the browser's factory with every plugin under `owner`; an id
  // that already has a factory keeps it.
  std::shared_ptr<VellError> Register(int nBrowserId, QObject* owner);
  std::shared_ptr<VellError> UnRegister(int nBrowserId);
  std::shared_ptr<VellError> GetFactory(int nBrowserId, VellV8PluginFactory*& out);
  // The same lookup, keeping the factory alive for as long as `out` holds it.
  std::shared_ptr<VellError> GetFactory(int nBrowserId, std::shared_ptr<VellV8PluginFactory>& out);
  std::shared_ptr<VellError> GetFactory(const CefRefPtr<CefV8Context>& pCefV8Context, VellV8PluginFactory*& out);

  // Render process: parks the callback under a new request id and sends the
  // message through the current browser's main frame.
  static void ForwardStandardJsonPayloadFromCefBrowserMessage(VellProcessMessage message);

 protected:
  VellV8PluginFactoryCluster() = default;

 private:
  std::map<int, std::shared_ptr<VellV8PluginFactory>> m_mapFactory;
  std::mutex m_mutex;
};
