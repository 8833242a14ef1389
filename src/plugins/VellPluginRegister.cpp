#include "plugins/VellPluginRegister.h"

#include "plugins/account_plugins/VellAccountPluginsRegister.h"
#include "plugins/basic_plugins/VellBasicPluginsRegister.h"
#include "plugins/browser_plugins/VellBrowserPluginsRegister.h"
#include "plugins/data_analysis_plugins/VellDataAnalysisPluginsRegister.h"
#include "plugins/game_plugins/VellGamePluginsRegister.h"
#include "plugins/network_plugins/VellNetworkPluginsRegister.h"
#include "plugins/settings_plugins/VellSettingsPluginsRegister.h"
#include "plugins/ui_plugins/VellUiPluginsRegister.h"

namespace {

template <class ModuleRegister>
std::shared_ptr<VellError> RegisterModule(QObject* owner, VellV8PluginFactory* factory) {
  return (new ModuleRegister(owner))->Register(factory);
}

}  // namespace

std::shared_ptr<VellError> VellPluginRegister::Register(QObject* owner, VellV8PluginFactory* factory) {
  using Step = std::shared_ptr<VellError> (*)(QObject*, VellV8PluginFactory*);
  static const Step kModules[] = {
      &RegisterModule<VellAccountPluginsRegister>, &RegisterModule<VellBasicPluginsRegister>,
      &RegisterModule<VellBrowserPluginsRegister>, &RegisterModule<VellDataAnalysisPluginsRegister>,
      &RegisterModule<VellGamePluginsRegister>,    &RegisterModule<VellNetworkPluginsRegister>,
      &RegisterModule<VellUiPluginsRegister>,      &RegisterModule<VellSettingsPluginsRegister>,
  };
  for (Step step : kModules) {
    if (auto error = step(owner, factory)) {
      return std::make_shared<VellError>("VellPluginRegister failed.", __FILE__, __LINE__, "VellPluginRegister::Register",
                                         error);
    }
  }
  return nullptr;
}
