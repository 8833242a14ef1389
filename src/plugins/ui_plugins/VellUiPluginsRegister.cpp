#include "plugins/ui_plugins/VellUiPluginsRegister.h"

#include "plugins/VellActionNames.h"
#include "plugins/VellPluginTable.h"
#include "plugins/ui_plugins/VellCloseConfirmDialogPlugin.h"
#include "plugins/ui_plugins/VellCloseWebDialogPlugin.h"
#include "plugins/ui_plugins/VellOpenConfirmDialogPlugin.h"
#include "plugins/ui_plugins/VellOpenDialogPlugin.h"
#include "plugins/ui_plugins/VellOpenGameServerDialogPlugin.h"
#include "plugins/ui_plugins/VellOpenInExplorerPlugin.h"
#include "plugins/ui_plugins/VellOpenWebDialogPlugin.h"
#include "plugins/ui_plugins/VellToastPlugin.h"
#include "plugins/ui_plugins/VellUpdateWebDialogPlugin.h"

// In table order: the order the page-side SDK and the hosts know them by.
std::shared_ptr<VellError> VellUiPluginsRegister::Register(VellV8PluginFactory* factory) {
  return VellPluginTable::Register(
      factory, this,
      {
          VellPluginTable::Of<VellCloseWebDialogPlugin>(VellActionNames::kCloseWebDialog),
          VellPluginTable::Of<VellOpenConfirmDialogPlugin>(VellActionNames::kOpenConfirmDialog),
          VellPluginTable::Of<VellOpenDialogPlugin>(VellActionNames::kOpenDialog),
          VellPluginTable::Of<VellOpenGameServerDialogPlugin>(VellActionNames::kOpenGameServerDialog),
          VellPluginTable::Of<VellOpenWebDialogPlugin>(VellActionNames::kOpenWebDialog),
          VellPluginTable::Of<VellToastPlugin>(VellActionNames::kToast),
          VellPluginTable::Of<VellUpdateWebDialogPlugin>(VellActionNames::kUpdateWebDialog),
          VellPluginTable::Of<VellCloseConfirmDialogPlugin>(VellActionNames::kCloseConfirmDialog),
          VellPluginTable::Of<VellOpenInExplorerPlugin>(VellActionNames::kOpenInExplorer),
      },
      "VellUiPluginsRegister failed.", "VellUiPluginsRegister::Register");
}
