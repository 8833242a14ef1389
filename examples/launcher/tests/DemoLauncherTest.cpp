// The demo launcher run as a user would start it, with the real runtime and
// its real pages: the pages' self-test, the picture of the window, and the
// launcher's answer to bad input (it starts, says what is wrong, and ends
// cleanly, leaving the user's files as they were).
#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QDeadlineTimer>
#include <gtest/gtest.h>
#include <signal.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <string>

namespace {

constexpr int kRunTimeoutMs = 60000;

struct LauncherRun {
  int exitCode = -1;
  QString output;  // standard output and error
};

// A virtual X server of the test's own, on a display number it chooses and
// reports itself (no race with other servers starting at the same time).
class VirtualDisplay {
 public:
  VirtualDisplay() {
    m_server.start("Xvfb", {"-displayfd", "1", "-screen", "0", "1600x1000x24", "-nolisten", "tcp"});
    if (m_server.waitForReadyRead(kRunTimeoutMs)) m_strName = ":" + QString::fromUtf8(m_server.readLine()).trimmed();
  }
  ~VirtualDisplay() {
    m_server.terminate();
    m_server.waitForFinished(kRunTimeoutMs);
  }
  // Empty when the server did not start.
  const QString& Name() const { return m_strName; }

 private:
  QProcess m_server;
  QString m_strName;
};

// Runs the launcher with `arguments` on the offscreen platform, or on a
// virtual X server when `onX`.
LauncherRun Launch(const QStringList& arguments, bool onX = false) {
  LauncherRun run;
  std::unique_ptr<VirtualDisplay> display;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("QT_QPA_PLATFORM", onX ? "xcb" : "offscreen");
  if (onX) {
    display = std::make_unique<VirtualDisplay>();
    if (display->Name().isEmpty()) {
      run.output = "Xvfb did not start";
      return run;
    }
    environment.insert("DISPLAY", display->Name());
    // The launcher paints by raster: no GL driver loaded, none of its allocations kept until exit.
    environment.insert("QT_XCB_GL_INTEGRATION", "none");
  }
  QProcess process;
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.setProcessEnvironment(environment);
  process.start(VELL_DEMO_LAUNCHER, arguments);
  if (!process.waitForFinished(kRunTimeoutMs)) {
    process.kill();
    process.waitForFinished();
    run.output = "the launcher did not end in time:\n" + QString::fromUtf8(process.readAll());
    return run;
  }
  run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  run.output = QString::fromUtf8(process.readAll());
  return run;
}

QByteArray Read(const QString& path) {
  QFile file(path);
  file.open(QIODevice::ReadOnly);
  return file.readAll();
}

void Write(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  file.open(QIODevice::WriteOnly | QIODevice::Truncate);
  file.write(bytes);
}

// The launcher with bad input, on its own user folder, asked for a picture:
// the picture is taken once the page that says what is wrong has settled.
class BadInputTest : public ::testing::Test {
 protected:
  LauncherRun LaunchWith(QStringList arguments, const QString& config = QString()) {
    arguments << "--config" << (config.isEmpty() ? dir.filePath("config") : config) << "--screenshot"
              << dir.filePath("picture.png");
    return Launch(arguments, true);
  }
  void ExpectShownAndEndedCleanly(const LauncherRun& run, const QString& message) {
    EXPECT_EQ(run.exitCode, 0) << run.output.toStdString();
    EXPECT_TRUE(run.output.contains(message)) << "no \"" << message.toStdString() << "\" in:\n" << run.output.toStdString();
    EXPECT_TRUE(QFile::exists(dir.filePath("picture.png"))) << run.output.toStdString();
  }
  // A copy of the shipped catalogue with `file` replaced.
  QString CatalogueWith(const QString& file, const QByteArray& text) {
    QDir().mkpath(dir.filePath("data"));
    for (const QString& name : QDir(VELL_DEMO_DATA_DIR).entryList({"*.json"})) {
      QFile::copy(QString(VELL_DEMO_DATA_DIR) + "/" + name, dir.filePath("data/" + name));
    }
    QFile::setPermissions(dir.filePath("data/" + file), QFile::ReadOwner | QFile::WriteOwner);
    Write(dir.filePath("data/" + file), text);
    return dir.filePath("data");
  }

