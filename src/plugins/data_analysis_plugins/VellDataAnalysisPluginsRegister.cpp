#include "plugins/data_analysis_plugins/VellDataAnalysisPluginsRegister.h"

#include "plugins/VellActionNames.h"
#include "plugins/VellPluginTable.h"

std::shared_ptr<VellError> VellDataAnalysisPluginsRegister::Register(VellV8PluginFactory* factory) {
  return VellPluginTable::Register(factory, this, {
  }, "VellDataAnalysisPluginsRegister failed.", "VellDataAnalysisPluginsRegister::Register");
}
