#include "host/DemoAccountActions.h"

#include "host/DemoCatalogue.h"
#include "host/DemoDialogActions.h"
#include "host/DemoLibraryState.h"
#include "plugins/account_plugins/VellGetAccountAssociateMobilePhonePlugin.h"
#include "plugins/account_plugins/VellGetLoginUserDataPlugin.h"
#include "plugins/account_plugins/VellLoginSuccessPlugin.h"
#include "plugins/account_plugins/VellLogoutPlugin.h"
#include "plugins/account_plugins/VellSelectAccountPlugin.h"
#include "plugins/account_plugins/VellSetAccountAssociateMobilePhonePlugin.h"

DemoAccountActions::DemoAccountActions(const DemoCatalogue& catalogue, DemoLibraryState& library, DemoPages& pages,
                                       const DemoDialogActions& dialogs, QObject* parent)
    : QObject(parent), m_catalogue(catalogue), m_library(library), m_pages(pages), m_dialogs(dialogs) {}

void DemoAccountActions::Bind(VellWidget* widget) {
  connect(DemoPages::Find<VellGetLoginUserDataPlugin>(widget), &VellGetLoginUserDataPlugin::FireGetLoginUserData, this,
          [this](const VellGetLoginUserDataPluginModel::FireGetLoginUserDataCallback& answer) {
            answer({LoginData().dump(), ""});
          });
  connect(DemoPages::Find<VellLoginSuccessPlugin>(widget), &VellLoginSuccessPlugin::FireLoginSuccess, this,
          [this](const VellLoginSuccessPluginModel::FireLoginSuccessModel& login) {
            _SignIn(login.accountOpenId, login.account);
          });
  connect(DemoPages::Find<VellSelectAccountPlugin>(widget), &VellSelectAccountPlugin::FireSelectAccount, this,
          [this](const VellSelectAccountPluginModel::FireSelectAccountModel& chosen) {
            _SignIn(chosen.accountOpenId, chosen.account);
          });
  connect(DemoPages::Find<VellLogoutPlugin>(widget), &VellLogoutPlugin::FireLogout, this, [this] { _SignOut(); });
  connect(DemoPages::Find<VellGetAccountAssociateMobilePhonePlugin>(widget),
          &VellGetAccountAssociateMobilePhonePlugin::FireGetAccountAssociateMobilePhone, this,
          [this](const VellGetAccountAssociateMobilePhonePluginModel::FireGetAccountAssociateMobilePhoneModel& request,
                 const VellGetAccountAssociateMobilePhonePluginModel::FireGetAccountAssociateMobilePhoneCallback& answer) {
            const nlohmann::json phone = m_library.Phone(m_catalogue, request.accountOpenId);
            answer({phone["hashed"].get<std::string>(), phone["masked"].get<std::string>()});
          });
  connect(DemoPages::Find<VellSetAccountAssociateMobilePhonePlugin>(widget),
          &VellSetAccountAssociateMobilePhonePlugin::FireSetAccountAssociateMobilePhone, this,
          [this](const VellSetAccountAssociateMobilePhonePluginModel::FireSetAccountAssociateMobilePhoneModel& phone) {
            _SetPhone(phone.accountOpenId, phone.hashedMobileNumber, phone.maskedMobileNumber);
          });
}

nlohmann::json DemoAccountActions::LoginData() const {
  nlohmann::json accounts = nlohmann::json::array();
  for (const auto& account : m_catalogue.Accounts()) accounts.push_back(_User(account["openId"].get<std::string>()));
  const std::string signedIn = m_library.SignedIn();
  const bool known = m_catalogue.Account(signedIn) != nullptr;
  return {{"signedIn", known}, {"user", known ? _User(signedIn) : nlohmann::json()}, {"accounts", accounts}};
}

nlohmann::json DemoAccountActions::_User(const std::string& openId) const {
  const nlohmann::json& account = *m_catalogue.Account(openId);
  return {{"openId", openId},
          {"account", account["account"]},
          {"displayName", account["displayName"]},
          {"email", account["email"]},
          {"level", account["level"]},
          {"avatarColor", account["avatarColor"]},
          {"memberSince", account["memberSince"]},
          {"phone", m_library.Phone(m_catalogue, openId)["masked"]}};
}

void DemoAccountActions::_SignIn(const std::string& openId, const std::string& account) {
  const nlohmann::json* known = m_catalogue.Account(openId);
  if (!known || (*known)["account"].get<std::string>() != account) {
    m_dialogs.Toast(QString("No account \"%1\" here: still signed in as before").arg(QString::fromStdString(account)));
    return;
  }
  _Changed(m_library.SetSignedIn(openId));
}

void DemoAccountActions::_SignOut() { _Changed(m_library.SetSignedIn("")); }

void DemoAccountActions::_SetPhone(const std::string& openId, const std::string& hashed, const std::string& masked) {
  if (!m_catalogue.Account(openId)) {
    m_dialogs.Toast("The phone number was not saved: unknown account");
    return;
  }
  _Changed(m_library.SetPhone(openId, hashed, masked));
}

void DemoAccountActions::_Changed(const QString& saveError) {
  if (!saveError.isEmpty()) m_dialogs.Toast("This change is not kept after a restart: " + saveError, 6000);
  const std::string text = LoginData().dump();
  m_pages.ForEach([&text](VellWidget* page) {
    VellError::LogErrorChain(DemoPages::Find<VellLoginSuccessPlugin>(page)->NotifyAccountChanged(page, text));
  });
}
