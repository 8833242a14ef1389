// Navigation policy on real pages: OnBeforeBrowse cancels a navigation and
// the page stays; links a person opens in a new tab or window reach
// OnOpenURLFromTab and open in the same browser unless it cancels; pop-ups
// reach OnBeforePopup with Chromium's disposition and the page's features.
#include <QElapsedTimer>

#include "RecordingClient.h"
#include "RuntimeEnvironment.h"
#include "TestHttpServer.h"
#include "browser/page_session.h"
#include "include/cef_task.h"

namespace {

nlohmann::json FeaturesOf(const CefPopupFeatures& f) {
  return {{"x", f.x},
          {"xSet", f.xSet},
          {"y", f.y},
          {"ySet", f.ySet},
          {"width", f.width},
          {"widthSet", f.widthSet},
          {"height", f.height},
          {"heightSet", f.heightSet},
          {"bars", f.menuBarVisible + f.statusBarVisible + f.toolBarVisible + f.scrollbarsVisible}};
}

// Refuses navigations to URLs with "blocked" in them, links opened in a new
// tab or window to URLs with "kept" in them, and every pop-up.
class BrowsingClient : public RecordingClient {
 public:
  explicit BrowsingClient(EventRecorder* recorder) : RecordingClient(recorder), recorder_(recorder) {}
  bool OnBeforeBrowse(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>, CefRefPtr<CefRequest> request, bool user_gesture,
                      bool is_redirect) override {
    const std::string url = request->GetURL().ToString();
    recorder_->Record("OnBeforeBrowse", {{"url", url}, {"gesture", user_gesture}, {"redirect", is_redirect}});
    return url.find("blocked") != std::string::npos;
  }
  bool OnBeforePopup(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>, const CefString& target_url, const CefString&,
                     CefLifeSpanHandler::WindowOpenDisposition disposition, bool user_gesture,
                     const CefPopupFeatures& features, CefWindowInfo&, CefRefPtr<CefClient>&, CefBrowserSettings&,
                     CefRefPtr<CefDictionaryValue>&, bool*) override {
    recorder_->Record("OnBeforePopup", {{"url", target_url.ToString()},
                                        {"disposition", disposition},
                                        {"gesture", user_gesture},
                                        {"features", FeaturesOf(features)}});
    return true;
  }
  bool OnOpenURLFromTab(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame, const CefString& target_url,
                        CefRequestHandler::WindowOpenDisposition disposition, bool user_gesture) override {
    const std::string url = target_url.ToString();
    recorder_->Record("OnOpenURLFromTab", {{"url", url},
                                           {"disposition", disposition},
                                           {"gesture", user_gesture},
                                           {"ui", CefCurrentlyOn(TID_UI)},
                                           {"main", frame && frame->IsMain()}});
    return url.find("kept") != std::string::npos;
  }

 private:
  EventRecorder* recorder_;
};

// A link over the page's top left corner.
std::string LinkPage(const std::string& attributes) {
  return "<a " + attributes + " style='position:fixed;left:0;top:0;width:80px;height:80px'>link</a>";
}

class NavigationPolicyTest : public BrowserTest {
 protected:
  void SetUp() override {
    client = new BrowsingClient(&recorder);
    server.Route("/", {200, "text/html", QByteArray::fromStdString(LinkPage("target=_blank href='/tab'"))});
    server.Route("/blocked", {200, "text/html", "blocked page"});
    server.Route("/next", {200, "text/html", QByteArray::fromStdString(LinkPage("href='/last'"))});
    server.Route("/last", {200, "text/html", "last page"});
    server.Route("/keep", {200, "text/html", QByteArray::fromStdString(LinkPage("href='/kept'"))});
    server.Route("/kept", {200, "text/html", "kept page"});
  }
  // A person's click on the link, with that button and those keys held.
  void ClickTheLink(cef_mouse_button_type_t button = MBT_LEFT, uint32 modifiers = 0) {
    CefMouseEvent at;
    at.x = 20;
    at.y = 20;
    at.modifiers = modifiers;
    browser->GetHost()->SendMouseClickEvent(at, button, false, 1);
    browser->GetHost()->SendMouseClickEvent(at, button, true, 1);
  }
  nlohmann::json LastOpened() { return recorder.Of("OnOpenURLFromTab").back().data; }
  // Asks Chromium, one answer after another for up to 15 s, until it has
  // `count` pages at `url` (its own tab for a link goes once the runtime
  // closed it, which takes Chromium a while).
  bool ChromiumPagesAt(const std::string& url, int count) {
    QElapsedTimer asking;
    asking.start();
    for (size_t asked = recorder.Count("Targets") + 1; asking.elapsed() < 15000; ++asked) {
      cefcompat::PageSession::SendToChromium(
          "Target.getTargets", nlohmann::json::object(), [this, url](const cefcompat::Connection::Reply& reply) {
            int pages = 0;
            for (const auto& target : reply.result.value("targetInfos", nlohmann::json::array())) {
              pages += target.value("url", std::string()) == url ? 1 : 0;
            }
            recorder.Record("Targets", {{"pages", pages}});
          });
      if (!recorder.WaitForKind("Targets", asked)) return false;
      if (recorder.Of("Targets").back().data["pages"] == count) return true;
    }
    return false;
  }
  nlohmann::json LastBrowse() { return recorder.Of("OnBeforeBrowse").back().data; }

