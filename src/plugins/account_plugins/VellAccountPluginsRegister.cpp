#include "plugins/account_plugins/VellAccountPluginsRegister.h"

#include "plugins/VellActionNames.h"
#include "plugins/VellPluginTable.h"
#include "plugins/account_plugins/VellBindAccountPlugin.h"
#include "plugins/account_plugins/VellGetAccountAssociateMobilePhonePlugin.h"
#include "plugins/account_plugins/VellGetLoginUserDataPlugin.h"
#include "plugins/account_plugins/VellLoginSuccessPlugin.h"
#include "plugins/account_plugins/VellLogoutPlugin.h"
#include "plugins/account_plugins/VellRiskLimitResultPlugin.h"
#include "plugins/account_plugins/VellSelectAccountPlugin.h"
#include "plugins/account_plugins/VellSetAccountAssociateMobilePhonePlugin.h"
#include "plugins/account_plugins/VellUnbindAccountPlugin.h"

// In table order: the order the page-side SDK and the hosts know them by.
std::shared_ptr<VellError> VellAccountPluginsRegister::Register(VellV8PluginFactory* factory) {
  return VellPluginTable::Register(
      factory, this,
      {
          VellPluginTable::Of<VellBindAccountPlugin>(VellActionNames::kBindAccount),
          VellPluginTable::Of<VellGetAccountAssociateMobilePhonePlugin>(
              VellActionNames::kGetAccountAssociateMobilePhone),
          VellPluginTable::Of<VellLoginSuccessPlugin>(VellActionNames::kLoginSuccess),
          VellPluginTable::Of<VellLogoutPlugin>(VellActionNames::kLogout),
          VellPluginTable::Of<VellRiskLimitResultPlugin>(VellActionNames::kRiskLimitResult),
          VellPluginTable::Of<VellSelectAccountPlugin>(VellActionNames::kSelectAccount),
          VellPluginTable::Of<VellSetAccountAssociateMobilePhonePlugin>(
              VellActionNames::kSetAccountAssociateMobilePhone),
          VellPluginTable::Of<VellUnbindAccountPlugin>(VellActionNames::kUnbindAccount),
          VellPluginTable::Of<VellGetLoginUserDataPlugin>(VellActionNames::kGetLoginUserData),
      },
      "VellAccountPluginsRegister failed.", "VellAccountPluginsRegister::Register");
}
