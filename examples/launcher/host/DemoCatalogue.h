#pragma once

#include <string>

#include <QString>
#include <nlohmann/json.hpp>

// The sample catalogue the demo serves: games (with their ratings, policies
// and seasons), game servers, accounts and news, read from the JSON files of
// one folder and checked before use.
class DemoCatalogue {
 public:
  // Reads games.json, servers.json, accounts.json and news.json from
  // `folder`. Empty on success, else what is wrong, naming the file, the line
  // and column of a syntax error, or the entry and field that does not fit.
  QString Load(const QString& folder);

  const nlohmann::json& Games() const { return m_games; }
  // Null for an unknown app code.
  const nlohmann::json* Game(const std::string& appCode) const;
  // The game's zones, recent and selected server; null when it has none.
  const nlohmann::json* ServersOf(const std::string& appCode) const;
  const nlohmann::json& Accounts() const { return m_accounts; }
  const nlohmann::json* Account(const std::string& openId) const;
  // The account signed in when the user has not chosen one yet ("" for none).
  const std::string& DefaultAccount() const { return m_strDefaultAccount; }
  const nlohmann::json& News() const { return m_news; }

 private:
  static QString _Read(const QString& folder, const QString& name, nlohmann::json& out);
  static QString _CheckGame(const nlohmann::json& game, const QString& where);
  // Each entry is named by its index and, when it has one, its `label` field.
  static QString _CheckEach(const nlohmann::json& list, const QString& where,
                            QString (*check)(const nlohmann::json&, const QString&), const char* label = "id");
  static QString _CheckSeason(const nlohmann::json& season, const QString& where);
  static QString _CheckZone(const nlohmann::json& zone, const QString& where);
  static QString _CheckAccount(const nlohmann::json& account, const QString& where);
  static QString _CheckNewsItem(const nlohmann::json& item, const QString& where);
  QString _LoadGames(const QString& folder);
  QString _LoadServers(const QString& folder);
  QString _CheckServerEntry(const nlohmann::json& entry, const QString& where) const;
  QString _LoadAccounts(const QString& folder);
  QString _LoadNews(const QString& folder);

  nlohmann::json m_games = nlohmann::json::array();
  nlohmann::json m_servers = nlohmann::json::array();
  nlohmann::json m_accounts = nlohmann::json::array();
  nlohmann::json m_news = nlohmann::json::object();
  std::string m_strDefaultAccount;
};
