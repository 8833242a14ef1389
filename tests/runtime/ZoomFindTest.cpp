// Zoom and find in page on real pages: the zoom lays the page out again and
// stays over navigations; find counts, selects and wraps as CEF's does.
#include <cmath>

#include "RecordingClient.h"
#include "RuntimeEnvironment.h"

namespace {

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new RuntimeEnvironment());

// A recording client with a find handler.
class FindingClient : public RecordingClient, public CefFindHandler {
 public:
  explicit FindingClient(EventRecorder* recorder) : RecordingClient(recorder), recorder_(recorder) {}
  CefRefPtr<CefFindHandler> GetFindHandler() override { return this; }
  void OnFindResult(CefRefPtr<CefBrowser>, int identifier, int count, const CefRect& rect, int active,
                    bool finalUpdate) override {
    recorder_->Record("OnFindResult", {{"id", identifier},
                                       {"count", count},
                                       {"active", active},
                                       {"final", finalUpdate},
                                       {"rect", {rect.x, rect.y, rect.width, rect.height}}});
  }

 private:
  EventRecorder* recorder_;
};

// The width of #box is logged whenever it changes.
const char kBoxPage[] =
    "<div id=box style='width:100px;height:10px'></div><script>let last;"
    "setInterval(() => { const w = Math.round(box.getBoundingClientRect().width);"
    " if (w !== last) { last = w; console.log('width ' + w); } }, 20);</script>";

const char kTextPage[] =
    "<p>apple banana</p><p>ap<b>ple</b> cherry</p><p style='display:none'>apple</p>"
    "<div style='height:3000px'></div><p id=last>APPLE</p>";

class ZoomFindTest : public BrowserTest {
 protected:
  void SetUp() override { client = new FindingClient(&recorder); }

  // The next find result after `before` results.
  nlohmann::json FindResult(size_t before) {
    EXPECT_TRUE(recorder.WaitForKind("OnFindResult", before + 1));
    const auto results = recorder.Of("OnFindResult");
    return results.size() > before ? results[before].data : nlohmann::json();
  }
  std::pair<int, int> Find(const std::string& text, bool forward, bool matchCase, bool findNext) {
    const size_t before = recorder.Count("OnFindResult");
    browser->GetHost()->Find(7, text, forward, matchCase, findNext);
    const auto result = FindResult(before);
    EXPECT_EQ(result.value("id", 0), 7);
    EXPECT_TRUE(result.value("final", false));
    return {result.value("count", -1), result.value("active", -1)};
  }
};

TEST_F(ZoomFindTest, ZoomLaysThePageOutAgainAndStaysOverNavigations) {
  Create(DataUrl(kBoxPage));
  ASSERT_TRUE(WaitForConsole("width 100"));
  EXPECT_EQ(browser->GetHost()->GetZoomLevel(), 0.0);

  browser->GetHost()->SetZoomLevel(1.0);
  EXPECT_TRUE(WaitForConsole("width 120"));
  EXPECT_EQ(browser->GetHost()->GetZoomLevel(), 1.0);

  browser->GetHost()->SetZoomLevel(-2.0);
  EXPECT_TRUE(WaitForConsole("width " + std::to_string(std::lround(100 / 1.44))));
  // The new document's first width is the zoomed one.
  size_t before = recorder.Count("OnConsoleMessage");
  browser->Reload();
  EXPECT_TRUE(recorder.WaitFor([&] {
    const auto lines = recorder.Of("OnConsoleMessage");
    return lines.size() > before && lines[before].data["message"] == "width 69";
  }));

  browser->GetHost()->SetZoomLevel(0.0);
  before = recorder.Count("OnConsoleMessage");
  EXPECT_TRUE(recorder.WaitFor([&] {
    const auto lines = recorder.Of("OnConsoleMessage");
    return lines.size() > before && lines.back().data["message"] == "width 100";
  }));
}

TEST_F(ZoomFindTest, FindCountsSelectsAndWraps) {
  Create(DataUrl(kTextPage));
  ASSERT_TRUE(WaitForMainLoadEnd());

  EXPECT_EQ(Find("apple", true, false, false), std::make_pair(3, 1));
  EXPECT_EQ(Find("apple", true, false, true), std::make_pair(3, 2));
  Run("console.log('selected ' + getSelection().toString())");
  EXPECT_TRUE(WaitForConsole("selected apple"));  // across the <b>
  EXPECT_EQ(Find("apple", true, false, true), std::make_pair(3, 3));
  // The last one is far down: it was scrolled into view.
  const auto rect = recorder.Of("OnFindResult").back().data["rect"];
  EXPECT_GE(rect[1].get<int>(), 0);
  EXPECT_LT(rect[1].get<int>(), 600);
  EXPECT_GT(rect[2].get<int>(), 0);
  EXPECT_EQ(Find("apple", true, false, true), std::make_pair(3, 1));
  EXPECT_EQ(Find("apple", false, false, true), std::make_pair(3, 3));
  EXPECT_EQ(Find("apple", false, false, false), std::make_pair(3, 3));

  EXPECT_EQ(Find("APPLE", true, true, true), std::make_pair(1, 1));
  EXPECT_EQ(Find("durian", true, false, false), std::make_pair(0, 0));
  EXPECT_EQ(Find("", true, false, false), std::make_pair(0, 0));

  EXPECT_EQ(Find("banana", true, false, false), std::make_pair(1, 1));
  browser->GetHost()->StopFinding(false);
  Run("console.log('kept ' + getSelection().toString())");
  EXPECT_TRUE(WaitForConsole("kept banana"));
  browser->GetHost()->StopFinding(true);
  Run("console.log('cleared [' + getSelection().toString() + ']')");
  EXPECT_TRUE(WaitForConsole("cleared []"));
}

}  // namespace
