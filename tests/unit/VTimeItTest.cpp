#include <gtest/gtest.h>

#include "LogCapture.h"
#include "utils/VTimeIt.h"
#include "utils/VTimeItPin.h"

namespace {

// Runs until at least `ms` milliseconds of wall time have passed.
void SpendAtLeast(int ms) {
  const int64_t until = VTimeIt::GetMicroseconds() + ms * 1000;
  while (VTimeIt::GetMicroseconds() < until) {
  }
}

TEST(VTimeItTest, DefaultWarnTimeReportsEveryScopeAtWarning) {
  LogCapture capture;
  { VTimeIt timeIt("", 12, "Foo::Bar"); }
  const auto lines = capture.Lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].type, QtWarningMsg);
  EXPECT_EQ(lines[0].text.rfind("[VELL] VTimeIt(default): Foo::Bar:12 exec ", 0), 0u) << lines[0].text;
  EXPECT_EQ(lines[0].text.substr(lines[0].text.size() - 3), "ms!");
}

TEST(VTimeItTest, PrintCurrentTimePoint) {
  LogCapture capture;
  VTimeIt::PrintCurrentTimePoint("tag", 7, "Foo::Bar");
  ASSERT_EQ(capture.Lines().size(), 1u);
  EXPECT_EQ(capture.Lines()[0].type, QtDebugMsg);
  EXPECT_EQ(capture.Lines()[0].text.rfind("[VELL] VTimeIt(tag): 7:Foo::Bar, microseconds = ", 0), 0u);
}

TEST(VTimeItPinTest, ReportsSincePreviousPinAndSincePreviousPinOfTheTag) {
  LogCapture capture;
  auto* pin = VTimeItPin::Instance();
  pin->Pin("T", 1, "A");
  const auto first = capture.Lines();
  ASSERT_EQ(first.size(), 1u);
  EXPECT_EQ(first[0].type, QtInfoMsg);
  EXPECT_EQ(first[0].text, "[VELL] VTimeItPin(T:1):A, diffPrev = -1ms, diffPrevTag = -1ms!");

  SpendAtLeast(8);
  pin->Pin("T", 2, "B");
  SpendAtLeast(8);
  pin->Pin("T", 3, "A");
  const auto lines = capture.Lines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_NE(lines[1].text.find("diffPrevTag = -1ms!"), std::string::npos);
  // A pins are 16 ms or more apart: above the warn time of 10 ms.
  EXPECT_EQ(lines[2].type, QtWarningMsg);
  const auto at = lines[2].text.find("diffPrevTag = ");
  ASSERT_NE(at, std::string::npos);
  EXPECT_GE(std::stod(lines[2].text.substr(at + 14)), 16.0);
}

}  // namespace
