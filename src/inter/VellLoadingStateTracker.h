#pragma once

#include <cstdint>
#include <mutex>

#include <QObject>
#include <QString>

class VellSignalsWidget;

// Measures each page load of one browser and logs its start, success or
// error with the elapsed milliseconds. A Qt child of the signals widget it
// watches; its slots run on the Qt thread, its getters may be read anywhere.
class VellLoadingStateTracker : public QObject {
  Q_OBJECT

 public:
  explicit VellLoadingStateTracker(VellSignalsWidget* signalsWidget);

  // Connect in this order: Track first, so a load's end is recorded before
  // the line reporting its duration is written.
  void Track();
  void PrintLoadingState();

  // -1 without a start and an end since it; -2 when the end precedes the start.
  long GetLoadDuration();
  bool IsLoadDurationValid(const long& duration) const { return duration >= 0; }
  // No load creates a session id yet: empty.
  QString GetSessionId();
  bool IsSessionIdValid(const QString& sessionId) const { return !sessionId.isEmpty(); }

 private:
  void _TrackLoadTime();
  void _MarkLoadEnd();

  VellSignalsWidget* m_pSignalsWidget;
  uint32_t m_nLoadStartTick = 0;
  uint32_t m_nLoadEndTick = 0;
  QString m_strSessionId;
  std::mutex m_loadTimeMutex;
  std::mutex m_sessionMutex;
};
