// The main-window tracker where the window system cannot tell about covering
// (Qt's offscreen platform): minimising and hiding are what it reports.
#include <functional>

#include <QCoreApplication>
#include <QPointer>
#include <QSignalSpy>
#include <QWidget>
#include <gtest/gtest.h>

#include "LogCapture.h"
#include "WaitUntil.h"
#include "core/VellTrackMainWindowState.h"

namespace {

MainWindowState State(const QSignalSpy& spy, int index) { return spy.at(index).at(0).value<MainWindowState>(); }

class VellTrackMainWindowStateTest : public ::testing::Test {
 protected:
  VellTrackMainWindowStateTest() { mainWindow.resize(400, 300); }
  // Changes the window's state, then lets the platform's echo of that change
  // arrive, so that it cannot land after the next change.
  static void ChangeState(const std::function<void()>& change) {
    change();
    QCoreApplication::processEvents();
  }
  QWidget mainWindow;
};

TEST_F(VellTrackMainWindowStateTest, MinimisingAndRestoringEmitOnceEach) {
  mainWindow.show();
  auto* tracker = new VellTrackMainWindowState(&mainWindow);
  EXPECT_EQ(tracker->parent(), &mainWindow);
  QSignalSpy changed(tracker, &VellTrackMainWindowState::FireMainWindowStateChanged);
  mainWindow.showMinimized();
  ASSERT_TRUE(WaitUntil([&] { return changed.count() == 1; }));
  EXPECT_TRUE(State(changed, 0).bMinimized);
  EXPECT_FALSE(State(changed, 0).bCovered);
  mainWindow.showNormal();
  ASSERT_TRUE(WaitUntil([&] { return changed.count() == 2; }));
  EXPECT_EQ(State(changed, 1), MainWindowState());
}

TEST_F(VellTrackMainWindowStateTest, RepeatedIdenticalStatesEmitNothing) {
  mainWindow.show();
  auto* tracker = new VellTrackMainWindowState(&mainWindow);
  QSignalSpy changed(tracker, &VellTrackMainWindowState::FireMainWindowStateChanged);
  ChangeState([&] { mainWindow.showMinimized(); });
  ChangeState([&] { mainWindow.showMinimized(); });
  ChangeState([&] { mainWindow.setWindowState(Qt::WindowMinimized | Qt::WindowMaximized); });  // still minimised
  EXPECT_EQ(changed.count(), 1);
  ChangeState([&] { mainWindow.showNormal(); });
  ChangeState([&] { mainWindow.showNormal(); });
  ChangeState([&] { mainWindow.showMaximized(); });  // neither minimised nor covered
  EXPECT_EQ(changed.count(), 2);
  ChangeState([&] { mainWindow.showMinimized(); });
  ASSERT_EQ(changed.count(), 3);
  EXPECT_TRUE(State(changed, 0).bMinimized);
  EXPECT_FALSE(State(changed, 1).bMinimized);
  EXPECT_TRUE(State(changed, 2).bMinimized);
}

TEST_F(VellTrackMainWindowStateTest, AHiddenMainWindowCountsAsCoveredUntilShown) {
  auto* tracker = new VellTrackMainWindowState(&mainWindow);  // not shown yet
  QSignalSpy changed(tracker, &VellTrackMainWindowState::FireMainWindowStateChanged);
  ASSERT_TRUE(WaitUntil([&] { return changed.count() == 1; }));
  EXPECT_TRUE(State(changed, 0).bCovered);
  EXPECT_FALSE(State(changed, 0).bMinimized);
  // A covered window is tested again on every poll: showing it is seen at once.
  mainWindow.show();
  ASSERT_TRUE(WaitUntil([&] { return changed.count() == 2; }));
  EXPECT_EQ(State(changed, 1), MainWindowState());
}

TEST_F(VellTrackMainWindowStateTest, TheMissingCoverTestIsLoggedOnce) {
  LogCapture log;
  const std::string line = "covering cannot be detected on the Qt platform 'offscreen'";
  mainWindow.show();
  auto* first = new VellTrackMainWindowState(&mainWindow);
  ASSERT_TRUE(WaitUntil([&] { return !log.Matching(line).empty(); }));
  delete first;
  // A second tracker goes through the same test: hidden (covered), then shown.
  mainWindow.hide();
  auto* second = new VellTrackMainWindowState(&mainWindow);
  QSignalSpy changed(second, &VellTrackMainWindowState::FireMainWindowStateChanged);
  ASSERT_TRUE(WaitUntil([&] { return changed.count() == 1; }));
  mainWindow.show();
  ASSERT_TRUE(WaitUntil([&] { return changed.count() == 2; }));
  EXPECT_EQ(log.Matching(line).size(), 1u);
}

TEST_F(VellTrackMainWindowStateTest, DestroyingTheMainWindowEndsTheTracker) {
  auto* mainWindowOnHeap = new QWidget();
  QPointer<VellTrackMainWindowState> tracker = new VellTrackMainWindowState(mainWindowOnHeap);
  delete mainWindowOnHeap;
  EXPECT_TRUE(tracker.isNull());
}

}  // namespace
