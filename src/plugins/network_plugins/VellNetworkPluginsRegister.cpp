#include "plugins/network_plugins/VellNetworkPluginsRegister.h"

#include "plugins/VellActionNames.h"
#include "plugins/VellPluginTable.h"
#include "plugins/network_plugins/VellRequestPlugin.h"

// In table order: the order the page-side SDK and the hosts know them by.
std::shared_ptr<VellError> VellNetworkPluginsRegister::Register(VellV8PluginFactory* factory) {
  return VellPluginTable::Register(factory, this,
                                   {
                                       VellPluginTable::Of<VellRequestPlugin>(VellActionNames::kRequest),
                                   },
                                   "VellNetworkPluginsRegister failed.", "VellNetworkPluginsRegister::Register");
}
