#include "host/DemoLibraryState.h"

#include <algorithm>

#include "host/DemoCatalogue.h"

namespace {
constexpr size_t kRecentServers = 5;
}

DemoLibraryState::DemoLibraryState(const QString& folder) : m_file(folder + "/library.json") {}

QString DemoLibraryState::Load(const DemoCatalogue& catalogue) {
  nlohmann::json saved;
  const QString error = m_file.Load(saved);
  m_state = _Adopt(_Sample(catalogue), saved);
  return error;
}

nlohmann::json DemoLibraryState::_Sample(const DemoCatalogue& catalogue) {
  nlohmann::json state = {{"installed", nlohmann::json::object()},
                          {"selections", nlohmann::json::array()},
                          {"servers", nlohmann::json::object()},
                          {"signedIn", catalogue.DefaultAccount()},
                          {"phones", nlohmann::json::object()}};
  for (const auto& game : catalogue.Games()) {
    const std::string appCode = game["appCode"].get<std::string>();
    if (const nlohmann::json* servers = catalogue.ServersOf(appCode)) {
      state["servers"][appCode] = {{"selected", (*servers)["selected"]}, {"recent", (*servers)["recent"]}};
    }
    if (!game.contains("installedVersion")) continue;
    state["installed"][appCode] = game["installedVersion"];
    state["selections"].push_back(appCode);
  }
  return state;
}

nlohmann::json DemoLibraryState::_Adopt(nlohmann::json sample, const nlohmann::json& saved) {
  for (auto& [key, value] : sample.items()) {
    const auto it = saved.find(key);
    if (it != saved.end() && it->type() == value.type()) value = *it;
  }
  return sample;
}

std::vector<std::string> DemoLibraryState::_Strings(const nlohmann::json& list) {
  std::vector<std::string> strings;
  if (!list.is_array()) return strings;
  for (const auto& item : list) {
    if (item.is_string()) strings.push_back(item.get<std::string>());
  }
  return strings;
}

std::string DemoLibraryState::InstalledVersion(const std::string& appCode) const {
  const auto& installed = m_state["installed"];
  const auto it = installed.find(appCode);
  return it != installed.end() && it->is_string() ? it->get<std::string>() : std::string();
}

QString DemoLibraryState::SetInstalled(const std::string& appCode, const std::string& version) {
  m_state["installed"][appCode] = version;
  return _Save();
}

QString DemoLibraryState::Uninstall(const std::string& appCode) {
  m_state["installed"].erase(appCode);
  return _Save();
}

std::vector<std::string> DemoLibraryState::Selections() const { return _Strings(m_state["selections"]); }

QString DemoLibraryState::SetSelected(const std::string& appCode, bool selected) {
  std::vector<std::string> selections = Selections();
  selections.erase(std::remove(selections.begin(), selections.end(), appCode), selections.end());
  if (selected) selections.push_back(appCode);
  m_state["selections"] = selections;
  return _Save();
}

std::string DemoLibraryState::SelectedServer(const std::string& appCode) const {
  const auto& servers = m_state["servers"];
  const auto it = servers.find(appCode);
  if (it == servers.end() || !it->is_object() || !it->value("selected", nlohmann::json()).is_string()) return {};
  return (*it)["selected"].get<std::string>();
}

std::vector<std::string> DemoLibraryState::RecentServers(const std::string& appCode) const {
  const auto& servers = m_state["servers"];
  const auto it = servers.find(appCode);
  if (it == servers.end() || !it->is_object()) return {};
  return _Strings(it->value("recent", nlohmann::json::array()));
}

QString DemoLibraryState::SelectServer(const std::string& appCode, const std::string& serverId) {
  std::vector<std::string> recent = RecentServers(appCode);
  recent.erase(std::remove(recent.begin(), recent.end(), serverId), recent.end());
  recent.insert(recent.begin(), serverId);
  if (recent.size() > kRecentServers) recent.resize(kRecentServers);
  m_state["servers"][appCode] = {{"selected", serverId}, {"recent", recent}};
  return _Save();
}

QString DemoLibraryState::SetSignedIn(const std::string& openId) {
  m_state["signedIn"] = openId;
  return _Save();
}

nlohmann::json DemoLibraryState::Phone(const DemoCatalogue& catalogue, const std::string& openId) const {
  const auto& phones = m_state["phones"];
  const auto it = phones.find(openId);
  if (it != phones.end() && it->is_object()) return *it;
  const nlohmann::json* account = catalogue.Account(openId);
  return account ? (*account)["phone"] : nlohmann::json{{"hashed", ""}, {"masked", ""}};
}

QString DemoLibraryState::SetPhone(const std::string& openId, const std::string& hashed, const std::string& masked) {
  m_state["phones"][openId] = {{"hashed", hashed}, {"masked", masked}};
  return _Save();
}
