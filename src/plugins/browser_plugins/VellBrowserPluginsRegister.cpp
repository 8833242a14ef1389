#include "plugins/browser_plugins/VellBrowserPluginsRegister.h"

#include "plugins/VellActionNames.h"
#include "plugins/VellPluginTable.h"
#include "plugins/browser_plugins/VellBrowserBackPlugin.h"
#include "plugins/browser_plugins/VellBrowserForwardPlugin.h"
#include "plugins/browser_plugins/VellBrowserWindowStatePlugin.h"
#include "plugins/browser_plugins/VellPageReadyPlugin.h"
#include "plugins/browser_plugins/VellReloadPlugin.h"
#include "plugins/browser_plugins/VellReloadWithoutCachePlugin.h"

// In table order: the order the page-side SDK and the hosts know them by.
std::shared_ptr<VellError> VellBrowserPluginsRegister::Register(VellV8PluginFactory* factory) {
  return VellPluginTable::Register(
      factory, this,
      {
          VellPluginTable::Of<VellBrowserBackPlugin>(VellActionNames::kBrowserBack),
          VellPluginTable::Of<VellBrowserForwardPlugin>(VellActionNames::kBrowserForward),
          VellPluginTable::Of<VellReloadPlugin>(VellActionNames::kReload),
          VellPluginTable::Of<VellReloadWithoutCachePlugin>(VellActionNames::kReloadWithoutCache),
          VellPluginTable::Of<VellBrowserWindowStatePlugin>(VellActionNames::kBrowserWindowState),
          VellPluginTable::Of<VellPageReadyPlugin>(VellActionNames::kPageReady),
      },
      "VellBrowserPluginsRegister failed.", "VellBrowserPluginsRegister::Register");
}
