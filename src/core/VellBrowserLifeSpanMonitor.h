#pragma once

#include <atomic>
#include <memory>

#include <QObject>

#include "base/VellError.h"
#include "utils/VellAutoSingleton.h"
#include "utils/VellEventLoopManager.h"

// Counts the browsers that exist (created and not yet destroyed) so that the
// launcher shuts the runtime down only once the last one is gone. Lives on
// the Qt thread whichever thread creates it.
class VellBrowserLifeSpanMonitor : public QObject, public VellAutoSingleton<VellBrowserLifeSpanMonitor> {
  Q_OBJECT
  friend class VellAutoSingleton<VellBrowserLifeSpanMonitor>;

 public:
  // CEF UI thread. Emits OnBrowserCountZero (on the calling thread) each time
  // the count returns to 0.
  void UpdateBrowserCounter(bool increase);
  int GetBrowserCount() const { return nBrowserCount; }
  // Qt thread: returns once no browser is left; a timeout below 1 waits
  // without limit, else the loop's timeout error after that many ms.
  std::shared_ptr<VellError> Wait(int timeoutMs);

 signals:
  void OnBrowserCountZero();

 protected:
  VellBrowserLifeSpanMonitor();

 private:
  VellEventLoopManager* m_pEventLoopManager;
  std::atomic<int> nBrowserCount{0};
};
