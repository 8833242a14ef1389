#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "LogCapture.h"
#include "utils/VellAsync.h"
#include "utils/VellQFileEnhance.h"
#include "v8_api/VellJsSdkFileIO.h"

namespace {

class VellQFileEnhanceTest : public ::testing::Test {
 protected:
  QString Write(const QString& name, const QByteArray& bytes) {
    const QString path = m_dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
  }

  QTemporaryDir m_dir;
};

TEST_F(VellQFileEnhanceTest, PathPredicates) {
  const QString file = Write("Archive.ZIP", "x");
  EXPECT_TRUE(VellQFileEnhance::IsQFile(file));
  EXPECT_TRUE(VellQFileEnhance::IsFileExist(file.toStdString()));
  EXPECT_FALSE(VellQFileEnhance::IsQDir(file));
  EXPECT_TRUE(VellQFileEnhance::IsDir(m_dir.path().toStdString()));
  EXPECT_TRUE(VellQFileEnhance::IsQZipFilePathExtension(file));
  EXPECT_FALSE(VellQFileEnhance::IsZipFilePathExtension("/a/zip"));
  EXPECT_FALSE(VellQFileEnhance::IsZipFilePathExtension("/a/b.zip.txt"));
}

TEST_F(VellQFileEnhanceTest, ReadTextFileReadsUtf8AndEmptyFiles) {
  QString text = "stale";
  EXPECT_EQ(VellQFileEnhance::ReadTextFile(Write("a.txt", "h\xc3\xa9llo\n"), text), nullptr);
  EXPECT_EQ(text, QString::fromUtf8("h\xc3\xa9llo\n"));
  EXPECT_EQ(VellQFileEnhance::ReadTextFile(Write("empty.txt", ""), text), nullptr);
  EXPECT_TRUE(text.isEmpty());
}

TEST_F(VellQFileEnhanceTest, ReadTextFileFailsOnMissingDirectoryAndNonUtf8) {
  QString text = "kept";
  const QString missing = m_dir.filePath("missing.txt");
  auto error = VellQFileEnhance::ReadTextFile(missing, text);
  ASSERT_NE(error, nullptr);
  EXPECT_NE(error->errorMessage.find("ReadTextFile failed, file open failed. FileError = 5"), std::string::npos)
      << error->errorMessage;
  EXPECT_NE(error->errorMessage.find("FilePath = " + missing.toStdString()), std::string::npos);
  EXPECT_NE(error->functionName.find("VellQFileEnhance::ReadTextFile"), std::string::npos);

  EXPECT_NE(VellQFileEnhance::ReadTextFile(m_dir.path(), text), nullptr);

  for (const char* bytes : {"caf\xe9", "caf\xe9 au lait", "\xff\xfe{}"}) {
    error = VellQFileEnhance::ReadTextFile(Write("latin1.txt", bytes), text);
    ASSERT_NE(error, nullptr) << bytes;
    EXPECT_NE(error->errorMessage.find("not valid UTF-8"), std::string::npos);
  }
  EXPECT_EQ(text, "kept");
}

TEST_F(VellQFileEnhanceTest, ReadTextFileFailsOnUnreadableFile) {
  // Two links pointing at each other: the name exists, but no user, root
  // included, can open it (ELOOP).
  const QString path = m_dir.filePath("loop.txt");
  ASSERT_TRUE(QFile::link(m_dir.filePath("loop2.txt"), path));
  ASSERT_TRUE(QFile::link(path, m_dir.filePath("loop2.txt")));
  QString text = "unchanged";
  const auto error = VellQFileEnhance::ReadTextFile(path, text);
  ASSERT_NE(error, nullptr);
  EXPECT_NE(error->errorMessage.find("ReadTextFile failed, file open failed."), std::string::npos) << error->errorMessage;
  EXPECT_EQ(text, "unchanged");
}

TEST_F(VellQFileEnhanceTest, ReadJsonFile) {
  nlohmann::json out;
  EXPECT_EQ(VellQFileEnhance::ReadJsonFile(Write("ok.json", R"({"a":[1,"é"]})"), out), nullptr);
  EXPECT_EQ(out, nlohmann::json::parse(R"({"a":[1,"é"]})"));

  const QString empty = Write("empty.json", "");
  auto error = VellQFileEnhance::ReadJsonFile(empty, out);
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(error->errorMessage, "ReadJsonFile failed, file content is empty. FilePath = " + empty.toStdString());

  error = VellQFileEnhance::ReadJsonFile(Write("bad.json", R"({"a":})"), out);
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(error->functionName, "VellError::TryCatch");
  EXPECT_NE(error->exceptionMessage.find("parse error"), std::string::npos);

  error = VellQFileEnhance::ReadJsonFile(Write("comment.json", "// c\n{}"), out);
  EXPECT_NE(error, nullptr);

  error = VellQFileEnhance::ReadJsonFile(m_dir.filePath("missing.json"), out);
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(error->errorMessage, "ReadJsonFile failed.");
  ASSERT_NE(error->cause, nullptr);
  EXPECT_NE(error->cause->errorMessage.find("file open failed"), std::string::npos);
}

TEST_F(VellQFileEnhanceTest, ReadJsonFileAsyncDeliversResultAndError) {
  QObject parent;
  auto* ok = VellQFileEnhance::ReadJsonFileAsync(Write("ok.json", R"({"n":1})"), &parent);
  EXPECT_EQ(ok->parent(), &parent);
  EXPECT_EQ(ok->Await(10000), nullptr);
  EXPECT_EQ(ok->GetResult(), nlohmann::json::parse(R"({"n":1})"));

  auto* bad = VellQFileEnhance::ReadJsonFileAsync(m_dir.filePath("missing.json"), &parent);
  auto error = bad->Await(10000);
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(error->errorMessage, "ReadJsonFile failed.");
  EXPECT_EQ(bad->Await(10000), error);  // a finished result is returned again without waiting
}

TEST_F(VellQFileEnhanceTest, ReadJsSdkRetriesUntilTheFileExistsThenCaches) {
  const QString previous = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(m_dir.path()));

  LogCapture capture;
  EXPECT_TRUE(VellJsSdkFileIO::ReadJsSdk().isEmpty());
  EXPECT_TRUE(VellJsSdkFileIO::ReadJsSdk().isEmpty());
  const auto lines = capture.Lines();
  ASSERT_EQ(lines.size(), 4u);  // two lines per failed read: root cause first
  EXPECT_NE(lines[0].text.find("file open failed"), std::string::npos);
  EXPECT_NE(lines[1].text.find("VellJsSdkFileIO::ReadJsSdk"), std::string::npos);
  EXPECT_NE(lines[1].text.find("ReadJsSdk Failed."), std::string::npos);

  ASSERT_TRUE(QDir(m_dir.path()).mkpath("vell/extension"));
  Write("vell/extension/vell-sdk-v2.min.cjs", "var sdk = 1;");
  EXPECT_EQ(VellJsSdkFileIO::ReadJsSdk(), QString("var sdk = 1;"));
  Write("vell/extension/vell-sdk-v2.min.cjs", "changed");
  EXPECT_EQ(VellJsSdkFileIO::ReadJsSdk(), QString("var sdk = 1;"));

  QDir::setCurrent(previous);
}

}  // namespace
