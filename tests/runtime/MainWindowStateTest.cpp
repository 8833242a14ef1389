// The browser widget following the launcher's main window on a real X server
// (run under Xvfb): while the main window is minimised or covered the page
// stops rendering, and it resumes once the window shows again. Built twice:
// with a window manager the test starts (openbox: the stacking list it keeps),
// and on a bare X server (the X window tree).
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include <QProcess>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>
#include <QtPlatformHeaders/QXcbWindowFunctions>

#include "HostHarness.h"
#include "LauncherEnvironment.h"
#include "ShownPage.h"
#include "X11Desktop.h"
#include "core/VellTrackMainWindowState.h"
#include "inter/VellBrowserWrapper.h"
#include "platform/VellWindowStacking.h"
#include "view/surface_window.h"

namespace {

const QRect kMainRect(100, 100, 600, 400);
const QRect kOverMainRect = kMainRect.adjusted(-40, -40, 40, 40);
const QRect kAwayRect(900, 650, 300, 200);

#ifdef VELL_TEST_WINDOW_MANAGER
const auto* const g_windowManager = ::testing::AddGlobalTestEnvironment(new WindowManagerEnvironment());
#endif
const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new LauncherEnvironment());

// A page that animates on every frame, and tells how it runs: "parked|n" 300
// ms into its n-th hidden spell, then "still parked|n|frames" half a second
// later, with the animation frames it ran meanwhile; "running|n|frames|WxH"
// 300 ms after it starts (n = 0) or is shown again, with "frames" when it ran
// some and its size; "size|WxH" on each resize.
const char kAnimatingPage[] =
    "let raf = 0, hiddenSpells = 0;"
    "const c = document.createElement('canvas'); c.width = 600; c.height = 400;"
    "document.documentElement.appendChild(c);"
    "const x = c.getContext('2d');"
    "(function f() { raf++; x.fillStyle = 'hsl(' + (raf % 360) + ',80%,50%)'; x.fillRect(0, 0, 600, 400);"
    "  requestAnimationFrame(f); })();"
    "function running(n) { const at = raf;"
    "  setTimeout(() => log('running', n, raf > at ? 'frames' : 'none', innerWidth + 'x' + innerHeight), 300); }"
    "document.addEventListener('visibilitychange', () => {"
    "  log('visibility', document.visibilityState);"
    "  if (!document.hidden) return running(hiddenSpells);"
    "  const n = ++hiddenSpells;"
    "  setTimeout(() => { const at = raf; log('parked', n);"
    "    setTimeout(() => log('still parked', n, raf - at), 500); }, 300);"
    "});"
    "addEventListener('resize', () => log('size', innerWidth + 'x' + innerHeight));"
    "running(0);"
    "log('animating');";

class MainWindowStateTest : public ShownPage {
 protected:
  void SetUp() override {
    ShownPage::SetUp();
    if (HasFatalFailure()) return;
    auto* layout = new QVBoxLayout(&mainWindow);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(widget.get());
    mainWindow.setGeometry(kMainRect);
    mainWindow.show();
    ASSERT_TRUE(WaitUntil([&] { return mainWindow.windowHandle()->isExposed(); }));
    widget->SetMainWindow(&mainWindow);
    tracker = mainWindow.findChild<VellTrackMainWindowState*>();
    ASSERT_NE(tracker, nullptr);
    states = std::make_unique<QSignalSpy>(tracker, &VellTrackMainWindowState::FireMainWindowStateChanged);
    widget->LoadUrl(Page(kAnimatingPage));
    ASSERT_TRUE(WaitForConsole("animating"));
    ExpectRendering(0);
  }
  void TearDown() override {
    states.reset();
    ShownPage::TearDown();  // the widget goes, and with it the tracker
  }

  // The last state the tracker sent; both false before the first.
  MainWindowState LastState() const {
    return states->isEmpty() ? MainWindowState() : states->last().at(0).value<MainWindowState>();
  }
  bool WaitForState(bool bMinimized, bool bCovered) {
    return WaitUntil([&] { return LastState().bMinimized == bMinimized && LastState().bCovered == bCovered; });
  }
  int HiddenSpells() const { return static_cast<int>(ConsoleLines("visibility|hidden").size()); }

