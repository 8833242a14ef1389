// The browser host's Qt side without a browser: the signals widget's state,
// waits and termination counter, the life-span monitor, and the handler's
// keyboard and popup decisions.
#include <QCoreApplication>
#include <QDesktopServices>
#include <QSignalSpy>
#include <QUrl>
#include <gtest/gtest.h>

#include <thread>

#include "LogCapture.h"
#include "UrlSink.h"
#include "WaitUntil.h"
#include "core/VellBrowserLifeSpanMonitor.h"
#include "core/VellHandler.h"
#include "core/VellSignalsWidget.h"

namespace {

TEST(VellSignalsWidgetTest, UrlAndLoadingFollowTheSignals) {
  VellSignalsWidget widget;
  emit widget.OnLoadStart("https://launcher.test/a");
  EXPECT_TRUE(widget.IsLoading());
  EXPECT_EQ(widget.GetUrl(), "https://launcher.test/a");
  emit widget.OnLoadStart("chrome://devtools/");
  emit widget.OnLoadStart("Chrome://x");  // the prefix is case-sensitive
  EXPECT_EQ(widget.GetUrl(), "Chrome://x");
  QSignalSpy complete(&widget, &VellSignalsWidget::OnLoadComplete);
  emit widget.OnLoadError("https://launcher.test/b", 404, "invalid http status code");
  EXPECT_EQ(complete.count(), 1);
  EXPECT_FALSE(widget.IsLoading());
  EXPECT_EQ(widget.GetUrl(), "https://launcher.test/b");
  EXPECT_EQ(widget.AwaitOnLoadComplete(0), nullptr);  // no load: at once
}

TEST(VellSignalsWidgetTest, TasksWaitingForTheLoadRunOnceAfterIt) {
  VellSignalsWidget widget;
  int ran = 0;
  widget.WaitOnLoadComplete([&] { ++ran; });
  EXPECT_EQ(ran, 1);  // nothing loading: now
  emit widget.OnLoadStart("https://launcher.test/");
  widget.WaitOnLoadComplete([&] { ran += 10; });
  widget.WaitOnLoadComplete([&] { ran += 100; });
  QCoreApplication::processEvents();
  EXPECT_EQ(ran, 1);
  emit widget.OnLoadSuccess("https://launcher.test/", 200);
  emit widget.OnLoadSuccess("https://launcher.test/", 200);  // a second completion before delivery
  ASSERT_TRUE(WaitUntil([&] { return ran == 111; }));
  QCoreApplication::processEvents();
  EXPECT_EQ(ran, 111);

  // A load that never completes: the timed wait gives up with an error.
  emit widget.OnLoadStart("https://launcher.test/slow");
  EXPECT_NE(widget.AwaitOnLoadComplete(50), nullptr);
}

// A requested load counts from the request: ends still on their way from
// the page being left do not complete it; its start, then its end, or its
// own failure before it starts, do.
TEST(VellSignalsWidgetTest, ARequestedLoadIsWaitedForFromTheRequest) {
  VellSignalsWidget widget;
  QStringList ran;
  auto task = [&](const char* name) { return [&ran, name] { ran << name; }; };

  emit widget.OnLoadUrl("https://launcher.test/next");
  EXPECT_TRUE(widget.IsLoading());
  widget.WaitOnLoadComplete(task("next"));
  emit widget.OnLoadSuccess("https://launcher.test/left", 200);           // the old page finishing late
  emit widget.OnLoadError("https://launcher.test/left", ERR_ABORTED, "");  // the old load, cancelled by the request
  QCoreApplication::processEvents();
  EXPECT_TRUE(widget.IsLoading());
  EXPECT_TRUE(ran.isEmpty());
  emit widget.OnLoadStart("https://launcher.test/next");
  emit widget.OnLoadSuccess("https://launcher.test/next", 200);
  EXPECT_FALSE(widget.IsLoading());
  ASSERT_TRUE(WaitUntil([&] { return ran == QStringList{"next"}; }));

  // Failing before it starts (refused, or aborted by a 204): the failure of
  // the requested URL itself ends the wait; a trailing slash names the same page.
  emit widget.OnLoadUrl("https://launcher.test");
  widget.WaitOnLoadComplete(task("refused"));
  emit widget.OnLoadError("https://launcher.test/", ERR_ABORTED, "net::ERR_ABORTED");
  EXPECT_FALSE(widget.IsLoading());
  ASSERT_TRUE(WaitUntil([&] { return ran.contains("refused"); }));
  emit widget.OnLoadUrl("https://launcher.test/down");
  emit widget.OnLoadError("https://launcher.test/down", ERR_CONNECTION_REFUSED, "net::ERR_CONNECTION_REFUSED");
  EXPECT_FALSE(widget.IsLoading());
  EXPECT_EQ(widget.AwaitOnLoadComplete(0), nullptr);

  // A timed wait for a request that never starts gives up with an error.
  emit widget.OnLoadUrl("https://launcher.test/never");
  EXPECT_NE(widget.AwaitOnLoadComplete(50), nullptr);
}

TEST(VellSignalsWidgetTest, TerminationsReachTheLimitAndASuccessfulLoadResetsTheCount) {
  VellSignalsWidget widget;
  QSignalSpy limit(&widget, &VellSignalsWidget::OnRenderProcessTerminatedReachLimit);
  LogCapture log;
  for (int i = 0; i < 6; ++i) emit widget.OnRenderProcessTerminated(3, "https://launcher.test/", 2);
  ASSERT_EQ(limit.count(), 1);
  EXPECT_EQ(limit[0][0].toInt(), 5);
  EXPECT_EQ(log.Matching("counter = 4, browserId = 3, url = https://launcher.test/, status = 2, reason = TS_PROCESS_CRASHED")
                .front().type,
            QtInfoMsg);
  EXPECT_EQ(log.Matching("counter = 5,").front().type, QtCriticalMsg);
  emit widget.OnRenderProcessTerminated(3, "u", 7);
  EXPECT_FALSE(log.Matching("counter = 0, browserId = 3, url = u, status = 7, reason = Unknown").empty());
  emit widget.OnLoadSuccess("u", 200);
  emit widget.OnRenderProcessTerminated(3, "u", 1);
  EXPECT_EQ(log.Matching("counter = 0,").size(), 3u);  // the first, after the limit, after the reset
}

TEST(VellBrowserLifeSpanMonitorTest, WaitReturnsWhenTheLastBrowserHasGone) {
  auto* monitor = VellBrowserLifeSpanMonitor::Instance();
  EXPECT_EQ(monitor->Wait(1000), nullptr);
  QSignalSpy zero(monitor, &VellBrowserLifeSpanMonitor::OnBrowserCountZero);
  monitor->UpdateBrowserCounter(true);
  monitor->UpdateBrowserCounter(true);
  monitor->UpdateBrowserCounter(false);
  EXPECT_EQ(zero.count(), 0);
  // The last one goes on another thread (as on the CEF UI thread) while we wait.
  std::thread closer([monitor] { monitor->UpdateBrowserCounter(false); });
  EXPECT_EQ(monitor->Wait(0), nullptr);
  closer.join();
  EXPECT_EQ(zero.count(), 1);
  EXPECT_EQ(monitor->GetBrowserCount(), 0);

  monitor->UpdateBrowserCounter(true);
  EXPECT_NE(monitor->Wait(30), nullptr);  // still there: the timeout's error
  monitor->UpdateBrowserCounter(false);
}

CefKeyEvent Key(int code, cef_key_event_type_t type = KEYEVENT_RAWKEYDOWN, uint32 modifiers = 0) {
  CefKeyEvent event;
  event.type = type;
  event.windows_key_code = code;
  event.modifiers = modifiers;
  return event;
}

class VellHandlerKeysTest : public ::testing::Test {
 protected:
  // F10 is consumed only once the pass is typed.
  bool Unlocked() { return handler->OnKeyEvent(nullptr, Key(0x79), nullptr); }
  void Type(const std::vector<int>& codes) {
    for (int code : codes) {
      handler->OnKeyEvent(nullptr, Key(code), nullptr);
      handler->OnKeyEvent(nullptr, Key(code, KEYEVENT_KEYUP), nullptr);
      handler->OnKeyEvent(nullptr, Key(code, KEYEVENT_CHAR), nullptr);
    }
  }
  std::vector<int> Pass() const { return std::vector<int>(std::begin(VellHandler::kDevKeyPass), std::end(VellHandler::kDevKeyPass)); }

