#include "plugins/browser_plugins/VellBrowserPluginsRegister.h"

#include "plugins/VellActionNames.h"
#include "plugins/VellPluginTable.h"
#include "plugins/browser_plugins/VellPageReadyPlugin.h"

std::shared_ptr<VellError> VellBrowserPluginsRegister::Register(VellV8PluginFactory* factory) {
  return VellPluginTable::Register(factory, this, {
      VellPluginTable::Of<VellPageReadyPlugin>(VellActionNames::kPageReady),
  }, "VellBrowserPluginsRegister failed.", "VellBrowserPluginsRegister::Register");
}
