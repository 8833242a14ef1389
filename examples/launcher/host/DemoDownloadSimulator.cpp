#include "host/DemoDownloadSimulator.h"

#include <algorithm>
#include <cmath>

DemoDownloadSimulator::DemoDownloadSimulator(qint64 nLineBytesPerSecond, int nTickMs, QObject* parent)
    : QObject(parent), m_nLine(nLineBytesPerSecond), m_nTickMs(nTickMs) {
  m_timer.setInterval(nTickMs);
  connect(&m_timer, &QTimer::timeout, this, &DemoDownloadSimulator::Tick);
}

void DemoDownloadSimulator::AddGame(const std::string& appCode, qint64 nSizeBytes, const std::string& latest,
                                    const std::string& installed) {
  Game game;
  game.nSize = nSizeBytes;
  game.latest = latest;
  game.installed = installed;
  game.stage = _IdleStage(game);
  m_mapGames[appCode] = game;
}

DemoDownloadSimulator::Stage DemoDownloadSimulator::_IdleStage(const Game& game) {
  if (game.installed.empty()) return kNotInstalled;
  return game.installed == game.latest ? kReady : kUpdateAvailable;
}

QString DemoDownloadSimulator::_Refuse(const std::string& appCode, const char* what) const {
  if (!Knows(appCode)) return QString("there is no game \"%1\"").arg(QString::fromStdString(appCode));
  return QString("%1 cannot %2 now").arg(QString::fromStdString(appCode), what);
}

QString DemoDownloadSimulator::Install(const std::string& appCode) {
  const auto it = m_mapGames.find(appCode);
  if (it == m_mapGames.end() || (it->second.stage != kNotInstalled && it->second.stage != kUpdateAvailable)) {
    return _Refuse(appCode, "be installed or updated");
  }
  Game& game = it->second;
  const bool update = game.stage == kUpdateAvailable;
  game.nTotal = update ? static_cast<qint64>(static_cast<double>(game.nSize) * kUpdateShare) : game.nSize;
  game.nDone = 0;
  game.nSpeed = 0;
  game.stage = kDownloading;
  _Change(appCode);
  return {};
}

QString DemoDownloadSimulator::Pause(const std::string& appCode) {
  const auto it = m_mapGames.find(appCode);
  if (it == m_mapGames.end() || it->second.stage != kDownloading) return _Refuse(appCode, "pause");
  it->second.stage = kPaused;
  it->second.nSpeed = 0;
  _Change(appCode);
  return {};
}

QString DemoDownloadSimulator::Resume(const std::string& appCode) {
  const auto it = m_mapGames.find(appCode);
  if (it == m_mapGames.end() || it->second.stage != kPaused) return _Refuse(appCode, "resume");
  it->second.stage = kDownloading;
  _Change(appCode);
  return {};
}

QString DemoDownloadSimulator::Cancel(const std::string& appCode) {
  const auto it = m_mapGames.find(appCode);
  if (it == m_mapGames.end() || (it->second.stage != kDownloading && it->second.stage != kPaused)) {
    return _Refuse(appCode, "cancel its download");
  }
  Game& game = it->second;
  game.nDone = game.nTotal = game.nSpeed = 0;
  game.stage = _IdleStage(game);
  _Change(appCode);
  return {};
}

QString DemoDownloadSimulator::Uninstall(const std::string& appCode) {
  const auto it = m_mapGames.find(appCode);
  if (it == m_mapGames.end() || (it->second.stage != kReady && it->second.stage != kUpdateAvailable)) {
    return _Refuse(appCode, "be uninstalled");
  }
  it->second.installed.clear();
  it->second.stage = kNotInstalled;
  _Change(appCode);
  emit Uninstalled(QString::fromStdString(appCode));
  return {};
}

void DemoDownloadSimulator::_Change(const std::string& appCode) {
  const bool running = std::any_of(m_mapGames.begin(), m_mapGames.end(), [](const auto& entry) {
    return entry.second.stage == kDownloading || entry.second.stage == kInstalling;
  });
  if (running && !m_timer.isActive()) m_timer.start();
  if (!running) m_timer.stop();
  emit StatusChanged(QString::fromStdString(appCode));
}

