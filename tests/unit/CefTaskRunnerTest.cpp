// Task runners on the runtime's threads, runners held past shutdown, and
// waitable events, as CEF 89 code uses them.
#include <atomic>
#include <future>
#include <memory>
#include <gtest/gtest.h>
#include <mutex>
#include <vector>

#include "LogCapture.h"
#include "base/task_thread.h"
#include "include/cef_task.h"
#include "include/cef_waitable_event.h"
#include "include/wrapper/cef_closure_task.h"

namespace {

constexpr int64 kPatienceMs = 10000;

class CefTaskRunnerTest : public ::testing::Test {
 protected:
  void SetUp() override { cefcompat::Threads::Start(); }
  void TearDown() override { cefcompat::Threads::Stop(); }
};

TEST_F(CefTaskRunnerTest, EachThreadsRunnerRunsTasksThereAndKnowsItsThread) {
  for (CefThreadId id : {TID_UI, TID_IO, TID_FILE_BACKGROUND, TID_FILE_USER_VISIBLE, TID_FILE_USER_BLOCKING}) {
    SCOPED_TRACE(id);
    CefRefPtr<CefTaskRunner> runner = CefTaskRunner::GetForThread(id);
    ASSERT_TRUE(runner);
    EXPECT_FALSE(runner->BelongsToCurrentThread());
    EXPECT_TRUE(runner->IsSame(CefTaskRunner::GetForThread(id)));
    std::atomic<bool> onThread{false}, sameFromInside{false}, belongs{false};
    CefRefPtr<CefWaitableEvent> done = CefWaitableEvent::CreateWaitableEvent(false, false);
    ASSERT_TRUE(runner->PostTask(CefCreateClosureTask([&, id] {
      onThread = CefCurrentlyOn(id);
      sameFromInside = runner->IsSame(CefTaskRunner::GetForCurrentThread());
      belongs = runner->BelongsToCurrentThread() && runner->BelongsToThread(id);
      done->Signal();
    })));
    ASSERT_TRUE(done->TimedWait(kPatienceMs));
    EXPECT_TRUE(onThread);
    EXPECT_TRUE(sameFromInside);
    EXPECT_TRUE(belongs);
  }
  EXPECT_FALSE(CefTaskRunner::GetForThread(TID_UI)->IsSame(CefTaskRunner::GetForThread(TID_IO)));
  EXPECT_FALSE(CefTaskRunner::GetForThread(TID_UI)->BelongsToThread(TID_IO));
  EXPECT_FALSE(CefTaskRunner::GetForCurrentThread());  // the test's own thread is none of the runtime's
  EXPECT_FALSE(CefTaskRunner::GetForThread(TID_PROCESS_LAUNCHER));
  EXPECT_FALSE(CefPostTask(TID_PROCESS_LAUNCHER, CefCreateClosureTask([] {})));
}

// What a task held is let go before the thread takes its next task: a
// destructor there may post to the same thread (a cookie visitor reporting
// once the runtime releases it).
class PostsWhenReleased : public CefBaseRefCounted {
 public:
  explicit PostsWhenReleased(CefRefPtr<CefWaitableEvent> done) : done_(done) {}
  ~PostsWhenReleased() {
    CefRefPtr<CefWaitableEvent> done = done_;
    CefPostTask(TID_UI, CefCreateClosureTask([done] { done->Signal(); }));
  }

 private:
  CefRefPtr<CefWaitableEvent> done_;
  IMPLEMENT_REFCOUNTING(PostsWhenReleased);
};

TEST_F(CefTaskRunnerTest, ADestructorRunByAFinishedTaskMayPostToItsThread) {
  // The thread waits until the task below holds the only reference.
  auto gate = std::make_shared<std::promise<void>>();
  std::shared_future<void> open = gate->get_future().share();
  ASSERT_TRUE(CefPostTask(TID_UI, CefCreateClosureTask([open] { open.wait(); })));
  CefRefPtr<CefWaitableEvent> done = CefWaitableEvent::CreateWaitableEvent(false, false);
  CefRefPtr<PostsWhenReleased> held(new PostsWhenReleased(done));
  ASSERT_TRUE(CefPostTask(TID_UI, CefCreateClosureTask([held] {})));
  held = nullptr;
  gate->set_value();
  EXPECT_TRUE(done->TimedWait(kPatienceMs));
}

TEST_F(CefTaskRunnerTest, DelayedTasksRunWhenDueAndNullTasksAreRefused) {
  CefRefPtr<CefTaskRunner> runner = CefTaskRunner::GetForThread(TID_FILE_USER_VISIBLE);
  std::mutex mutex;
  std::vector<int> order;
  CefRefPtr<CefWaitableEvent> done = CefWaitableEvent::CreateWaitableEvent(false, false);
  auto record = [&](int n) {
    return CefCreateClosureTask([&, n] {
      std::lock_guard<std::mutex> lock(mutex);
      order.push_back(n);
      if (order.size() == 3) done->Signal();
    });
  };
  ASSERT_TRUE(runner->PostDelayedTask(record(3), 60));
  ASSERT_TRUE(runner->PostDelayedTask(record(2), 20));
  ASSERT_TRUE(runner->PostTask(record(1)));
  ASSERT_TRUE(done->TimedWait(kPatienceMs));
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));

  LogCapture log;
  EXPECT_FALSE(runner->PostTask(nullptr));
  EXPECT_EQ(log.Matching("null task").size(), 1u);
}

