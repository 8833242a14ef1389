// CEF 89 idioms against the runtime's headers: strings inside settings
// structures, callbacks made by base::Bind, closure tasks, thread assertions
// and the message-loop functions.
#include <QCoreApplication>
#include <future>
#include <gtest/gtest.h>

#include "LogCapture.h"
#include "include/base/cef_bind.h"
#include "include/base/cef_logging.h"
#include "include/cef_app.h"
#include "include/wrapper/cef_closure_task.h"
#include "include/wrapper/cef_helpers.h"
#include "base/task_thread.h"

namespace {

TEST(CefApiTest, SettingsStringsAreWrittenThroughCefString) {
  CefSettings settings;
  CefString(&settings.cache_path) = "/tmp/cache";
  CefString(&settings.locale) = std::string("de-DE");
  EXPECT_EQ(CefString(&settings.cache_path).ToString(), "/tmp/cache");
  EXPECT_EQ(CefString(&settings.locale).ToString(), "de-DE");
  EXPECT_EQ(settings.size, sizeof(cef_settings_t));
  EXPECT_TRUE(CefString(&settings.user_agent).empty());
}

TEST(CefApiTest, SettingsCopiesOwnTheirStrings) {
  CefSettings settings;
  CefString(&settings.cache_path) = "first";
  settings.no_sandbox = 1;
  CefSettings copy = settings;
  CefString(&settings.cache_path) = "second";
  EXPECT_EQ(CefString(&copy.cache_path).ToString(), "first");
  EXPECT_EQ(copy.no_sandbox, 1);
  copy = settings;
  EXPECT_EQ(CefString(&copy.cache_path).ToString(), "second");
  copy.Reset();
  EXPECT_TRUE(CefString(&copy.cache_path).empty());
  EXPECT_EQ(copy.no_sandbox, 0);
}

TEST(CefApiTest, WindowInfoAndBrowserSettingsUseTheSameStrings) {
  CefWindowInfo info;
  CefString(&info.window_name) = "tools";
  info.SetAsChild(7, CefRect{1, 2, 300, 200});
  const CefWindowInfo copy = info;
  EXPECT_EQ(CefString(&copy.window_name).ToString(), "tools");
  EXPECT_EQ(copy.width, 300);
  EXPECT_EQ(copy.parent_window, 7u);
  CefBrowserSettings browserSettings;
  CefString(&browserSettings.default_encoding) = "utf-8";
  const CefBrowserSettings browserCopy(browserSettings);
  EXPECT_EQ(CefString(&browserCopy.default_encoding).ToString(), "utf-8");
}

TEST(CefApiTest, StringThatRefersWritesIntoTheStructure) {
  cef_string_t raw = {};
  {
    CefString view(&raw);
    EXPECT_FALSE(view.IsOwner());
    view = u"abc";
    view = CefString("abcd");
  }
  EXPECT_EQ(raw.length, 4u);
  EXPECT_EQ(CefString(&raw).ToString(), "abcd");
  cef_string_clear(&raw);
  EXPECT_EQ(raw.str, nullptr);
  CefString owner("moved");
  CefString taken(std::move(owner));
  EXPECT_EQ(taken.ToString(), "moved");
  cef_string_userfree_t userfree = taken.DetachToUserFree();
  ASSERT_NE(userfree, nullptr);
  CefString adopted;
  adopted.AttachToUserFree(userfree);
  EXPECT_EQ(adopted.ToString(), "moved");
}

int Add(int a, int b) { return a + b; }

class Counter : public CefBaseRefCounted {
 public:
  void Add(int n) { total_ += n; }
  int Total() const { return total_; }

