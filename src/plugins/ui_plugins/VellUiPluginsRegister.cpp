#include "plugins/ui_plugins/VellUiPluginsRegister.h"

#include "plugins/VellActionNames.h"
#include "plugins/VellPluginTable.h"

std::shared_ptr<VellError> VellUiPluginsRegister::Register(VellV8PluginFactory* factory) {
  return VellPluginTable::Register(factory, this, {
  }, "VellUiPluginsRegister failed.", "VellUiPluginsRegister::Register");
}