  VellSignalsWidget widget;
  CefRefPtr<VellHandler> handler{new VellHandler(&widget)};
  UrlSink sink;
};

TEST_F(VellHandlerKeysTest, ThePassUnlocksTheDeveloperKeys) {
  EXPECT_FALSE(Unlocked());
  auto pass = Pass();
  // Escape in the middle starts over.
  Type({pass.begin(), pass.begin() + 5});
  Type({0x1B});
  Type({pass.begin() + 5, pass.end()});
  EXPECT_FALSE(Unlocked());
  Type(pass);
  EXPECT_TRUE(Unlocked());
  ASSERT_TRUE(WaitUntil([&] { return !sink.opened.isEmpty(); }));
  EXPECT_EQ(sink.opened.front(), QUrl(VellHandler::GetLocalDevelopmentPageUrl()));
  EXPECT_FALSE(handler->OnKeyEvent(nullptr, Key(0x79, KEYEVENT_KEYUP), nullptr));
  Type({0x1B});
  EXPECT_TRUE(Unlocked());  // once unlocked, for good
}

TEST_F(VellHandlerKeysTest, WrongCodesFromTheSequenceFillTheTrackAndClearIt) {
  auto pass = Pass();
  Type(std::vector<int>(12, pass[1]));  // twelve codes that all belong to the pass
  Type(pass);  // its first key is the thirteenth: it clears the track and is lost
  EXPECT_FALSE(Unlocked());
  Type(pass);
  EXPECT_TRUE(Unlocked());
}

TEST_F(VellHandlerKeysTest, AltF4AsksToQuitInBothStates) {
  QSignalSpy quit(&widget, &VellSignalsWidget::OnQuitKeyPress);
  EXPECT_FALSE(handler->OnKeyEvent(nullptr, Key(0x73), nullptr));
  EXPECT_TRUE(handler->OnKeyEvent(nullptr, Key(0x73, KEYEVENT_RAWKEYDOWN, 1 << 3), nullptr));
  Type(Pass());
  EXPECT_TRUE(handler->OnKeyEvent(nullptr, Key(0x73, KEYEVENT_RAWKEYDOWN, 1 << 3), nullptr));
  EXPECT_EQ(quit.count(), 2);
}

TEST_F(VellHandlerKeysTest, PopupsOpenInTheUsersBrowserAndNoBrowserIsMade) {
  CefWindowInfo windowInfo;
  CefRefPtr<CefClient> client;
  CefBrowserSettings settings;
  CefRefPtr<CefDictionaryValue> extra;
  auto popup = [&](const std::string& url) {
    return handler->OnBeforePopup(nullptr, nullptr, url, "", WOD_NEW_FOREGROUND_TAB, true, CefPopupFeatures(),
                                  windowInfo, client, settings, extra, nullptr);
  };
  EXPECT_FALSE(popup(""));
  EXPECT_TRUE(popup("https://example.test/news?id=1"));
  ASSERT_TRUE(WaitUntil([&] { return !sink.opened.isEmpty(); }));
  EXPECT_EQ(sink.opened.front(), QUrl("https://example.test/news?id=1"));

  int id = 42;
  EXPECT_NE(handler->GetBrowserId(id), nullptr);
  EXPECT_EQ(id, 42);
  QSignalSpy loads(&widget, &VellSignalsWidget::OnLoadUrl);
  handler->LoadUrl("https://launcher.test/");  // no browser yet: kept for its creation, and waited for
  EXPECT_EQ(loads.count(), 1);
  EXPECT_TRUE(widget.IsLoading());
}

}  // namespace