 private:
  int total_ = 0;
  IMPLEMENT_REFCOUNTING(Counter);
};

TEST(CefApiTest, BindTakesFunctionsMembersAndBoundArguments) {
  base::Callback<int(int)> addTwo = base::Bind(&Add, 2);
  EXPECT_EQ(addTwo.Run(40), 42);
  EXPECT_EQ(base::Bind(&Add, 1, 2).Run(), 3);

  CefRefPtr<Counter> counter(new Counter());
  base::Closure byRef = base::Bind(&Counter::Add, counter, 5);
  byRef.Run();
  Counter* raw = counter.get();
  base::Closure byRaw = base::Bind(&Counter::Add, raw, 1);
  EXPECT_FALSE(counter->HasOneRef());  // each callback holds a reference
  byRaw.Run();
  base::Bind(&Counter::Add, base::Unretained(raw)).Run(10);
  EXPECT_EQ(counter->Total(), 16);
  EXPECT_EQ(base::Bind(&Counter::Total, counter).Run(), 16);
  byRef.Reset();
  byRaw.Reset();
  EXPECT_TRUE(counter->HasOneRef());
}

TEST(CefApiTest, OnceCallbacksRunOnceAndNullCallbacksOnlyReport) {
  base::OnceCallback<int()> once = base::BindOnce(&Add, 20, 22);
  EXPECT_EQ(std::move(once).Run(), 42);
  EXPECT_TRUE(once.is_null());
  LogCapture log;
  base::Closure empty;
  empty.Run();
  EXPECT_EQ(base::Callback<int()>().Run(), 0);
  EXPECT_EQ(log.Matching("null base::Callback").size(), 1u);
}

class CefApiThreadTest : public ::testing::Test {
 protected:
  void SetUp() override { cefcompat::Threads::Start(); }
  void TearDown() override { cefcompat::Threads::Stop(); }
};

void Deliver(std::promise<bool>* result) { result->set_value(CefCurrentlyOn(TID_IO)); }

TEST_F(CefApiThreadTest, ClosuresArePostedToTheNamedThread) {
  std::promise<bool> ran;
  ASSERT_TRUE(CefPostTask(TID_IO, base::Bind(&Deliver, &ran)));
  auto future = ran.get_future();
  ASSERT_EQ(future.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_TRUE(future.get());

  std::promise<bool> later;
  ASSERT_TRUE(CefPostDelayedTask(TID_IO, base::BindOnce(&Deliver, &later), 1));
  auto laterFuture = later.get_future();
  ASSERT_EQ(laterFuture.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_TRUE(laterFuture.get());
}

void NeedsIoThread() { CEF_REQUIRE_IO_THREAD(); }

TEST_F(CefApiThreadTest, WrongThreadIsNamedInTheLog) {
#if DCHECK_IS_ON()
  EXPECT_DEATH(NeedsIoThread(), "NeedsIoThread.* must be called on TID_IO");
#else
  LogCapture log;
  NeedsIoThread();
  NeedsIoThread();
  const auto lines = log.Matching("must be called on TID_IO");
  ASSERT_EQ(lines.size(), 1u);  // once per call site
  EXPECT_NE(lines[0].text.find("NeedsIoThread"), std::string::npos);
  std::promise<void> done;
  CefPostTask(TID_IO, base::Bind([](std::promise<void>* p) {
    NeedsIoThread();
    p->set_value();
  }, &done));
  ASSERT_EQ(done.get_future().wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_EQ(log.Matching("must be called on TID_IO").size(), 1u);
#endif
}

TEST_F(CefApiThreadTest, ShutdownOnARuntimeThreadIsRefused) {
  LogCapture log;
  std::promise<void> done;
  CefPostTask(TID_UI, base::BindOnce([](std::promise<void>* p) {
    CefShutdown();
    p->set_value();
  }, &done));
  ASSERT_EQ(done.get_future().wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_EQ(log.Matching("CefShutdown must be called on the thread that called CefInitialize").size(), 1u);
  std::promise<bool> stillRunning;
  ASSERT_TRUE(CefPostTask(TID_IO, base::Bind(&Deliver, &stillRunning)));
  EXPECT_EQ(stillRunning.get_future().wait_for(std::chrono::seconds(10)), std::future_status::ready);
}

TEST(CefApiTest, LoggingMacrosWriteToTheRuntimeLog) {
  LogCapture log;
  LOG(WARNING) << "value " << 42;
  int evaluated = 0;
  DCHECK(++evaluated > 0);
  EXPECT_EQ(evaluated, DCHECK_IS_ON() ? 1 : 0);
  EXPECT_EQ(log.Matching("value 42").size(), 1u);
}

TEST(CefApiTest, QuitBeforeTheLoopRunsEndsItAtOnce) {
  CefQuitMessageLoop();
  CefRunMessageLoop();  // returns: the quit was queued
  bool worked = false;
  QMetaObject::invokeMethod(QCoreApplication::instance(), [&worked] { worked = true; }, Qt::QueuedConnection);
  CefDoMessageLoopWork();
  EXPECT_TRUE(worked);
}

}  // namespace
