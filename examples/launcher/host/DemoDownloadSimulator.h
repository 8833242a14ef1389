#pragma once

#include <map>
#include <string>

#include <QObject>
#include <QString>
#include <QTimer>

#include "plugins/game_plugins/VellGetGameDownloadStatusPlugin.h"

// Downloads and installs games without a network: each tick moves every
// running download on by what the simulated line carries in that time (a
// little uneven, never above the user's limit), then installs it in a few
// ticks. Reports each change of a game's status. Qt thread.
class DemoDownloadSimulator : public QObject {
  Q_OBJECT

 public:
  // The stages a page reads from a status's uiStage.
  enum Stage { kNotInstalled = 0, kDownloading = 1, kPaused = 2, kInstalling = 3, kReady = 4, kUpdateAvailable = 5 };
  using Status = VellGetGameDownloadStatusModel::ResponseModel;

  static constexpr int kInstallTicks = 5;
  // An update downloads this share of the game.
  static constexpr double kUpdateShare = 0.08;

  DemoDownloadSimulator(qint64 nLineBytesPerSecond, int nTickMs, QObject* parent);

  // `installed` is "" for a game that is not installed.
  void AddGame(const std::string& appCode, qint64 nSizeBytes, const std::string& latest, const std::string& installed);
  bool Knows(const std::string& appCode) const { return m_mapGames.count(appCode) > 0; }
  // Bytes per second at most, 0 for no limit.
  void SetLimit(qint64 nBytesPerSecond) { m_nLimit = nBytesPerSecond; }

  // Each is empty when done, else why not (the game's stage does not allow it).
  QString Install(const std::string& appCode);
  QString Pause(const std::string& appCode);
  QString Resume(const std::string& appCode);
  QString Cancel(const std::string& appCode);
  QString Uninstall(const std::string& appCode);

  Status StatusOf(const std::string& appCode) const;
  // One step of every running task; the timer calls it while any runs.
  void Tick();

 signals:
  void StatusChanged(QString appCode);
  void Installed(QString appCode, QString version);
  void Uninstalled(QString appCode);

 private:
  struct Game {
    qint64 nSize = 0;
    std::string latest;
    std::string installed;
    Stage stage = kNotInstalled;
    qint64 nTotal = 0;  // of the running download
    qint64 nDone = 0;
    qint64 nSpeed = 0;  // of the last tick
    int nInstallTicks = 0;
  };

  static Stage _IdleStage(const Game& game);
  static QString _Bytes(qint64 bytes);
  static QString _TimeLeft(qint64 bytesLeft, qint64 speed);
  static void _Describe(const Game& game, Status& status);
  QString _Refuse(const std::string& appCode, const char* what) const;
  qint64 _Speed() const;
  // Moves `game` on by one tick; true when its status changed.
  bool _Step(const std::string& appCode, Game& game);
  void _Change(const std::string& appCode);

  std::map<std::string, Game> m_mapGames;
  const qint64 m_nLine;
  const int m_nTickMs;
  qint64 m_nLimit = 0;
  int m_nTick = 0;
  QTimer m_timer;
};