  // The page is hidden: over half a second of the page's own time it runs no
  // animation frame.
  void ExpectParked(int spell) {
    const std::string parked = "parked|" + std::to_string(spell);
    ASSERT_TRUE(WaitForConsole(parked)) << "the page was never hidden";
    ASSERT_TRUE(WaitForLog("still " + parked + "|"));
    EXPECT_EQ(ConsoleLines("still " + parked + "|0").size(), 1u) << "the page kept animating while parked";
  }
  // The page (Chromium's own window inside the widget) animates again, at
  // the widget's size, after its `spell`-th hidden spell (0: from the start).
  void ExpectRendering(int spell) {
    const std::string running = "running|" + std::to_string(spell) + "|";
    ASSERT_TRUE(WaitForLog(running)) << "the page was not shown again";
    EXPECT_FALSE(HostLog().Matching(" " + running + "frames|").empty()) << "the page did not animate";
    // It may have started before its window took the widget's size: it ends at that size.
    const std::string size = std::to_string(widget->width()) + "x" + std::to_string(widget->height());
    EXPECT_TRUE(WaitUntil([&] { return LastLoggedSize({"running", "size"}) == size; }))
        << "the page is " << LastLoggedSize({"running", "size"}) << ", not the widget's " << size;
  }
  // Where the tracker's own X query sees `window`: above the main window, and
  // able to hide it (or, for a dock, not).
  void ExpectStackedAboveMain(QWidget& window, bool bDock) {
    VellWindowStacking stacking;
    VellStackedWindow main;
    std::vector<VellStackedWindow> above;
    ASSERT_TRUE(stacking.Query(static_cast<uint32_t>(mainWindow.winId()), main, above));
    const auto it = std::find_if(above.begin(), above.end(), [&](const VellStackedWindow& other) {
      return other.bViewable && other.bDock == bDock && other.rect.contains(main.rect);
    });
    EXPECT_NE(it, above.end()) << "no window above the main window at " << window.geometry().x() << ","
                               << window.geometry().y();
  }
  // A plain top-level window at `rect`, raised over the others.
  static std::unique_ptr<QWidget> ShowWindowAt(const QRect& rect, bool bDock = false) {
    auto window = std::make_unique<QWidget>();
    window->setGeometry(rect);
    window->winId();
    if (bDock) QXcbWindowFunctions::setWmWindowType(window->windowHandle(), QXcbWindowFunctions::Dock);
    window->show();
    window->raise();
    EXPECT_TRUE(WaitUntil([&] { return window->windowHandle()->isExposed(); }));
    return window;
  }

  QWidget mainWindow;
  VellTrackMainWindowState* tracker = nullptr;
  std::unique_ptr<QSignalSpy> states;
};

TEST_F(MainWindowStateTest, MinimisingStopsRenderingAndRestoringResumesIt) {
  const int spell = HiddenSpells() + 1;
  mainWindow.showMinimized();
  ASSERT_TRUE(WaitUntil([&] { return LastState().bMinimized; }));
  ExpectParked(spell);
  mainWindow.showNormal();
  ASSERT_TRUE(WaitForState(false, false));
  ExpectRendering(spell);
}

TEST_F(MainWindowStateTest, AWindowOverTheMainWindowCoversItUntilMovedAway) {
  const int spell = HiddenSpells() + 1;
  const int statesBefore = states->count();
  auto cover = ShowWindowAt(kOverMainRect);
  ExpectStackedAboveMain(*cover, false);
  ASSERT_TRUE(WaitForState(false, true));
  // Moved about while still covering: the same state, sent no more.
  cover->setGeometry(kOverMainRect.translated(5, 5));
  cover->setGeometry(kOverMainRect);
  ExpectParked(spell);
  cover->setGeometry(kAwayRect);
  ASSERT_TRUE(WaitForState(false, false));
  EXPECT_EQ(states->count(), statesBefore + 2);
  ExpectRendering(spell);
}

TEST_F(MainWindowStateTest, ADockOverTheMainWindowDoesNotCoverIt) {
  auto dock = ShowWindowAt(kOverMainRect, true);
  ExpectStackedAboveMain(*dock, true);
  auto cover = ShowWindowAt(kOverMainRect);
  ASSERT_TRUE(WaitForState(false, true));
  // A covered window is tested on every poll: with only the dock left over
  // it, it counts as shown again.
  cover->hide();
  ASSERT_TRUE(WaitForState(false, false));
  EXPECT_TRUE(dock->windowHandle()->isExposed());
  ExpectStackedAboveMain(*dock, true);
}

TEST_F(MainWindowStateTest, RepeatedStatesAreSentOnce) {
  const int spell = HiddenSpells() + 1;
  mainWindow.showMinimized();
  ASSERT_TRUE(WaitUntil([&] { return LastState().bMinimized; }));
  mainWindow.showMinimized();
  ExpectParked(spell);
  mainWindow.showNormal();
  mainWindow.showNormal();
  ASSERT_TRUE(WaitForState(false, false));
  ExpectRendering(spell);
  ASSERT_GE(states->count(), 2);
  for (int i = 1; i < states->count(); ++i) {
    EXPECT_NE(states->at(i).at(0).value<MainWindowState>(), states->at(i - 1).at(0).value<MainWindowState>())
        << "state " << i << " repeats the one before";
  }
}

#ifndef VELL_TEST_WINDOW_MANAGER
// Without a window manager nobody else writes _NET_WM_STATE.
TEST_F(MainWindowStateTest, AHiddenStateSetByHandCountsAsCovered) {
  const int spell = HiddenSpells() + 1;
  const X11Desktop server;
  server.SetHiddenState(mainWindow.winId(), true);
  ASSERT_TRUE(WaitForState(false, true));
  ExpectParked(spell);
  server.SetHiddenState(mainWindow.winId(), false);
  ASSERT_TRUE(WaitForState(false, false));
  ExpectRendering(spell);
}
#endif

}  // namespace
