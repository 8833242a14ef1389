#include "plugins/account_plugins/VellAccountPluginsRegister.h"

#include "plugins/VellActionNames.h"
#include "plugins/VellPluginTable.h"

std::shared_ptr<VellError> VellAccountPluginsRegister::Register(VellV8PluginFactory* factory) {
  return VellPluginTable::Register(factory, this, {
  }, "VellAccountPluginsRegister failed.", "VellAccountPluginsRegister::Register");
}
