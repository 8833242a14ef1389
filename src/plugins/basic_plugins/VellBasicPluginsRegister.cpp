#include "plugins/basic_plugins/VellBasicPluginsRegister.h"

#include "plugins/VellActionNames.h"
#include "plugins/VellPluginTable.h"
#include "plugins/basic_plugins/VellPingPongPlugin.h"
#include "plugins/basic_plugins/VellEmitPlugin.h"
#include "plugins/basic_plugins/VellMoveWindowPlugin.h"

std::shared_ptr<VellError> VellBasicPluginsRegister::Register(VellV8PluginFactory* factory) {
  return VellPluginTable::Register(factory, this, {
      VellPluginTable::Of<VellPingPongPlugin>(VellActionNames::kPingPong),
      VellPluginTable::Of<VellEmitPlugin>(VellActionNames::kEmit),
      VellPluginTable::Of<VellMoveWindowPlugin>(VellActionNames::kMoveWindow),
  }, "VellBasicPluginsRegister failed.", "VellBasicPluginsRegister::Register");
}
