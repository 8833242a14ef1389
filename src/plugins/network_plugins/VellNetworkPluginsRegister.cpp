#include "plugins/network_plugins/VellNetworkPluginsRegister.h"

#include "plugins/VellActionNames.h"
#include "plugins/VellPluginTable.h"

std::shared_ptr<VellError> VellNetworkPluginsRegister::Register(VellV8PluginFactory* factory) {
  return VellPluginTable::Register(factory, this, {
  }, "VellNetworkPluginsRegister failed.", "VellNetworkPluginsRegister::Register");
}
