// What the launcher remembers for the user: the catalogue's sample state on
// a first start, every change saved at once and there on the next start.
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "host/DemoCatalogue.h"
#include "host/DemoJsonFile.h"
#include "host/DemoLibraryState.h"

namespace {

class DemoLibraryStateTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(catalogue.Load(VELL_DEMO_DATA_DIR), ""); }
  DemoLibraryState Fresh() {
    DemoLibraryState state(dir.path());
    EXPECT_EQ(state.Load(catalogue), "");
    return state;
  }

  DemoCatalogue catalogue;
  QTemporaryDir dir;
};

TEST_F(DemoLibraryStateTest, AFirstStartBeginsFromTheCatalogue) {
  DemoLibraryState state = Fresh();
  EXPECT_EQ(state.InstalledVersion("neoncircuit"), "1.8.4");
  EXPECT_EQ(state.InstalledVersion("starfall"), "");
  EXPECT_EQ(state.Selections(), (std::vector<std::string>{"neoncircuit", "pocketgarden"}));
  EXPECT_EQ(state.SelectedServer("starfall"), "eu-aurora");
  EXPECT_EQ(state.RecentServers("starfall"), (std::vector<std::string>{"eu-aurora", "na-meridian"}));
  EXPECT_EQ(state.SelectedServer("pocketgarden"), "");
  EXPECT_EQ(state.SignedIn(), "acc-1001");
  EXPECT_EQ(state.Phone(catalogue, "acc-1001")["masked"], "+44 ••• ••• •318");
}

TEST_F(DemoLibraryStateTest, ChangesAreThereOnTheNextStart) {
  {
    DemoLibraryState state = Fresh();
    ASSERT_EQ(state.SetInstalled("starfall", "2.5.0"), "");
    ASSERT_EQ(state.Uninstall("pocketgarden"), "");
    ASSERT_EQ(state.SetSelected("starfall", true), "");
    ASSERT_EQ(state.SetSelected("neoncircuit", false), "");
    ASSERT_EQ(state.SelectServer("starfall", "ap-coral"), "");
    ASSERT_EQ(state.SetSignedIn(""), "");
    ASSERT_EQ(state.SetPhone("acc-2002", "h", "+1 ••• 555"), "");
  }
  DemoLibraryState next = Fresh();
  EXPECT_EQ(next.InstalledVersion("starfall"), "2.5.0");
  EXPECT_EQ(next.InstalledVersion("pocketgarden"), "");
  EXPECT_EQ(next.Selections(), (std::vector<std::string>{"pocketgarden", "starfall"}));
  EXPECT_EQ(next.SelectedServer("starfall"), "ap-coral");
  EXPECT_EQ(next.RecentServers("starfall"), (std::vector<std::string>{"ap-coral", "eu-aurora", "na-meridian"}));
  EXPECT_EQ(next.SignedIn(), "");
  EXPECT_EQ(next.Phone(catalogue, "acc-2002"), (nlohmann::json{{"hashed", "h"}, {"masked", "+1 ••• 555"}}));
}

TEST_F(DemoLibraryStateTest, RecentServersKeepTheLastFive) {
  DemoLibraryState state = Fresh();
  for (const char* server : {"eu-borealis", "eu-cassini", "na-zenith", "ap-sakura", "ap-coral", "eu-borealis"}) {
    ASSERT_EQ(state.SelectServer("starfall", server), "");
  }
  EXPECT_EQ(state.RecentServers("starfall"),
            (std::vector<std::string>{"eu-borealis", "ap-coral", "ap-sakura", "na-zenith", "eu-cassini"}));
}

TEST_F(DemoLibraryStateTest, PartsOfTheWrongShapeFallBackToTheSample) {
  ASSERT_EQ(DemoJsonFile(dir.filePath("library.json")).Save({{"installed", "everything"}, {"signedIn", "acc-3003"}}), "");
  DemoLibraryState state = Fresh();
  EXPECT_EQ(state.InstalledVersion("neoncircuit"), "1.8.4");
  EXPECT_EQ(state.SignedIn(), "acc-3003");
}

}  // namespace