// Between 80 % and 100 % of the line, wavering from tick to tick.
qint64 DemoDownloadSimulator::_Speed() const {
  const double share = 0.9 + 0.1 * std::sin(m_nTick * 0.9);
  const auto speed = static_cast<qint64>(static_cast<double>(m_nLine) * share);
  return m_nLimit > 0 ? std::min(speed, m_nLimit) : speed;
}

void DemoDownloadSimulator::Tick() {
  ++m_nTick;
  for (auto& [appCode, game] : m_mapGames) {
    if (_Step(appCode, game)) _Change(appCode);
  }
}

bool DemoDownloadSimulator::_Step(const std::string& appCode, Game& game) {
  if (game.stage == kDownloading) {
    game.nSpeed = _Speed();
    game.nDone = std::min(game.nTotal, game.nDone + game.nSpeed * m_nTickMs / 1000);
    if (game.nDone == game.nTotal) {
      game.stage = kInstalling;
      game.nInstallTicks = 0;
    }
    return true;
  }
  if (game.stage != kInstalling) return false;
  if (++game.nInstallTicks < kInstallTicks) return true;
  game.installed = game.latest;
  game.stage = kReady;
  emit Installed(QString::fromStdString(appCode), QString::fromStdString(game.latest));
  return true;
}

DemoDownloadSimulator::Status DemoDownloadSimulator::StatusOf(const std::string& appCode) const {
  Status status;
  status.appCode = appCode;
  const auto it = m_mapGames.find(appCode);
  if (it == m_mapGames.end()) {
    status.errMsg = "Unknown game";
    return status;
  }
  _Describe(it->second, status);
  return status;
}

void DemoDownloadSimulator::_Describe(const Game& game, Status& status) {
  status.uiStage = game.stage;
  status.currentVersion = game.installed;
  status.nextVersion = game.stage == kReady ? game.installed : game.latest;
  status.downloadType = game.installed.empty() ? 0 : 1;
  const QString amount = QString("%1 of %2").arg(_Bytes(game.nDone), _Bytes(game.nTotal));
  switch (game.stage) {
    case kDownloading:
      status.progress = game.nTotal > 0 ? std::floor(1000.0 * game.nDone / game.nTotal) / 10.0 : 0.0;
      status.msg = amount.toStdString();
      status.speed = (_Bytes(game.nSpeed) + "/s").toStdString();
      status.time = _TimeLeft(game.nTotal - game.nDone, game.nSpeed).toStdString();
      break;
    case kPaused:
      status.progress = game.nTotal > 0 ? std::floor(1000.0 * game.nDone / game.nTotal) / 10.0 : 0.0;
      status.msg = ("Paused · " + amount).toStdString();
      break;
    case kInstalling:
      status.progress = 100.0 * game.nInstallTicks / kInstallTicks;
      status.msg = "Installing";
      break;
    case kReady:
      status.progress = 100.0;
      status.msg = "Ready to play";
      break;
    case kUpdateAvailable:
      status.msg = "Update " + game.latest + " available";
      break;
    case kNotInstalled:
      status.msg = "Not installed";
      break;
  }
}

QString DemoDownloadSimulator::_Bytes(qint64 bytes) {
  const double value = static_cast<double>(bytes);
  if (value >= 1e9) return QString::number(value / 1e9, 'f', 1) + " GB";
  if (value >= 1e6) return QString::number(value / 1e6, 'f', 0) + " MB";
  return QString::number(value / 1e3, 'f', 0) + " kB";
}

QString DemoDownloadSimulator::_TimeLeft(qint64 bytesLeft, qint64 speed) {
  if (speed <= 0) return {};
  const qint64 seconds = (bytesLeft + speed - 1) / speed;
  return QString("%1:%2 left").arg(seconds / 60).arg(seconds % 60, 2, 10, QChar('0'));
}
