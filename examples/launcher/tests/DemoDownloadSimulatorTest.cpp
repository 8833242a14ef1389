// The simulated downloads: progress by the line's speed under the user's
// limit, pause, resume and cancel, installing, and updates.
#include <QSignalSpy>
#include <gtest/gtest.h>

#include "WaitUntil.h"
#include "host/DemoDownloadSimulator.h"

namespace {

constexpr qint64 kLine = 1'000'000'000;
constexpr int kTickMs = 100;
constexpr qint64 kGame = 10'000'000'000;

class DemoDownloadSimulatorTest : public ::testing::Test {
 protected:
  DemoDownloadSimulatorTest() : downloads(kLine, kTickMs, nullptr) {
    downloads.AddGame("big", kGame, "2.0", "");
    downloads.AddGame("old", kGame, "2.0", "1.0");
    downloads.AddGame("done", kGame, "2.0", "2.0");
  }
  int Stage(const char* appCode) const { return downloads.StatusOf(appCode).uiStage; }

  DemoDownloadSimulator downloads;
};

TEST_F(DemoDownloadSimulatorTest, EachGameStartsInTheStageItsVersionsTell) {
  EXPECT_EQ(Stage("big"), DemoDownloadSimulator::kNotInstalled);
  EXPECT_EQ(Stage("old"), DemoDownloadSimulator::kUpdateAvailable);
  EXPECT_EQ(Stage("done"), DemoDownloadSimulator::kReady);
  EXPECT_EQ(downloads.StatusOf("done").msg, "Ready to play");
  EXPECT_EQ(downloads.StatusOf("old").msg, "Update 2.0 available");
  EXPECT_EQ(downloads.StatusOf("nope").errMsg, "Unknown game");
}

TEST_F(DemoDownloadSimulatorTest, EveryTickMovesTheDownloadOnAndSaysSo) {
  QSignalSpy changed(&downloads, &DemoDownloadSimulator::StatusChanged);
  ASSERT_EQ(downloads.Install("big"), "");
  EXPECT_EQ(changed.count(), 1);
  double last = 0;
  for (int i = 0; i < 5; ++i) {
    downloads.Tick();
    const auto status = downloads.StatusOf("big");
    EXPECT_EQ(status.uiStage, DemoDownloadSimulator::kDownloading);
    EXPECT_GT(status.progress, last);
    // At most the line's speed: a tick carries at most a tenth of a second of it.
    EXPECT_LE(status.progress, (i + 1) * 100.0 * kLine / 10 / kGame);
    EXPECT_TRUE(QString::fromStdString(status.speed).endsWith("/s"));
    EXPECT_TRUE(QString::fromStdString(status.time).endsWith(" left"));
    last = status.progress;
  }
  EXPECT_EQ(changed.count(), 6);
  EXPECT_EQ(changed.last().at(0).toString(), "big");
}

TEST_F(DemoDownloadSimulatorTest, TheUsersLimitHoldsTheSpeedDown) {
  downloads.SetLimit(50'000'000);
  ASSERT_EQ(downloads.Install("big"), "");
  downloads.Tick();
  EXPECT_EQ(downloads.StatusOf("big").speed, "50 MB/s");
  EXPECT_DOUBLE_EQ(downloads.StatusOf("big").progress, 0.0);  // 5 MB of 10 GB, shown to a tenth of a percent
}

TEST_F(DemoDownloadSimulatorTest, PauseResumeAndCancel) {
  ASSERT_EQ(downloads.Install("big"), "");
  downloads.Tick();
  ASSERT_EQ(downloads.Pause("big"), "");
  const double paused = downloads.StatusOf("big").progress;
  downloads.Tick();
  EXPECT_EQ(Stage("big"), DemoDownloadSimulator::kPaused);
  EXPECT_EQ(downloads.StatusOf("big").progress, paused);
  EXPECT_TRUE(QString::fromStdString(downloads.StatusOf("big").msg).startsWith("Paused · "));
  EXPECT_NE(downloads.Pause("big"), "");
  ASSERT_EQ(downloads.Resume("big"), "");
  downloads.Tick();
  EXPECT_GT(downloads.StatusOf("big").progress, paused);
  ASSERT_EQ(downloads.Cancel("big"), "");
  EXPECT_EQ(Stage("big"), DemoDownloadSimulator::kNotInstalled);
  EXPECT_EQ(downloads.Resume("big"), "big cannot resume now");
}

TEST_F(DemoDownloadSimulatorTest, ACompleteDownloadInstallsInAFewTicks) {
  QSignalSpy installed(&downloads, &DemoDownloadSimulator::Installed);
  ASSERT_EQ(downloads.Install("old"), "");  // an update: a share of the game
  int ticks = 0;
  while (Stage("old") == DemoDownloadSimulator::kDownloading && ticks < 100) {
    downloads.Tick();
    ++ticks;
  }
  EXPECT_EQ(Stage("old"), DemoDownloadSimulator::kInstalling);
  EXPECT_LE(ticks, 10);
  for (int i = 1; i < DemoDownloadSimulator::kInstallTicks; ++i) downloads.Tick();
  EXPECT_EQ(Stage("old"), DemoDownloadSimulator::kInstalling);
  EXPECT_EQ(installed.count(), 0);
  downloads.Tick();
  EXPECT_EQ(Stage("old"), DemoDownloadSimulator::kReady);
  EXPECT_EQ(downloads.StatusOf("old").currentVersion, "2.0");
  ASSERT_EQ(installed.count(), 1);
  EXPECT_EQ(installed.first().at(1).toString(), "2.0");
}

TEST_F(DemoDownloadSimulatorTest, UninstallingAndWhatIsRefused) {
  QSignalSpy uninstalled(&downloads, &DemoDownloadSimulator::Uninstalled);
  EXPECT_NE(downloads.Uninstall("big"), "");
  EXPECT_NE(downloads.Install("done"), "");
  ASSERT_EQ(downloads.Uninstall("done"), "");
  EXPECT_EQ(uninstalled.count(), 1);
  EXPECT_EQ(Stage("done"), DemoDownloadSimulator::kNotInstalled);
  EXPECT_EQ(downloads.Install("nope"), "there is no game \"nope\"");
}

TEST_F(DemoDownloadSimulatorTest, TheTimerDrivesRunningDownloadsOnly) {
  QSignalSpy changed(&downloads, &DemoDownloadSimulator::StatusChanged);
  ASSERT_EQ(downloads.Install("big"), "");
  EXPECT_TRUE(WaitUntil([&] { return changed.count() >= 4; }, 5000));
  ASSERT_EQ(downloads.Pause("big"), "");
  const int afterPause = changed.count();
  QSignalSpy anotherTick(&downloads, &DemoDownloadSimulator::StatusChanged);
  EXPECT_FALSE(anotherTick.wait(3 * kTickMs));
  EXPECT_EQ(changed.count(), afterPause);
}

}  // namespace
