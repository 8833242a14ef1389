#include "plugins/game_plugins/VellGamePluginsRegister.h"

#include "plugins/VellActionNames.h"
#include "plugins/VellPluginTable.h"

std::shared_ptr<VellError> VellGamePluginsRegister::Register(VellV8PluginFactory* factory) {
  return VellPluginTable::Register(factory, this, {
  }, "VellGamePluginsRegister failed.", "VellGamePluginsRegister::Register");
}
