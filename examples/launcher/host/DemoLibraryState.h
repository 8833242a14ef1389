#pragma once

#include <string>
#include <vector>

#include <QString>
#include <nlohmann/json.hpp>

#include "host/DemoJsonFile.h"

class DemoCatalogue;

// What the user's launcher remembers between starts, in library.json of the
// user's config folder: installed games and their versions, the games added
// to the library, each game's chosen and recent servers, the signed-in
// account and the phone numbers bound to accounts. A first start begins from
// the catalogue's sample state. Every change is saved at once.
class DemoLibraryState {
 public:
  explicit DemoLibraryState(const QString& folder);

  // Empty on success, else why the catalogue's sample state is used.
  QString Load(const DemoCatalogue& catalogue);

  // "" when the game is not installed.
  std::string InstalledVersion(const std::string& appCode) const;
  QString SetInstalled(const std::string& appCode, const std::string& version);
  QString Uninstall(const std::string& appCode);

  std::vector<std::string> Selections() const;
  QString SetSelected(const std::string& appCode, bool selected);

  // "" when the user has chosen none.
  std::string SelectedServer(const std::string& appCode) const;
  std::vector<std::string> RecentServers(const std::string& appCode) const;
  // Chooses the server and puts it first among the recent ones.
  QString SelectServer(const std::string& appCode, const std::string& serverId);

  // The signed-in account's open id, "" when signed out.
  std::string SignedIn() const { return m_state["signedIn"].get<std::string>(); }
  QString SetSignedIn(const std::string& openId);

  // {"hashed", "masked"}: what the user bound, else the catalogue's.
  nlohmann::json Phone(const DemoCatalogue& catalogue, const std::string& openId) const;
  QString SetPhone(const std::string& openId, const std::string& hashed, const std::string& masked);

 private:
  static nlohmann::json _Sample(const DemoCatalogue& catalogue);
  static std::vector<std::string> _Strings(const nlohmann::json& list);
  // The saved state where its shape fits, over the sample.
  static nlohmann::json _Adopt(nlohmann::json sample, const nlohmann::json& saved);
  QString _Save() { return m_file.Save(m_state); }

  DemoJsonFile m_file;
  nlohmann::json m_state;
};
