#include "plugins/data_analysis_plugins/VellDataAnalysisPluginsRegister.h"

#include "plugins/VellActionNames.h"
#include "plugins/VellPluginTable.h"
#include "plugins/data_analysis_plugins/VellReportPlugin.h"

// In table order: the order the page-side SDK and the hosts know them by.
std::shared_ptr<VellError> VellDataAnalysisPluginsRegister::Register(VellV8PluginFactory* factory) {
  return VellPluginTable::Register(factory, this,
                                   {
                                       VellPluginTable::Of<VellReportPlugin>(VellActionNames::kReport),
                                   },
                                   "VellDataAnalysisPluginsRegister failed.",
                                   "VellDataAnalysisPluginsRegister::Register");
}
