#include "plugins/settings_plugins/VellSettingsPluginsRegister.h"

#include "plugins/VellActionNames.h"
#include "plugins/VellPluginTable.h"
#include "plugins/settings_plugins/VellGetSettingsPlugin.h"
#include "plugins/settings_plugins/VellSaveSettingsPlugin.h"
#include "plugins/settings_plugins/VellUpdateSettingsPlugin.h"

// In table order: the order the page-side SDK and the hosts know them by.
std::shared_ptr<VellError> VellSettingsPluginsRegister::Register(VellV8PluginFactory* factory) {
  return VellPluginTable::Register(factory, this,
                                   {
                                       VellPluginTable::Of<VellSaveSettingsPlugin>(VellActionNames::kSaveSettings),
                                       VellPluginTable::Of<VellUpdateSettingsPlugin>(VellActionNames::kUpdateSettings),
                                       VellPluginTable::Of<VellGetSettingsPlugin>(VellActionNames::kGetSettings),
                                   },
                                   "VellSettingsPluginsRegister failed.", "VellSettingsPluginsRegister::Register");
}
