// The user's settings: defaults first, then what fits from the file and from
// the pages; a first start is told apart.
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "host/DemoJsonFile.h"
#include "host/DemoSettingsStore.h"

namespace {

TEST(DemoSettingsStoreTest, AFirstStartHasTheDefaults) {
  QTemporaryDir dir;
  DemoSettingsStore store(dir.path());
  EXPECT_EQ(store.Load(), "");
  EXPECT_TRUE(store.IsFirstLaunch());
  EXPECT_EQ(store.Settings(), DemoSettingsStore::Defaults());
}

TEST(DemoSettingsStoreTest, SavedSettingsAreThereOnTheNextStart) {
  QTemporaryDir dir;
  {
    DemoSettingsStore store(dir.path());
    store.Load();
    ASSERT_EQ(store.Save({{"accent", "amber"}, {"showToasts", false}}, {{"starfall", true}}), "");
  }
  DemoSettingsStore next(dir.path());
  EXPECT_EQ(next.Load(), "");
  EXPECT_FALSE(next.IsFirstLaunch());
  EXPECT_EQ(next.Settings()["accent"], "amber");
  EXPECT_EQ(next.Settings()["showToasts"], false);
  EXPECT_EQ(next.Settings()["autoUpdates"], (nlohmann::json{{"starfall", true}}));
  EXPECT_EQ(next.Settings()["language"], "en-US");
}

TEST(DemoSettingsStoreTest, OnlyKnownKeysWithAllowedValuesAreTaken) {
  const nlohmann::json merged = DemoSettingsStore::Merge(
      DemoSettingsStore::Defaults(),
      {{"accent", "chartreuse"}, {"language", "fr-FR"}, {"downloadLimitMBps", 123}, {"showToasts", "yes"},
       {"installDirectory", ""}, {"unknown", 1}, {"autoUpdates", {{"a", 1}}}, {"launchOnStartup", true}});
  EXPECT_EQ(merged["accent"], "violet");
  EXPECT_EQ(merged["language"], "fr-FR");
  EXPECT_EQ(merged["downloadLimitMBps"], 0);
  EXPECT_EQ(merged["showToasts"], true);
  EXPECT_EQ(merged["installDirectory"], DemoSettingsStore::Defaults()["installDirectory"]);
  EXPECT_FALSE(merged.contains("unknown"));
  EXPECT_EQ(merged["autoUpdates"], nlohmann::json::object());
  EXPECT_EQ(merged["launchOnStartup"], true);
  EXPECT_EQ(DemoSettingsStore::Merge(DemoSettingsStore::Defaults(), "not an object"), DemoSettingsStore::Defaults());
}

TEST(DemoSettingsStoreTest, AFileThatHalfFitsKeepsWhatFits) {
  QTemporaryDir dir;
  ASSERT_EQ(DemoJsonFile(dir.filePath("settings.json")).Save({{"accent", "rose"}, {"downloadLimitMBps", "fast"}}), "");
  DemoSettingsStore store(dir.path());
  EXPECT_EQ(store.Load(), "");
  EXPECT_EQ(store.Settings()["accent"], "rose");
  EXPECT_EQ(store.Settings()["downloadLimitMBps"], 0);
}

TEST(DemoSettingsStoreTest, ABrokenFileGivesTheDefaultsAndIsKeptWhenSaving) {
  QTemporaryDir dir;
  {
    QFile file(dir.filePath("settings.json"));
    file.open(QIODevice::WriteOnly);
    file.write("{ \"accent\": ");
  }
  DemoSettingsStore store(dir.path());
  EXPECT_EQ(store.Load(), dir.filePath("settings.json") + " is not valid JSON");
  EXPECT_FALSE(store.IsFirstLaunch());
  EXPECT_EQ(store.Settings(), DemoSettingsStore::Defaults());
  ASSERT_EQ(store.Save({{"accent", "teal"}}, {}), "");
  EXPECT_EQ(store.AsidePath(), dir.filePath("settings.json.unreadable"));
  QFile aside(store.AsidePath());
  ASSERT_TRUE(aside.open(QIODevice::ReadOnly));
  EXPECT_EQ(aside.readAll(), "{ \"accent\": ");
}

}  // namespace
