#include <stdexcept>

#include <gtest/gtest.h>

#include "LogCapture.h"
#include "base/VellError.h"
#include "base/VellLoggerAgent.h"

namespace {

std::shared_ptr<VellError> MakeRecord(const std::string& message) {
  return std::make_shared<VellError>(message, "src/core/VellHandler.cpp", 42, "VellHandler::GetBrowserId");
}

TEST(VellErrorTest, RendersFunctionFileLineAndMessage) {
  auto error = MakeRecord("GetBrowserId Failed. No browser instance. It may not be created or destroyed.");
  EXPECT_EQ(error->GetErrorString(),
            "VellHandler::GetBrowserId at src/core/VellHandler.cpp:42 GetBrowserId Failed. No browser "
            "instance. It may not be created or destroyed.");
  EXPECT_EQ(MakeRecord("")->GetErrorString(), "VellHandler::GetBrowserId at src/core/VellHandler.cpp:42");
}

TEST(VellErrorTest, ExtraIsAppendedUnlessNullOrEmptyContainer) {
  auto error = MakeRecord("m");
  const std::string base = "VellHandler::GetBrowserId at src/core/VellHandler.cpp:42 m";
  for (const auto& empty : {nlohmann::json(), nlohmann::json::object(), nlohmann::json::array()}) {
    error->extra = empty;
    EXPECT_EQ(error->GetErrorString(), base);
  }
  error->extra = 0;
  EXPECT_EQ(error->GetErrorString(), base + " 0");
  error->extra = false;
  EXPECT_EQ(error->GetErrorString(), base + " false");
  error->extra = "";
  EXPECT_EQ(error->GetErrorString(), base + " \"\"");
  error->extra = {{"b", 1}, {"a", "é"}};
  EXPECT_EQ(error->GetErrorString(), base + " {\"a\":\"é\",\"b\":1}");
}

TEST(VellErrorTest, GetErrorStringNeverThrowsOnInvalidUtf8Extra) {
  auto error = MakeRecord("m");
  error->extra = std::string("\xff\xfe bad");
  std::string text;
  EXPECT_NO_THROW(text = error->GetErrorString());
  EXPECT_EQ(text.rfind("unable to perform VellError::GetErrorString due to nlohmann::json::exception: ", 0), 0u)
      << text;
}

TEST(VellErrorTest, ConstructorsFillMembers) {
  auto inner = MakeRecord("inner");
  VellError wrapped("outer", "f.cpp", 7, "A::B", inner);
  EXPECT_EQ(wrapped.cause, inner);
  EXPECT_EQ(wrapped.category, "common");
  EXPECT_GT(wrapped.creationTime, 1600000000);

  VellError noCause(std::string("outer"), std::string("f.cpp"), 7, std::string("A::B"), nullptr);
  EXPECT_EQ(noCause.cause, nullptr);

  VellError categorised("io", "f.cpp", 9, "A::C", nullptr);
  EXPECT_EQ(categorised.category, "io");
  EXPECT_TRUE(categorised.errorMessage.empty());
}

TEST(VellErrorTest, TryCatchTurnsExceptionsIntoRecords) {
  EXPECT_EQ(VellError::TryCatch([] { return std::shared_ptr<VellError>(); }), nullptr);

  auto passed = MakeRecord("passed through");
  EXPECT_EQ(VellError::TryCatch([&] { return passed; }), passed);

  auto fromStd = VellError::TryCatch([]() -> std::shared_ptr<VellError> { throw std::runtime_error("boom"); });
  ASSERT_NE(fromStd, nullptr);
  EXPECT_EQ(fromStd->exceptionType, "std::exception");
  EXPECT_EQ(fromStd->exceptionMessage, "boom");
  EXPECT_EQ(fromStd->functionName, "VellError::TryCatch");
  EXPECT_EQ(fromStd->GetErrorString(), "VellError::TryCatch at src/base/VellError.cpp:" +
                                           std::to_string(fromStd->lineNum));

  auto fromOther = VellError::TryCatch([]() -> std::shared_ptr<VellError> { throw 42; });
  ASSERT_NE(fromOther, nullptr);
  EXPECT_EQ(fromOther->exceptionType, "unknown");
  EXPECT_EQ(fromOther->exceptionMessage, "Caught an unknown exception.");

  auto fromEmpty = VellError::TryCatch(std::function<std::shared_ptr<VellError>()>());
  ASSERT_NE(fromEmpty, nullptr);
  EXPECT_EQ(fromEmpty->exceptionType, "std::exception");
}

TEST(VellErrorTest, WrapBuildsChainAndPassesSuccessThrough) {
  std::shared_ptr<VellError> result = MakeRecord("stale");
  VellError::Wrap(result, nullptr, "Step failed.", "f.cpp", 1, "A::Step");
  EXPECT_EQ(result, nullptr);

  auto root = MakeRecord("root");
  VellError::Wrap(result, root, "Step failed.", "f.cpp", 1, "A::Step");
  ASSERT_NE(result, nullptr);
  EXPECT_EQ(result->cause, root);
  EXPECT_EQ(result->GetErrorString(), "A::Step at f.cpp:1 Step failed.");
}

TEST(VellErrorTest, ChainIsCollectedOutermostFirstAndLoggedRootFirst) {
  auto root = MakeRecord("root");
  auto middle = std::make_shared<VellError>("middle", "m.cpp", 2, "M::F", root);
  auto outer = std::make_shared<VellError>("outer", "o.cpp", 3, "O::F", middle);

  std::vector<std::string> strings{"stale"};
  ASSERT_TRUE(VellError::CollectErrorStrings(strings, outer));
  EXPECT_EQ(strings, (std::vector<std::string>{"O::F at o.cpp:3 outer", "M::F at m.cpp:2 middle",
                                               "VellHandler::GetBrowserId at src/core/VellHandler.cpp:42 root"}));
  EXPECT_FALSE(VellError::CollectErrorStrings(strings, nullptr));
  EXPECT_TRUE(strings.empty());

  LogCapture capture;
  ASSERT_TRUE(VellError::LogErrorChain(outer));
  const auto lines = capture.Lines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].text, "[VELL] VellHandler::GetBrowserId at src/core/VellHandler.cpp:42 root");
  EXPECT_EQ(lines[1].text, "[VELL] M::F at m.cpp:2 middle");
  EXPECT_EQ(lines[2].text, "[VELL] O::F at o.cpp:3 outer");
  for (const auto& line : lines) EXPECT_EQ(line.type, QtInfoMsg);

  capture.Clear();
  EXPECT_FALSE(VellError::LogErrorChain(nullptr));
  EXPECT_TRUE(capture.Lines().empty());
}

TEST(VellLoggerAgentTest, SeveritiesMapToQtTypesAndOthersAreDropped) {
  LogCapture capture;
  for (int severity : {-1, 0, 1, 2, 3, 4, 6, 99}) VellLog(severity, "sev " + std::to_string(severity) + " ünï");
  const auto lines = capture.Lines();
  ASSERT_EQ(lines.size(), 5u);
  const QtMsgType expected[] = {QtDebugMsg, QtDebugMsg, QtInfoMsg, QtWarningMsg, QtCriticalMsg};
  for (size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i].type, expected[i]);
    EXPECT_EQ(lines[i].text, "[VELL] sev " + std::to_string(i) + " ünï");
  }
}

TEST(VellLoggerAgentDeathTest, FatalEndsTheProcessWithTheTagGlued) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(VellLog(5, "last words"), "\\[VELL\\]last words");
}

}  // namespace
