#include <QPointer>
#include <QTimer>
#include <gtest/gtest.h>

#include "utils/VellEventLoopManager.h"
#include "utils/VellQEventLoop.h"

namespace {

std::string Description(VellObservableEventLoop::ExitStatus status) {
  std::string text;
  VellObservableEventLoop::GetExitStatusDescription(status, text);
  return text;
}

TEST(VellObservableEventLoopTest, SafeQuitBeforeExecReturnsAtOnce) {
  VellObservableEventLoop loop;
  EXPECT_TRUE(loop.SafeQuit());
  EXPECT_EQ(loop.Exec(), nullptr);
  EXPECT_EQ(loop.GetExitStatus(), VellObservableEventLoop::ExitStatus::SafeQuit);
}

TEST(VellObservableEventLoopTest, SafeQuitFromAnEventEndsSuccessfully) {
  VellObservableEventLoop loop;
  QTimer::singleShot(0, &loop, [&] { loop.SafeQuit(); });
  EXPECT_EQ(loop.ExecWithTimeout(10000), nullptr);
}

TEST(VellObservableEventLoopTest, TimeoutIsAnErrorAndTheLoopDoesNotRunAgain) {
  VellObservableEventLoop loop;
  auto error = loop.ExecWithTimeout(50);
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(error->errorMessage, Description(VellObservableEventLoop::ExitStatus::Timeout));
  EXPECT_EQ(error->functionName, "VellObservableEventLoop::Exec");
  EXPECT_EQ(loop.GetExitStatus(), VellObservableEventLoop::ExitStatus::Timeout);
  EXPECT_EQ(loop.Exec(), nullptr);
}

TEST(VellObservableEventLoopTest, OutsideQuitIsUnexpected) {
  VellObservableEventLoop loop;
  auto* nested = loop.findChild<QEventLoop*>();
  ASSERT_NE(nested, nullptr);
  QTimer::singleShot(0, nested, [nested] { nested->quit(); });
  auto error = loop.ExecWithTimeout(10000);
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(error->errorMessage, Description(VellObservableEventLoop::ExitStatus::UnExpected));
}

TEST(VellObservableEventLoopTest, DestroyedWhileRunningReturnsWithoutTouchingTheObject) {
  QPointer<VellObservableEventLoop> loop = new VellObservableEventLoop();
  QTimer::singleShot(0, [&] { delete loop.data(); });
  auto error = loop->ExecWithTimeout(10000);
  EXPECT_TRUE(loop.isNull());
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(error->errorMessage, Description(VellObservableEventLoop::ExitStatus::Destroyed));
}

TEST(VellObservableEventLoopTest, Descriptions) {
  EXPECT_EQ(Description(VellObservableEventLoop::ExitStatus::Init),
            "Current exit status is under 'Init' which means the event loop is not execute and is running.");
  std::string text;
  EXPECT_FALSE(VellObservableEventLoop::GetExitStatusDescription(
      static_cast<VellObservableEventLoop::ExitStatus>(7), text));
  EXPECT_EQ(text, "Unknown exit. exitStatus: 7");
  EXPECT_TRUE(VellObservableEventLoop::IsExitStatusSuccess(VellObservableEventLoop::ExitStatus::SafeQuit));
  EXPECT_FALSE(VellObservableEventLoop::IsExitStatusSuccess(VellObservableEventLoop::ExitStatus::Timeout));
}

TEST(VellEventLoopManagerTest, LoopsAreChildrenAndDieWithTheManager) {
  auto* manager = new VellEventLoopManager();
  QPointer<VellObservableEventLoop> first = manager->RequestEventLoop();
  QPointer<VellObservableEventLoop> second = manager->RequestEventLoop();
  EXPECT_EQ(first->parent(), manager);
  EXPECT_NE(first, second);
  delete manager;
  EXPECT_TRUE(first.isNull());
  EXPECT_TRUE(second.isNull());
}

TEST(VellEventLoopManagerTest, ManagerDestroyedDuringAWaitEndsItSuccessfully) {
  auto* manager = new VellEventLoopManager();
  QPointer<VellObservableEventLoop> loop = manager->RequestEventLoop();
  QTimer::singleShot(0, [manager] { delete manager; });
  EXPECT_EQ(loop->ExecWithTimeout(10000), nullptr);
  EXPECT_TRUE(loop.isNull());
}

TEST(VellQEventLoopTest, EndsAfterTheGivenNumberOfResolves) {
  VellQEventLoop three(3);
  int resolved = 0;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    ++resolved;
    three.Resolve();
  });
  ticker.start(0);
  three.exec();
  ticker.stop();
  EXPECT_EQ(resolved, 3);
  EXPECT_EQ(three.GetRemainingResolve(), 0);

  VellQEventLoop zero;
  QTimer::singleShot(0, [&] { zero.Resolve(); });
  zero.exec();
  EXPECT_EQ(zero.GetRemainingResolve(), 0);

  VellQEventLoop never(-1);
  bool stillRunning = false;
  QTimer::singleShot(0, [&] {
    never.Resolve();
    never.Resolve();
    stillRunning = never.isRunning();
    never.quit();
  });
  never.exec();
  EXPECT_TRUE(stillRunning);
  EXPECT_EQ(never.GetRemainingResolve(), -1);
}

}  // namespace
