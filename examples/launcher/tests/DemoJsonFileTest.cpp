// The user's JSON files: saved whole or not at all, and an unreadable file is
// kept before anything replaces it.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

#include "host/DemoJsonFile.h"

namespace {

QByteArray Read(const QString& path) {
  QFile file(path);
  file.open(QIODevice::ReadOnly);
  return file.readAll();
}

void Write(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  file.open(QIODevice::WriteOnly | QIODevice::Truncate);
  file.write(bytes);
}

TEST(DemoJsonFileTest, NoFileReadsAsAnEmptyObject) {
  QTemporaryDir dir;
  DemoJsonFile file(dir.filePath("settings.json"));
  nlohmann::json value = {{"stale", true}};
  EXPECT_EQ(file.Load(value), "");
  EXPECT_EQ(value, nlohmann::json::object());
  EXPECT_FALSE(file.Exists());
}

TEST(DemoJsonFileTest, SavedIsReadBackAndTheFolderIsMade) {
  QTemporaryDir dir;
  DemoJsonFile file(dir.filePath("nested/folder/settings.json"));
  ASSERT_EQ(file.Save({{"accent", "teal"}, {"n", 3}}), "");
  nlohmann::json value;
  EXPECT_EQ(DemoJsonFile(file.Path()).Load(value), "");
  EXPECT_EQ(value, (nlohmann::json{{"accent", "teal"}, {"n", 3}}));
  // Nothing of the writing is left beside the file.
  EXPECT_EQ(QDir(dir.filePath("nested/folder")).entryList(QDir::Files | QDir::Hidden), QStringList{"settings.json"});
}

TEST(DemoJsonFileTest, AnUnreadableFileIsKeptAsideBeforeTheFirstSave) {
  QTemporaryDir dir;
  const QString path = dir.filePath("settings.json");
  Write(path, "{\"accent\": \"teal\",");
  Write(path + ".unreadable", "an older one");
  DemoJsonFile file(path);
  nlohmann::json value;
  EXPECT_EQ(file.Load(value), path + " is not valid JSON");
  EXPECT_EQ(value, nlohmann::json::object());
  ASSERT_EQ(file.Save({{"accent", "rose"}}), "");
  EXPECT_EQ(file.AsidePath(), path + ".unreadable.2");
  EXPECT_EQ(Read(path + ".unreadable.2"), "{\"accent\": \"teal\",");
  EXPECT_EQ(Read(path + ".unreadable"), "an older one");
  // Once kept, later saves just replace the file.
  ASSERT_EQ(file.Save({{"accent", "amber"}}), "");
  EXPECT_FALSE(QFile::exists(path + ".unreadable.3"));
}

TEST(DemoJsonFileTest, AFileWithoutAnObjectIsUnreadableToo) {
  QTemporaryDir dir;
  const QString path = dir.filePath("library.json");
  Write(path, "[1, 2]");
  nlohmann::json value;
  EXPECT_EQ(DemoJsonFile(path).Load(value), path + " holds no JSON object");
}

TEST(DemoJsonFileTest, AFolderThatCannotBeMadeIsSaid) {
  QTemporaryDir dir;
  Write(dir.filePath("blocker"), "a file where the folder would go");
  DemoJsonFile file(dir.filePath("blocker/Vell/settings.json"));
  EXPECT_EQ(file.Save({{"a", 1}}), "the folder " + dir.filePath("blocker/Vell") + " cannot be created");
}

TEST(DemoJsonFileTest, AFailedSaveLeavesTheSavedFileAsItWas) {
  if (geteuid() == 0) GTEST_SKIP() << "the superuser writes into read-only folders";
  QTemporaryDir dir;
  const QString path = dir.filePath("settings.json");
  ASSERT_EQ(DemoJsonFile(path).Save({{"accent", "teal"}}), "");
  const QByteArray before = Read(path);
  QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
  const QString error = DemoJsonFile(path).Save({{"accent", "rose"}});
  QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  EXPECT_TRUE(error.startsWith(path + " cannot be written")) << error.toStdString();
  EXPECT_EQ(Read(path), before);
}

}  // namespace