  TestHttpServer server;
};

TEST_F(NavigationPolicyTest, ACancelledNavigationLeavesThePageAsItWas) {
  Create(server.Url("/"));
  ASSERT_TRUE(WaitForMainLoadEnd());
  ASSERT_EQ(recorder.Of("OnBeforeBrowse").size(), 1u);
  EXPECT_EQ(LastBrowse()["url"], server.Url("/"));
  EXPECT_FALSE(LastBrowse()["gesture"].get<bool>());
  EXPECT_FALSE(LastBrowse()["redirect"].get<bool>());

  Run("location.href = '/blocked'");
  ASSERT_TRUE(recorder.WaitForKind("OnBeforeBrowse", 2));
  EXPECT_EQ(LastBrowse()["url"], server.Url("/blocked"));
  ASSERT_TRUE(recorder.WaitForKind("OnLoadError"));
  const auto error = recorder.Of("OnLoadError")[0].data;
  EXPECT_EQ(error.value("error", 0), ERR_ABORTED);
  EXPECT_EQ(error["failedUrl"], server.Url("/blocked"));
  Run("console.log('still ' + location.pathname)");
  EXPECT_TRUE(WaitForConsole("still /"));
  EXPECT_EQ(recorder.Count("OnLoadStart"), 1u);
  EXPECT_EQ(browser->GetMainFrame()->GetURL().ToString(), server.Url("/"));

  browser->GetMainFrame()->LoadURL(server.Url("/next"));
  ASSERT_TRUE(WaitForMainLoadEnd(2));
  EXPECT_EQ(LastBrowse()["url"], server.Url("/next"));
}

TEST_F(NavigationPolicyTest, APersonsClickIsAUserGesture) {
  Create(server.Url("/next"));
  ASSERT_TRUE(WaitForMainLoadEnd());
  ClickTheLink();
  ASSERT_TRUE(WaitForMainLoadEnd(2));
  ASSERT_EQ(recorder.Of("OnBeforeBrowse").size(), 2u);
  EXPECT_EQ(LastBrowse()["url"], server.Url("/last"));
  EXPECT_TRUE(LastBrowse()["gesture"].get<bool>());
}

TEST_F(NavigationPolicyTest, PopupsHaveChromiumsDisposition) {
  Create(server.Url("/"));
  ASSERT_TRUE(WaitForMainLoadEnd());
  ClickTheLink();
  ASSERT_TRUE(recorder.WaitForKind("OnBeforePopup", 1));
  Run("window.open('/plain')");
  ASSERT_TRUE(recorder.WaitForKind("OnBeforePopup", 2));
  Run("window.open('/sized', '', 'width=300,height=200')");
  ASSERT_TRUE(recorder.WaitForKind("OnBeforePopup", 3));
  Run("window.open('/placed', 'placed', 'left=10,top=10')");
  ASSERT_TRUE(recorder.WaitForKind("OnBeforePopup", 4));
  Run("window.open('/asked', '', 'popup')");
  ASSERT_TRUE(recorder.WaitForKind("OnBeforePopup", 5));
  Run("window.open('/declined', '', 'popup=0')");
  ASSERT_TRUE(recorder.WaitForKind("OnBeforePopup", 6));
  const auto popups = recorder.Of("OnBeforePopup");
  EXPECT_EQ(popups[0].data["url"], server.Url("/tab"));
  EXPECT_EQ(popups[0].data["disposition"], WOD_NEW_FOREGROUND_TAB);
  EXPECT_TRUE(popups[0].data["gesture"].get<bool>());
  EXPECT_EQ(popups[1].data["disposition"], WOD_NEW_FOREGROUND_TAB);
  EXPECT_FALSE(popups[1].data["gesture"].get<bool>());
  EXPECT_EQ(popups[2].data["disposition"], WOD_NEW_POPUP);
  EXPECT_EQ(popups[3].data["disposition"], WOD_NEW_POPUP);
  EXPECT_EQ(popups[4].data["disposition"], WOD_NEW_POPUP);
  EXPECT_EQ(popups[5].data["disposition"], WOD_NEW_FOREGROUND_TAB);
}

}  // namespace

