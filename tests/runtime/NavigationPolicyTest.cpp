// Navigation policy on real pages: OnBeforeBrowse cancels a navigation and
// the page stays; pop-ups reach OnBeforePopup with Chromium's disposition.
#include "RecordingClient.h"
#include "RuntimeEnvironment.h"
#include "TestHttpServer.h"

namespace {

// Refuses navigations to URLs with "blocked" in them, and every pop-up.
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
                     CefLifeSpanHandler::WindowOpenDisposition disposition, bool user_gesture, const CefPopupFeatures&,
                     CefWindowInfo&, CefRefPtr<CefClient>&, CefBrowserSettings&, CefRefPtr<CefDictionaryValue>&,
                     bool*) override {
    recorder_->Record("OnBeforePopup",
                      {{"url", target_url.ToString()}, {"disposition", disposition}, {"gesture", user_gesture}});
    return true;
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
  }
  // A person's click on the link.
  void ClickTheLink() {
    CefMouseEvent at;
    at.x = 20;
    at.y = 20;
    browser->GetHost()->SendMouseClickEvent(at, MBT_LEFT, false, 1);
    browser->GetHost()->SendMouseClickEvent(at, MBT_LEFT, true, 1);
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
