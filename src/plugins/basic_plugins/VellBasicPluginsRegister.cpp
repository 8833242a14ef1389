#include "plugins/basic_plugins/VellBasicPluginsRegister.h"

#include "plugins/VellActionNames.h"
#include "plugins/VellPluginTable.h"
#include "plugins/basic_plugins/VellEmitPlugin.h"
#include "plugins/basic_plugins/VellGetChannelRemoteConfigDataPlugin.h"
#include "plugins/basic_plugins/VellGetRemoteConfigDataPlugin.h"
#include "plugins/basic_plugins/VellIsFirstLaunchPlugin.h"
#include "plugins/basic_plugins/VellLocalStoragePlugin.h"
#include "plugins/basic_plugins/VellMoveWindowPlugin.h"
#include "plugins/basic_plugins/VellPingPongPlugin.h"

// In table order: the order the page-side SDK and the hosts know them by.
std::shared_ptr<VellError> VellBasicPluginsRegister::Register(VellV8PluginFactory* factory) {
  return VellPluginTable::Register(
      factory, this,
      {
          VellPluginTable::Of<VellGetRemoteConfigDataPlugin>(VellActionNames::kGetRemoteConfigData),
          VellPluginTable::Of<VellGetChannelRemoteConfigDataPlugin>(VellActionNames::kGetChannelRemoteConfigData),
          VellPluginTable::Of<VellIsFirstLaunchPlugin>(VellActionNames::kIsFirstLaunch),
          VellPluginTable::Of<VellPingPongPlugin>(VellActionNames::kPingPong),
          VellPluginTable::Of<VellEmitPlugin>(VellActionNames::kEmit),
          VellPluginTable::Of<VellLocalStoragePlugin>(VellActionNames::kLocalStorage),
          VellPluginTable::Of<VellMoveWindowPlugin>(VellActionNames::kMoveWindow),
      },
      "VellBasicPluginsRegister failed.", "VellBasicPluginsRegister::Register");
}
