#include <QtGlobal>
#include <gtest/gtest.h>

#include "LogCapture.h"

namespace {
size_t Seen(const LogCapture& capture, const std::string& text) { return capture.Matching(text).size(); }
}  // namespace

// The suites keep a capture for the whole run and tests open their own
// inside it: each sees every line while alive, and the outer one goes on
// after the inner one is gone.
TEST(LogCaptureTest, NestedCapturesEachSeeEveryLine) {
  LogCapture outer;
  {
    LogCapture inner;
    qWarning("log-capture-both");
    EXPECT_EQ(Seen(outer, "log-capture-both"), 1u);
    EXPECT_EQ(Seen(inner, "log-capture-both"), 1u);
  }
  qWarning("log-capture-outer");
  EXPECT_EQ(Seen(outer, "log-capture-outer"), 1u);
}
