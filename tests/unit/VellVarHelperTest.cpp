#include <QDir>
#include <QThread>
#include <gtest/gtest.h>

#include "LogCapture.h"
#include "utils/VellVarHelper.h"

namespace {

struct CommandLineArgs {
  explicit CommandLineArgs(std::vector<std::string> values) : storage(std::move(values)) {
    for (auto& value : storage) pointers.push_back(value.data());
  }
  int argc() const { return static_cast<int>(pointers.size()); }
  char** argv() { return pointers.data(); }
  std::vector<std::string> storage;
  std::vector<char*> pointers;
};

TEST(VellVarHelperTest, ProcessTypeSwitchesAreFoundFromTheSecondArgument) {
  CommandLineArgs renderer({"launcher", "--no-sandbox", "--type=renderer"});
  EXPECT_TRUE(VellVarHelper::IsCefProcess(renderer.argc(), renderer.argv()));
  EXPECT_TRUE(VellVarHelper::IsCefRenderProcess(renderer.argc(), renderer.argv()));

  CommandLineArgs gpu({"launcher", "--type=gpu-process"});
  EXPECT_TRUE(VellVarHelper::IsCefProcess(gpu.argc(), gpu.argv()));
  EXPECT_FALSE(VellVarHelper::IsCefRenderProcess(gpu.argc(), gpu.argv()));

  CommandLineArgs contains({"launcher", "x--type=renderer-ish"});
  EXPECT_TRUE(VellVarHelper::IsCefRenderProcess(contains.argc(), contains.argv()));

  CommandLineArgs programOnly({"--type=renderer"});
  EXPECT_FALSE(VellVarHelper::IsCefProcess(programOnly.argc(), programOnly.argv()));
  CommandLineArgs plain({"launcher", "--flag"});
  EXPECT_FALSE(VellVarHelper::IsCefProcess(plain.argc(), plain.argv()));
}

TEST(VellVarHelperTest, StringTests) {
  EXPECT_TRUE(VellVarHelper::IsActionNameValid("jssdk::gameModule:addGame"));
  EXPECT_FALSE(VellVarHelper::IsActionNameValid("x jssdk::gameModule:addGame"));
  EXPECT_FALSE(VellVarHelper::IsActionNameValid("jssdk:"));
  EXPECT_TRUE(VellVarHelper::IsFileProtocol("file:///tmp/a.html"));
  EXPECT_FALSE(VellVarHelper::IsFileProtocol("https://file://"));
  EXPECT_TRUE(VellVarHelper::IsBlankPage("about:blank"));
  EXPECT_TRUE(VellVarHelper::IsBlankPage("about:blank#popup"));
  EXPECT_FALSE(VellVarHelper::IsBlankPage("about:blankness"));
  EXPECT_FALSE(VellVarHelper::IsBlankPage("https://about:blank"));
  EXPECT_TRUE(VellVarHelper::StartsWith("abc", ""));
  EXPECT_FALSE(VellVarHelper::StartsWith("ab", "abc"));
  EXPECT_TRUE(VellVarHelper::IsStringContains("Größe: 12", "ße"));
  EXPECT_FALSE(VellVarHelper::IsStringContains("Hello", "hello"));

  EXPECT_TRUE(VellVarHelper::IsStringAllUpperCase("ABC_12"));
  EXPECT_TRUE(VellVarHelper::IsStringAllUpperCase(""));
  EXPECT_TRUE(VellVarHelper::IsStringAllUpperCase("123"));
  EXPECT_FALSE(VellVarHelper::IsStringAllUpperCase("ABc"));

  std::string word = "ON_OFF1";
  VellVarHelper::ToLowercase(word);
  EXPECT_EQ(word, "on_off1");
}

TEST(VellVarHelperTest, PathHelpers) {
  EXPECT_EQ(VellVarHelper::GetFileBasename("/a/b/c.zip"), "c.zip");
  EXPECT_EQ(VellVarHelper::GetQFileBasename("c:/x/ünï.txt"), QString("ünï.txt"));
  const char* first = VellVarHelper::GetCharFileBasename("/a/one.txt");
  EXPECT_STREQ(first, "one.txt");
  EXPECT_EQ(VellVarHelper::GetExecutableDir(), QDir::currentPath());
}

TEST(VellVarHelperTest, ToQJsonObject) {
  QJsonObject out;
  QJsonParseError error;
  EXPECT_TRUE(VellVarHelper::ToQJsonObject(std::string(R"({"a":"é"})"), out, &error));
  EXPECT_EQ(out.value("a").toString(), QString("é"));
  EXPECT_FALSE(VellVarHelper::ToQJsonObject(QString("{\"a\":}"), out, &error));
  EXPECT_NE(error.error, QJsonParseError::NoError);
  EXPECT_FALSE(VellVarHelper::ToQJsonObject(QString("{"), out, nullptr));
}

TEST(VellVarHelperTest, ThreadInvariants) {
  EXPECT_TRUE(VellVarHelper::IsCurrentThreadQtThread());
  EXPECT_NO_THROW(VellVarHelper::InvariantQAppIsCreated());
  EXPECT_NO_THROW(VellVarHelper::InvariantRunningUnderQtThread());

  LogCapture capture;
  VellVarHelper::WarnIfNotRunningUnderQtThread("f.cpp", 3, "A::B");
  EXPECT_TRUE(capture.Lines().empty());

  std::string thrown;
  bool onQtThread = true;
  std::unique_ptr<QThread> worker(QThread::create([&] {
    onQtThread = VellVarHelper::IsCurrentThreadQtThread();
    VellVarHelper::WarnIfNotRunningUnderQtThread("f.cpp", 3, "A::B");
    try {
      VellVarHelper::InvariantRunningUnderQtThread();
    } catch (const std::runtime_error& e) {
      thrown = e.what();
    }
  }));
  worker->start();
  ASSERT_TRUE(worker->wait(10000));
  EXPECT_FALSE(onQtThread);
  EXPECT_EQ(thrown, "Current thread needs to be Qt thread!");
  const auto lines = capture.Lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].type, QtWarningMsg);
  EXPECT_EQ(lines[0].text, "[VELL] A::B at f.cpp:3, Current thread needs to be Qt thread!");
}

}  // namespace