  QTemporaryDir dir;
};

TEST(DemoLauncherTest, TheSelfTestPassesEveryCheck) {
  const LauncherRun run = Launch({"--self-test"});
  EXPECT_EQ(run.exitCode, 0) << run.output.toStdString();
  EXPECT_TRUE(run.output.contains(QRegularExpression("\\n\\d+ passed, 0 failed\\n"))) << run.output.toStdString();
  EXPECT_GE(run.output.count(QRegularExpression("^PASS ", QRegularExpression::MultilineOption)), 30);
  EXPECT_FALSE(run.output.contains(QRegularExpression("^FAIL ", QRegularExpression::MultilineOption)));
}

TEST(DemoLauncherTest, ThePictureShowsTheWindowWithItsPage) {
  QTemporaryDir dir;
  const QString path = dir.filePath("launcher.png");
  const LauncherRun run = Launch({"--config", dir.filePath("config"), "--screenshot", path}, true);
  ASSERT_EQ(run.exitCode, 0) << run.output.toStdString();
  const QImage picture(path);
  ASSERT_FALSE(picture.isNull()) << run.output.toStdString();
  EXPECT_EQ(picture.size(), QSize(1280, 760));
  std::map<QRgb, int> colours;
  for (int y = 0; y < picture.height(); y += 2) {
    for (int x = 0; x < picture.width(); x += 2) ++colours[picture.pixel(x, y) & 0xF0F0F0];
  }
  int commonest = 0;
  for (const auto& [colour, count] : colours) commonest = std::max(commonest, count);
  EXPECT_GE(colours.size(), 64u) << "a nearly blank picture";
  EXPECT_LT(commonest, picture.width() * picture.height() / 4 * 9 / 10) << "one colour fills the picture";
}

TEST(DemoLauncherTest, UsageMistakesAreSaid) {
  const LauncherRun run = Launch({"--no-such-option"});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_TRUE(run.output.contains("Unknown option 'no-such-option'")) << run.output.toStdString();
  EXPECT_TRUE(run.output.contains("--self-test"));
}

// The live Chromium a process started (its child whose command name begins
// "chrom"), or 0.
pid_t ChromiumOf(qint64 parent) {
  for (const QString& entry : QDir("/proc").entryList(QDir::Dirs)) {
    bool number = false;
    const pid_t pid = entry.toInt(&number);
    if (!number) continue;
    std::ifstream stat("/proc/" + entry.toStdString() + "/stat");
    std::string line;
    std::getline(stat, line);
    // pid (comm) state ppid ...; comm may hold spaces and parentheses.
    const size_t open = line.find('('), close = line.rfind(')');
    if (open == std::string::npos || close == std::string::npos) continue;
    const std::string comm = line.substr(open + 1, close - open - 1);
    char state = 0;
    long ppid = 0;
    if (std::sscanf(line.c_str() + close + 1, " %c %ld", &state, &ppid) != 2) continue;
    if (ppid == parent && state != 'Z' && comm.rfind("chrom", 0) == 0) return pid;
  }
  return 0;
}

// Reads the launcher's output until `text` has appeared `times` times.
bool WaitForOutput(QProcess& process, QString& output, const QString& text, int times = 1) {
  QDeadlineTimer deadline(kRunTimeoutMs);
  while (output.count(text) < times) {
    if (deadline.hasExpired() || process.state() != QProcess::Running) return false;
    if (process.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) output += QString::fromUtf8(process.readAll());
  }
  return true;
}

// Chromium killed under a running launcher: the runtime starts a new one and
// the launcher shows its home page again, in a browser of the new Chromium.
TEST(DemoLauncherTest, AKilledChromiumIsStartedAgainAndTheHomePageShownAgain) {
  QTemporaryDir dir;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("QT_QPA_PLATFORM", "offscreen");
  QProcess process;
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.setProcessEnvironment(environment);
  process.start(VELL_DEMO_LAUNCHER, {"--config", dir.filePath("config")});
  ASSERT_TRUE(process.waitForStarted(kRunTimeoutMs));
  QString output;
  const QString homeShown = "OnLoadSuccess:strUrl = https://launcher.test/index.html";
  ASSERT_TRUE(WaitForOutput(process, output, homeShown)) << output.toStdString();
  const pid_t chromium = ChromiumOf(process.processId());
  ASSERT_GT(chromium, 0) << output.toStdString();

  ASSERT_EQ(kill(chromium, SIGKILL), 0);
  EXPECT_TRUE(WaitForOutput(process, output, "The home page's browser closed by itself; showing the page again"))
      << output.toStdString();
  EXPECT_TRUE(WaitForOutput(process, output, homeShown, 2)) << output.toStdString();
  const pid_t restarted = ChromiumOf(process.processId());
  EXPECT_GT(restarted, 0);
  EXPECT_NE(restarted, chromium);

  process.terminate();
  if (!process.waitForFinished(kRunTimeoutMs)) process.kill();
  process.waitForFinished();
}

TEST_F(BadInputTest, AMissingPagesArchive) {
  ExpectShownAndEndedCleanly(LaunchWith({"--pages", dir.filePath("none.zip")}),
                             "The pages archive " + dir.filePath("none.zip") + " does not exist");
}

TEST_F(BadInputTest, ADamagedPagesArchive) {
  Write(dir.filePath("pages.zip"), QByteArray("PK\x03\x04 this is no archive", 24));
  ExpectShownAndEndedCleanly(LaunchWith({"--pages", dir.filePath("pages.zip")}),
                             "The pages archive " + dir.filePath("pages.zip") + " cannot be opened");
}

TEST_F(BadInputTest, APagesArchiveWithAnotherPassword) {
  QProcess pack;
  pack.start(VELL_DEMO_PACK, {dir.filePath("pages.zip"), "not-the-launchers", VELL_DEMO_PAGES_DIR});
  ASSERT_TRUE(pack.waitForFinished(kRunTimeoutMs));
  ASSERT_EQ(pack.exitCode(), 0) << pack.readAllStandardError().toStdString();
  ExpectShownAndEndedCleanly(LaunchWith({"--pages", dir.filePath("pages.zip")}), "does not open with the launcher's password");
}

TEST_F(BadInputTest, ACatalogueWithASyntaxError) {
  const QString data = CatalogueWith("servers.json", "{\"servers\": [}");
  ExpectShownAndEndedCleanly(LaunchWith({"--data", data}), "servers.json: not valid JSON: parse error at line 1, column 14");
}

TEST_F(BadInputTest, ACatalogueWithAMissingField) {
  const QString data = CatalogueWith("accounts.json", R"({"signedIn": "", "accounts": [{"openId": "a"}]})");
  ExpectShownAndEndedCleanly(LaunchWith({"--data", data}), "accounts.json: accounts[0] (\"a\") has no \"account\" (a string)");
}

TEST_F(BadInputTest, AConfigFolderThatCannotBeWritten) {
  Write(dir.filePath("blocker"), "a file where the folder would go");
  ExpectShownAndEndedCleanly(LaunchWith({}, dir.filePath("blocker/config")), "Settings and library changes will not be kept: " + dir.filePath("blocker/config") + " is not writable");
  EXPECT_EQ(Read(dir.filePath("blocker")), "a file where the folder would go");
}

TEST_F(BadInputTest, UnreadableSettingsAreLeftAsTheyAre) {
  QDir().mkpath(dir.filePath("config"));
  Write(dir.filePath("config/settings.json"), "{\"accent\": \"teal\",");
  ExpectShownAndEndedCleanly(LaunchWith({}), "settings.json is not valid JSON; the default settings are used");
  EXPECT_EQ(Read(dir.filePath("config/settings.json")), "{\"accent\": \"teal\",");
}

}  // namespace
