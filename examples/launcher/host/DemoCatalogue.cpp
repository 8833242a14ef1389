#include "host/DemoCatalogue.h"

#include <set>

#include <QFile>

#include "host/DemoJsonCheck.h"

using Kind = DemoJsonCheck::Kind;

namespace {

QString Entry(const QString& where, size_t index, const nlohmann::json& item, const char* key) {
  const auto it = item.is_object() ? item.find(key) : item.end();
  const QString label = (it != item.end() && it->is_string()) ? QString(" (\"%1\")").arg(QString::fromStdString(*it))
                                                              : QString();
  return QString("%1[%2]%3").arg(where).arg(index).arg(label);
}

const nlohmann::json* FindBy(const nlohmann::json& list, const char* key, const std::string& value) {
  for (const auto& item : list) {
    if (item.at(key).get<std::string>() == value) return &item;
  }
  return nullptr;
}

bool HasServer(const nlohmann::json& zones, const std::string& serverId) {
  for (const auto& zone : zones) {
    if (FindBy(zone.at("servers"), "id", serverId)) return true;
  }
  return false;
}

}  // namespace

QString DemoCatalogue::Load(const QString& folder) {
  QString error = _LoadGames(folder);
  if (error.isEmpty()) error = _LoadServers(folder);
  if (error.isEmpty()) error = _LoadAccounts(folder);
  if (error.isEmpty()) error = _LoadNews(folder);
  return error;
}

const nlohmann::json* DemoCatalogue::Game(const std::string& appCode) const {
  return FindBy(m_games, "appCode", appCode);
}

const nlohmann::json* DemoCatalogue::ServersOf(const std::string& appCode) const {
  return FindBy(m_servers, "appCode", appCode);
}

const nlohmann::json* DemoCatalogue::Account(const std::string& openId) const {
  return FindBy(m_accounts, "openId", openId);
}

QString DemoCatalogue::_Read(const QString& folder, const QString& name, nlohmann::json& out) {
  QFile file(folder + "/" + name);
  if (!file.open(QIODevice::ReadOnly)) return QString("%1: cannot be read (%2)").arg(file.fileName(), file.errorString());
  try {
    out = nlohmann::json::parse(file.readAll().toStdString());
  } catch (const nlohmann::json::parse_error& e) {
    // The library's text starts with its own tag in brackets; the rest names line and column.
    const std::string text = e.what();
    const size_t tagEnd = text.find("] ");
    const std::string reason = tagEnd == std::string::npos ? text : text.substr(tagEnd + 2);
    return QString("%1: not valid JSON: %2").arg(file.fileName(), QString::fromStdString(reason));
  }
  return {};
}

QString DemoCatalogue::_CheckEach(const nlohmann::json& list, const QString& where,
                                  QString (*check)(const nlohmann::json&, const QString&), const char* label) {
  for (size_t i = 0; i < list.size(); ++i) {
    const QString error = check(list[i], Entry(where, i, list[i], label));
    if (!error.isEmpty()) return error;
  }
  return {};
}

QString DemoCatalogue::_LoadGames(const QString& folder) {
  nlohmann::json root;
  QString error = _Read(folder, "games.json", root);
  if (error.isEmpty()) error = DemoJsonCheck::Fields(root, "games.json", {{"games", Kind::Array}});
  if (!error.isEmpty()) return error;
  std::set<std::string> codes;
  const nlohmann::json& games = root["games"];
  for (size_t i = 0; i < games.size(); ++i) {
    const QString where = Entry("games.json: games", i, games[i], "appCode");
    error = _CheckGame(games[i], where);
    if (!error.isEmpty()) return error;
    if (!codes.insert(games[i]["appCode"].get<std::string>()).second) return where + ": the app code is used twice";
  }
  m_games = games;
  return {};
}

QString DemoCatalogue::_CheckGame(const nlohmann::json& game, const QString& where) {
  QString error = DemoJsonCheck::Fields(game, where,
                                        {{"appCode", Kind::String}, {"name", Kind::String}, {"genre", Kind::String},
                                         {"developer", Kind::String}, {"released", Kind::String},
                                         {"tagline", Kind::String}, {"description", Kind::String},
                                         {"version", Kind::String}, {"sizeBytes", Kind::Integer},
                                         {"palette", Kind::Array}, {"glyph", Kind::String},
                                         {"features", Kind::Array}, {"ratings", Kind::Array},
                                         {"policies", Kind::Array}, {"seasons", Kind::Array}});
  if (error.isEmpty() && game.contains("installedVersion")) {
    error = DemoJsonCheck::Value(game["installedVersion"], where + ": \"installedVersion\"", Kind::String);
  }
  if (error.isEmpty() && game["palette"].size() != 2) error = where + ": \"palette\" should hold two colours";
  if (error.isEmpty()) {
    error = _CheckEach(game["ratings"], where + ": ratings", [](const nlohmann::json& rating, const QString& at) {
      return DemoJsonCheck::Fields(rating, at, {{"id", Kind::String}, {"title", Kind::String}, {"content", Kind::String}});
    });
  }
  if (error.isEmpty()) {
    error = _CheckEach(game["policies"], where + ": policies", [](const nlohmann::json& policy, const QString& at) {
      return DemoJsonCheck::Fields(policy, at,
                                   {{"title", Kind::String}, {"href", Kind::String}, {"isChecked", Kind::Boolean}});
    });
  }
  if (error.isEmpty()) error = _CheckEach(game["seasons"], where + ": seasons", &DemoCatalogue::_CheckSeason);
  return error;
}