namespace {

TEST_F(NavigationPolicyTest, LinksOpenedInANewTabAskOnOpenURLFromTabAndCancelKeepsThePage) {
  Create(server.Url("/keep"));
  ASSERT_TRUE(WaitForMainLoadEnd());
  const struct {
    cef_mouse_button_type_t button;
    uint32 modifiers;
    cef_window_open_disposition_t disposition;
  } clicks[] = {
      {MBT_LEFT, EVENTFLAG_CONTROL_DOWN, WOD_NEW_BACKGROUND_TAB},
      {MBT_MIDDLE, 0, WOD_NEW_BACKGROUND_TAB},
      {MBT_LEFT, EVENTFLAG_SHIFT_DOWN, WOD_NEW_WINDOW},
      {MBT_LEFT, EVENTFLAG_CONTROL_DOWN | EVENTFLAG_SHIFT_DOWN, WOD_NEW_FOREGROUND_TAB},
      {MBT_MIDDLE, EVENTFLAG_SHIFT_DOWN, WOD_NEW_FOREGROUND_TAB},
  };
  size_t count = 0;
  for (const auto& click : clicks) {
    SCOPED_TRACE(count);
    ClickTheLink(click.button, click.modifiers);
    ASSERT_TRUE(recorder.WaitForKind("OnOpenURLFromTab", ++count));
    EXPECT_EQ(LastOpened()["url"], server.Url("/kept"));
    EXPECT_EQ(LastOpened()["disposition"], click.disposition);
    EXPECT_TRUE(LastOpened()["gesture"].get<bool>());
    EXPECT_TRUE(LastOpened()["ui"].get<bool>());
    EXPECT_TRUE(LastOpened()["main"].get<bool>());
  }
  // Chromium's own tab for the link went, and the page stayed.
  ASSERT_TRUE(recorder.WaitFor([&] { return server.RequestsFor("/kept").size() >= 1; }));
  EXPECT_TRUE(ChromiumPagesAt(server.Url("/kept"), 0));
  Run("console.log('still ' + location.pathname)");
  EXPECT_TRUE(WaitForConsole("still /keep"));
  EXPECT_EQ(recorder.Count("OnLoadStart"), 1u);
  EXPECT_EQ(recorder.Count("OnBeforePopup"), 0u);
  EXPECT_EQ(browser->GetMainFrame()->GetURL().ToString(), server.Url("/keep"));

  // A page's own Ctrl+click is no person's.
  Run("document.querySelector('a').dispatchEvent(new MouseEvent('click', {ctrlKey: true, cancelable: true}))");
  ASSERT_TRUE(recorder.WaitForKind("OnOpenURLFromTab", ++count));
  EXPECT_EQ(LastOpened()["disposition"], WOD_NEW_BACKGROUND_TAB);
  EXPECT_FALSE(LastOpened()["gesture"].get<bool>());
}

TEST_F(NavigationPolicyTest, ALinkOpenedInANewTabThatIsAllowedOpensInTheSameBrowser) {
  Create(server.Url("/next"));
  ASSERT_TRUE(WaitForMainLoadEnd());
  ClickTheLink(MBT_LEFT, EVENTFLAG_CONTROL_DOWN);
  ASSERT_TRUE(recorder.WaitForKind("OnOpenURLFromTab"));
  EXPECT_EQ(LastOpened()["url"], server.Url("/last"));
  EXPECT_EQ(LastOpened()["disposition"], WOD_NEW_BACKGROUND_TAB);
  ASSERT_TRUE(WaitForMainLoadEnd(2));
  EXPECT_EQ(LastBrowse()["url"], server.Url("/last"));
  EXPECT_EQ(browser->GetMainFrame()->GetURL().ToString(), server.Url("/last"));
  EXPECT_TRUE(ChromiumPagesAt(server.Url("/last"), 1));  // this browser's
  EXPECT_EQ(recorder.Count("OnOpenURLFromTab"), 1u);

  // A plain click is no new tab's.
  browser->GetMainFrame()->LoadURL(server.Url("/next"));
  ASSERT_TRUE(WaitForMainLoadEnd(3));
  ClickTheLink();
  ASSERT_TRUE(WaitForMainLoadEnd(4));
  EXPECT_EQ(recorder.Count("OnOpenURLFromTab"), 1u);
}

TEST_F(NavigationPolicyTest, PopupsHaveThePagesFeatures) {
  Create(server.Url("/"));
  ASSERT_TRUE(WaitForMainLoadEnd());
  Run("window.open('/placed', '', 'left=10,top=20,width=300,height=200')");
  ASSERT_TRUE(recorder.WaitForKind("OnBeforePopup", 1));
  Run("window.open('/plain')");
  ASSERT_TRUE(recorder.WaitForKind("OnBeforePopup", 2));
  // Values Chromium cannot read count as 0; a size alone leaves the place unset.
  Run("window.open('/odd', '', 'left=abc,width=320')");
  ASSERT_TRUE(recorder.WaitForKind("OnBeforePopup", 3));
  const auto popups = recorder.Of("OnBeforePopup");
  EXPECT_EQ(popups[0].data["features"], FeaturesOf({10, 1, 20, 1, 300, 1, 200, 1, 0, 0, 0, 0}));
  EXPECT_EQ(popups[1].data["features"], FeaturesOf({0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1}));
  EXPECT_EQ(popups[2].data["features"], FeaturesOf({0, 1, 0, 0, 320, 1, 0, 0, 0, 0, 0, 0}));
}

}  // namespace
