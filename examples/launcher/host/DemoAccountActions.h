#pragma once

#include <string>

#include <QObject>
#include <nlohmann/json.hpp>

#include "host/DemoPages.h"

class DemoCatalogue;
class DemoDialogActions;
class DemoLibraryState;

// The account module: who is signed in (getLoginUserData), signing in
// (loginSuccess, selectAccount), signing out (logout) and the phone number
// bound to an account. Every change reaches every page as onAccountChanged.
class DemoAccountActions : public QObject {
  Q_OBJECT

 public:
  DemoAccountActions(const DemoCatalogue& catalogue, DemoLibraryState& library, DemoPages& pages,
                     const DemoDialogActions& dialogs, QObject* parent);
  void Bind(VellWidget* widget);
  // {"signedIn", "user", "accounts"}: what getLoginUserData answers.
  nlohmann::json LoginData() const;

 private:
  nlohmann::json _User(const std::string& openId) const;
  void _SignIn(const std::string& openId, const std::string& account);
  void _SignOut();
  void _SetPhone(const std::string& openId, const std::string& hashed, const std::string& masked);
  // Tells every page, or why the change could not be kept.
  void _Changed(const QString& saveError);

  const DemoCatalogue& m_catalogue;
  DemoLibraryState& m_library;
  DemoPages& m_pages;
  const DemoDialogActions& m_dialogs;
};
