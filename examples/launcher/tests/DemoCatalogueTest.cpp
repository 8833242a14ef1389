// The sample catalogue: the shipped files read whole; a broken file is named
// with what is wrong and where.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "host/DemoCatalogue.h"

namespace {

// A copy of the shipped catalogue in which `file` is replaced by `text`.
class BrokenCatalogue {
 public:
  BrokenCatalogue(const QString& file, const QByteArray& text) {
    for (const QString& name : QDir(VELL_DEMO_DATA_DIR).entryList({"*.json"})) {
      QFile::copy(QString(VELL_DEMO_DATA_DIR) + "/" + name, m_dir.filePath(name));
    }
    QFile target(m_dir.filePath(file));
    target.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    target.open(QIODevice::WriteOnly | QIODevice::Truncate);
    target.write(text);
  }
  QString Error() {
    DemoCatalogue catalogue;
    return catalogue.Load(m_dir.path());
  }

 private:
  QTemporaryDir m_dir;
};

QByteArray Shipped(const QString& name) {
  QFile file(QString(VELL_DEMO_DATA_DIR) + "/" + name);
  file.open(QIODevice::ReadOnly);
  return file.readAll();
}

TEST(DemoCatalogueTest, TheShippedCatalogueIsReadWhole) {
  DemoCatalogue catalogue;
  ASSERT_EQ(catalogue.Load(VELL_DEMO_DATA_DIR), "");
  EXPECT_EQ(catalogue.Games().size(), 6u);
  ASSERT_NE(catalogue.Game("starfall"), nullptr);
  EXPECT_EQ((*catalogue.Game("starfall"))["name"], "Starfall Odyssey");
  EXPECT_EQ(catalogue.Game("nope"), nullptr);
  ASSERT_NE(catalogue.ServersOf("starfall"), nullptr);
  EXPECT_EQ((*catalogue.ServersOf("starfall"))["zones"].size(), 3u);
  EXPECT_EQ(catalogue.ServersOf("pocketgarden"), nullptr);
  EXPECT_EQ(catalogue.Accounts().size(), 3u);
  EXPECT_EQ(catalogue.DefaultAccount(), "acc-1001");
  EXPECT_EQ(catalogue.News()["news"].size(), 4u);
}

TEST(DemoCatalogueTest, ASyntaxErrorNamesTheFileLineAndColumn) {
  const QString error = BrokenCatalogue("games.json", "{\n  \"games\": [\n    {\"appCode\": \"x\",}\n  ]\n}").Error();
  EXPECT_TRUE(error.contains("games.json: not valid JSON")) << error.toStdString();
  EXPECT_TRUE(error.contains("line 3, column 21")) << error.toStdString();
}

TEST(DemoCatalogueTest, AMissingFieldNamesTheEntryAndTheField) {
  QByteArray games = Shipped("games.json");
  games.replace("\"name\": \"Ember & Ash\",", "");
  const QString error = BrokenCatalogue("games.json", games).Error();
  EXPECT_EQ(error, "games.json: games[1] (\"ember\") has no \"name\" (a string)");
}

TEST(DemoCatalogueTest, AFieldOfTheWrongKindSaysWhatItShouldBe) {
  QByteArray games = Shipped("games.json");
  games.replace("\"sizeBytes\": 640000000", "\"sizeBytes\": \"small\"");
  EXPECT_EQ(BrokenCatalogue("games.json", games).Error(),
            "games.json: games[4] (\"pocketgarden\"): \"sizeBytes\" should be a whole number, not a string");
}

TEST(DemoCatalogueTest, NestedEntriesAreCheckedToo) {
  QByteArray games = Shipped("games.json");
  games.replace("\"wins\": 82,", "");
  EXPECT_EQ(BrokenCatalogue("games.json", games).Error(),
            "games.json: games[0] (\"starfall\"): seasons[0]: stats[0] has no \"wins\" (a whole number)");
}

TEST(DemoCatalogueTest, ServersMustBelongToAGameAndNameTheirOwnServers) {
  QByteArray servers = Shipped("servers.json");
  servers.replace("\"selected\": \"eu-aurora\"", "\"selected\": \"mars-1\"");
  EXPECT_EQ(BrokenCatalogue("servers.json", servers).Error(),
            "servers.json: servers[0] (\"starfall\"): the selected server \"mars-1\" is in none of its zones");
  servers = Shipped("servers.json");
  servers.replace("\"appCode\": \"ember\"", "\"appCode\": \"embers\"");
  EXPECT_EQ(BrokenCatalogue("servers.json", servers).Error(),
            "servers.json: servers[2] (\"embers\"): no game in games.json has this app code");
}

TEST(DemoCatalogueTest, TheSignedInAccountMustBeOneOfTheAccounts) {
  QByteArray accounts = Shipped("accounts.json");
  accounts.replace("\"signedIn\": \"acc-1001\"", "\"signedIn\": \"acc-9\"");
  EXPECT_EQ(BrokenCatalogue("accounts.json", accounts).Error(),
            "accounts.json: \"signedIn\" names \"acc-9\", which is not one of the accounts");
}

TEST(DemoCatalogueTest, AMissingFileIsNamed) {
  QTemporaryDir empty;
  DemoCatalogue catalogue;
  const QString error = catalogue.Load(empty.path());
  EXPECT_TRUE(error.startsWith(empty.path() + "/games.json: cannot be read")) << error.toStdString();
}

TEST(DemoCatalogueTest, TwoGamesWithOneAppCodeAreRefused) {
  QByteArray games = Shipped("games.json");
  games.replace("\"appCode\": \"ember\"", "\"appCode\": \"starfall\"");
  EXPECT_EQ(BrokenCatalogue("games.json", games).Error(), "games.json: games[1] (\"starfall\"): the app code is used twice");
}

}  // namespace