QString DemoCatalogue::_CheckSeason(const nlohmann::json& season, const QString& where) {
  const QString error = DemoJsonCheck::Fields(season, where,
                                              {{"id", Kind::Integer}, {"name", Kind::String}, {"start", Kind::String},
                                               {"end", Kind::String}, {"stats", Kind::Array}});
  if (!error.isEmpty()) return error;
  return _CheckEach(season["stats"], where + ": stats", [](const nlohmann::json& stats, const QString& at) {
    return DemoJsonCheck::Fields(stats, at,
                                 {{"playType", Kind::Integer}, {"rank", Kind::String}, {"matches", Kind::Integer},
                                  {"wins", Kind::Integer}, {"hours", Kind::Number}});
  });
}

QString DemoCatalogue::_LoadServers(const QString& folder) {
  nlohmann::json root;
  QString error = _Read(folder, "servers.json", root);
  if (error.isEmpty()) error = DemoJsonCheck::Fields(root, "servers.json", {{"servers", Kind::Array}});
  if (!error.isEmpty()) return error;
  const nlohmann::json& entries = root["servers"];
  for (size_t i = 0; i < entries.size(); ++i) {
    error = _CheckServerEntry(entries[i], Entry("servers.json: servers", i, entries[i], "appCode"));
    if (!error.isEmpty()) return error;
  }
  m_servers = entries;
  return {};
}

QString DemoCatalogue::_CheckServerEntry(const nlohmann::json& entry, const QString& where) const {
  QString error = DemoJsonCheck::Fields(entry, where,
                                        {{"appCode", Kind::String}, {"selected", Kind::String},
                                         {"recent", Kind::Array}, {"zones", Kind::Array}});
  if (error.isEmpty()) error = _CheckEach(entry["zones"], where + ": zones", &DemoCatalogue::_CheckZone);
  if (!error.isEmpty()) return error;
  if (!Game(entry["appCode"].get<std::string>())) return where + ": no game in games.json has this app code";
  const std::string selected = entry["selected"].get<std::string>();
  if (!selected.empty() && !HasServer(entry["zones"], selected)) {
    return QString("%1: the selected server \"%2\" is in none of its zones").arg(where, QString::fromStdString(selected));
  }
  for (const auto& recent : entry["recent"]) {
    if (!recent.is_string() || !HasServer(entry["zones"], recent.get<std::string>())) {
      return QString("%1: the recent server %2 is in none of its zones").arg(where, QString::fromStdString(recent.dump()));
    }
  }
  return {};
}

QString DemoCatalogue::_CheckZone(const nlohmann::json& zone, const QString& where) {
  const QString error = DemoJsonCheck::Fields(zone, where,
                                              {{"id", Kind::String}, {"name", Kind::String},
                                               {"recommended", Kind::Boolean}, {"servers", Kind::Array}});
  if (!error.isEmpty()) return error;
  return _CheckEach(zone["servers"], where + ": servers", [](const nlohmann::json& server, const QString& at) {
    return DemoJsonCheck::Fields(server, at, {{"id", Kind::String}, {"name", Kind::String}, {"state", Kind::Integer}});
  });
}

QString DemoCatalogue::_LoadAccounts(const QString& folder) {
  nlohmann::json root;
  QString error = _Read(folder, "accounts.json", root);
  if (error.isEmpty()) {
    error = DemoJsonCheck::Fields(root, "accounts.json", {{"signedIn", Kind::String}, {"accounts", Kind::Array}});
  }
  if (error.isEmpty()) error = _CheckEach(root["accounts"], "accounts.json: accounts", &DemoCatalogue::_CheckAccount, "openId");
  if (!error.isEmpty()) return error;
  m_accounts = root["accounts"];
  m_strDefaultAccount = root["signedIn"].get<std::string>();
  if (!m_strDefaultAccount.empty() && !Account(m_strDefaultAccount)) {
    return QString("accounts.json: \"signedIn\" names \"%1\", which is not one of the accounts")
        .arg(QString::fromStdString(m_strDefaultAccount));
  }
  return {};
}

QString DemoCatalogue::_CheckAccount(const nlohmann::json& account, const QString& where) {
  const QString error = DemoJsonCheck::Fields(account, where,
                                              {{"openId", Kind::String}, {"account", Kind::String},
                                               {"displayName", Kind::String}, {"email", Kind::String},
                                               {"level", Kind::Integer}, {"avatarColor", Kind::String},
                                               {"memberSince", Kind::String}, {"phone", Kind::Object}});
  if (!error.isEmpty()) return error;
  return DemoJsonCheck::Fields(account["phone"], where + ": phone", {{"hashed", Kind::String}, {"masked", Kind::String}});
}

QString DemoCatalogue::_LoadNews(const QString& folder) {
  nlohmann::json root;
  QString error = _Read(folder, "news.json", root);
  if (error.isEmpty()) error = DemoJsonCheck::Fields(root, "news.json", {{"banner", Kind::Object}, {"news", Kind::Array}});
  if (error.isEmpty()) {
    error = DemoJsonCheck::Fields(root["banner"], "news.json: banner",
                                  {{"appCode", Kind::String}, {"eyebrow", Kind::String}, {"title", Kind::String},
                                   {"text", Kind::String}});
  }
  if (error.isEmpty()) error = _CheckEach(root["news"], "news.json: news", &DemoCatalogue::_CheckNewsItem);
  if (!error.isEmpty()) return error;
  m_news = root;
  return {};
}

QString DemoCatalogue::_CheckNewsItem(const nlohmann::json& item, const QString& where) {
  return DemoJsonCheck::Fields(item, where,
                               {{"id", Kind::String}, {"appCode", Kind::String}, {"date", Kind::String},
                                {"title", Kind::String}, {"text", Kind::String}});
}
