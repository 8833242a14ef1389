// The demo launcher's own page switches, as a person makes them in its main
// page: library -> a game's page -> settings -> library, five rounds, each
// timed from the click to the new view drawn and painted (the views are one
// page's, switched by the address's hash, so a view drawn and painted is
// what a new page's load event would be). The pages time it themselves in
// the launcher's self-test (`--self-test`, on Qt's offscreen platform, its
// pages from the demo's password archive); this prints the median beside the
// goal.
//
// Where the time goes: each switch draws its view from answers the launcher
// gives through SDK calls (the catalogue, the library, the settings), so a
// switch is a few SDK round trips, the view's DOM work, and two animation
// frames (the frame the view is painted in, and the one that shows it).
// Run from the build directory: bench/vell_page_switch_bench
#include <cstdio>

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

#include "bench_support.h"

namespace {

constexpr int kRunTimeoutMs = 120000;
constexpr double kGoalMs = 150;

// The self-test's line for the switches, or an empty string.
QString SwitchLine(const QString& output) {
  const QRegularExpression line("^(PASS|FAIL) the views switch[^\\n]*$", QRegularExpression::MultilineOption);
  return line.match(output).captured(0);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QFileInfo launcher(VELL_DEMO_LAUNCHER_PATH);
  QProcess run;
  run.setWorkingDirectory(launcher.absolutePath());
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("QT_QPA_PLATFORM", "offscreen");
  run.setProcessEnvironment(environment);
  run.setProcessChannelMode(QProcess::MergedChannels);
  run.start(launcher.absoluteFilePath(), {"--self-test"});
  if (!run.waitForFinished(kRunTimeoutMs)) {
    run.kill();
    run.waitForFinished();
    std::printf("the demo launcher's self-test did not end within %d s\n", kRunTimeoutMs / 1000);
    return 1;
  }
  const QString output = QString::fromUtf8(run.readAll());
  const QString line = SwitchLine(output);
  const QRegularExpressionMatch figures =
      QRegularExpression("median ([0-9.]+) ms over ([0-9]+) switches").match(line);
  if (!line.startsWith("PASS") || !figures.hasMatch()) {
    std::printf("the self-test did not time the page switches:\n%s\n", output.toUtf8().constData());
    return 1;
  }
  const double median = figures.captured(1).toDouble();
  BenchReport report("page_switch_ms");
  report.Row("demo page switch (library, game, settings), click -> view painted, median",
             Ms(median), "limit " + Ms(kGoalMs), median / kGoalMs, "<= " + Ms(kGoalMs));
  report.Figure("median", median);
  report.Figure("switches", figures.captured(2).toDouble());
  return 0;
}