TEST_F(CefTaskRunnerTest, RunnerHeldPastShutdownRefusesTasksAndNeverRunsThem) {
  CefRefPtr<CefTaskRunner> held = CefTaskRunner::GetForThread(TID_FILE_USER_BLOCKING);
  ASSERT_TRUE(held);
  std::atomic<bool> ranLate{false};
  // Due after the thread ends: dropped with it.
  ASSERT_TRUE(held->PostDelayedTask(CefCreateClosureTask([&] { ranLate = true; }), 60000));
  cefcompat::Threads::Stop();

  std::atomic<bool> ran{false};
  EXPECT_FALSE(held->PostTask(CefCreateClosureTask([&] { ran = true; })));
  EXPECT_FALSE(CefPostTask(TID_FILE_USER_BLOCKING, CefCreateClosureTask([&] { ran = true; })));
  EXPECT_FALSE(CefTaskRunner::GetForThread(TID_FILE_USER_BLOCKING));
  EXPECT_FALSE(held->BelongsToThread(TID_FILE_USER_BLOCKING));

  // A new runtime's thread is another thread: the held runner stays refused.
  cefcompat::Threads::Start();
  EXPECT_FALSE(held->PostTask(CefCreateClosureTask([&] { ran = true; })));
  EXPECT_FALSE(held->IsSame(CefTaskRunner::GetForThread(TID_FILE_USER_BLOCKING)));
  CefRefPtr<CefWaitableEvent> flushed = CefWaitableEvent::CreateWaitableEvent(false, false);
  ASSERT_TRUE(CefPostTask(TID_FILE_USER_BLOCKING, CefCreateClosureTask([&] { flushed->Signal(); })));
  ASSERT_TRUE(flushed->TimedWait(kPatienceMs));
  EXPECT_FALSE(ran);
  EXPECT_FALSE(ranLate);
}

TEST(CefWaitableEventTest, ManualEventsStaySignaledAutomaticOnesResetOnEachWaiter) {
  CefRefPtr<CefWaitableEvent> manual = CefWaitableEvent::CreateWaitableEvent(false, true);
  EXPECT_TRUE(manual->IsSignaled());
  EXPECT_TRUE(manual->IsSignaled());
  EXPECT_TRUE(manual->TimedWait(0));
  manual->Reset();
  EXPECT_FALSE(manual->IsSignaled());
  EXPECT_FALSE(manual->TimedWait(20));

  CefRefPtr<CefWaitableEvent> automatic = CefWaitableEvent::CreateWaitableEvent(true, false);
  EXPECT_FALSE(automatic->IsSignaled());
  automatic->Signal();
  EXPECT_TRUE(automatic->IsSignaled());  // and seeing it resets it
  EXPECT_FALSE(automatic->IsSignaled());
  automatic->Signal();
  automatic->Wait();
  EXPECT_FALSE(automatic->TimedWait(0));
}

TEST_F(CefTaskRunnerTest, WaitEndsWhenAnotherThreadSignalsAndIsRefusedOnTheUiThread) {
  CefRefPtr<CefWaitableEvent> event = CefWaitableEvent::CreateWaitableEvent(false, false);
  ASSERT_TRUE(CefPostDelayedTask(TID_FILE_BACKGROUND, CefCreateClosureTask([event] { event->Signal(); }), 20));
  event->Wait();
  EXPECT_TRUE(event->IsSignaled());

  LogCapture log;
  CefRefPtr<CefWaitableEvent> never = CefWaitableEvent::CreateWaitableEvent(false, false);
  std::atomic<bool> timedWaitAnswer{true};
  ASSERT_TRUE(CefPostTask(TID_UI, CefCreateClosureTask([&] {
    never->Wait();  // returns at once
    timedWaitAnswer = never->TimedWait(kPatienceMs);
  })));
  CefRefPtr<CefWaitableEvent> flushed = CefWaitableEvent::CreateWaitableEvent(false, false);
  ASSERT_TRUE(CefPostTask(TID_UI, CefCreateClosureTask([&] { flushed->Signal(); })));
  ASSERT_TRUE(flushed->TimedWait(kPatienceMs));
  EXPECT_FALSE(timedWaitAnswer);
  EXPECT_EQ(log.Matching("is not allowed on TID_UI or TID_IO").size(), 2u);
}

}  // namespace
