#include <gtest/gtest.h>

#include "platform/VellWindowCover.h"

namespace {

constexpr int kTolerance = 10;
const QRect kMain(100, 100, 600, 400);  // x 100..699, y 100..499

VellStackedWindow Shown(const QRect& rect) { return {rect, true, false, false}; }

TEST(VellWindowCoverTest, OneWindowEnclosingTheTargetCoversIt) {
  EXPECT_TRUE(VellWindowCover::IsCovered(kMain, {Shown(QRect(50, 50, 800, 600))}, kTolerance));
  EXPECT_TRUE(VellWindowCover::IsCovered(kMain, {Shown(kMain)}, kTolerance));
}

TEST(VellWindowCoverTest, NothingAboveCoversNothing) {
  EXPECT_FALSE(VellWindowCover::IsCovered(kMain, {}, kTolerance));
}

TEST(VellWindowCoverTest, SeveralWindowsCoverTogetherWhatNoneCoversAlone) {
  const std::vector<VellStackedWindow> halves = {Shown(QRect(100, 100, 300, 400)), Shown(QRect(400, 100, 300, 400))};
  EXPECT_TRUE(VellWindowCover::IsCovered(kMain, halves, kTolerance));
  EXPECT_FALSE(VellWindowCover::IsCovered(kMain, {halves[0]}, kTolerance));
  // Four overlapping quarters, stacked in any order, with one more far away.
  const std::vector<VellStackedWindow> quarters = {
      Shown(QRect(380, 290, 400, 300)), Shown(QRect(0, 0, 420, 320)), Shown(QRect(1000, 900, 50, 50)),
      Shown(QRect(390, 0, 400, 310)), Shown(QRect(0, 300, 400, 300))};
  EXPECT_TRUE(VellWindowCover::IsCovered(kMain, quarters, kTolerance));
}

TEST(VellWindowCoverTest, AGapLeavesTheTargetUncovered) {
  // A 30 px column in the middle shows.
  const std::vector<VellStackedWindow> split = {Shown(QRect(100, 100, 280, 400)), Shown(QRect(410, 100, 290, 400))};
  EXPECT_FALSE(VellWindowCover::IsCovered(kMain, split, kTolerance));
  // A strip one pixel wide along the inner area's right edge shows.
  const std::vector<VellStackedWindow> notch = {Shown(QRect(100, 100, 600, 300)), Shown(QRect(100, 400, 589, 100))};
  EXPECT_FALSE(VellWindowCover::IsCovered(kMain, notch, kTolerance));
}

TEST(VellWindowCoverTest, TheToleranceLeavesABandAlongTheEdges) {
  EXPECT_TRUE(VellWindowCover::IsCovered(kMain, {Shown(kMain.adjusted(10, 10, -10, -10))}, kTolerance));
  EXPECT_FALSE(VellWindowCover::IsCovered(kMain, {Shown(kMain.adjusted(11, 10, -10, -10))}, kTolerance));
  EXPECT_FALSE(VellWindowCover::IsCovered(kMain, {Shown(kMain.adjusted(10, 10, -10, -11))}, kTolerance));
  EXPECT_FALSE(VellWindowCover::IsCovered(kMain, {Shown(kMain.adjusted(10, 10, -10, -10))}, 0));
}

TEST(VellWindowCoverTest, ATargetSmallerThanTheToleranceNeedsItsCentreHidden) {
  const QRect tiny(10, 10, 15, 15);
  EXPECT_TRUE(VellWindowCover::IsCovered(tiny, {Shown(QRect(17, 17, 1, 1))}, kTolerance));
  EXPECT_FALSE(VellWindowCover::IsCovered(tiny, {Shown(QRect(10, 10, 5, 5))}, kTolerance));
}

TEST(VellWindowCoverTest, DocksNeverCover) {
  VellStackedWindow dock = Shown(QRect(0, 0, 1280, 1024));
  dock.bDock = true;
  EXPECT_FALSE(VellWindowCover::CanCover(dock));
  EXPECT_FALSE(VellWindowCover::IsCovered(kMain, {dock}, kTolerance));
  // A dock over half of it and a window over the other half leave a half shown.
  VellStackedWindow halfDock = Shown(QRect(100, 100, 300, 400));
  halfDock.bDock = true;
  EXPECT_FALSE(VellWindowCover::IsCovered(kMain, {halfDock, Shown(QRect(400, 100, 300, 400))}, kTolerance));
}

TEST(VellWindowCoverTest, MinimisedAndUnmappedWindowsNeverCover) {
  VellStackedWindow minimised = Shown(QRect(0, 0, 1280, 1024));
  minimised.bHidden = true;
  VellStackedWindow unmapped = Shown(QRect(0, 0, 1280, 1024));
  unmapped.bViewable = false;
  EXPECT_FALSE(VellWindowCover::CanCover(minimised));
  EXPECT_FALSE(VellWindowCover::CanCover(unmapped));
  EXPECT_FALSE(VellWindowCover::IsCovered(kMain, {minimised, unmapped}, kTolerance));
  EXPECT_TRUE(VellWindowCover::CanCover(Shown(kMain)));
  EXPECT_FALSE(VellWindowCover::CanCover(Shown(QRect())));
}

TEST(VellWindowCoverTest, AnEmptyTargetIsNeverCovered) {
  EXPECT_FALSE(VellWindowCover::IsCovered(QRect(), {Shown(QRect(0, 0, 100, 100))}, kTolerance));
}

}  // namespace
