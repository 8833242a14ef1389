#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include <QPointer>

#include "base/VellError.h"
#include "core/VellWidget.h"
#include "utils/VellAutoSingleton.h"
#include "utils/VellEventLoopManager.h"

class QTimer;
class VellArchiveProvider;
class VellIndependentBrowser;
class VellWidgetDeleter;

// Browsers created ahead of need, handed out in new widgets. Keeps a reserve
// of idle browsers (refilled by a timer, one per tick), the list of widgets
// handed out (for broadcasts and the final release), zip archives shared by
// every pooled browser, and releases everything at shutdown.
//
// Threads: the Qt thread (timers, widgets, completion callbacks). The pool
// mutex guards Init, Acquire and ReleaseAll, the in-use mutex the in-use
// list; the pool mutex is always taken first.
//
// Lifetime of a pooled browser: an idle browser that closes (Chromium gone)
// leaves the reserve; a handed-out one belongs to its widget, whose
// destruction closes it. The browser object and its signals widget are freed
// by the pool once the browser has closed and no widget shows it.
class VellWidgetPool : public VellAutoSingleton<VellWidgetPool> {
  friend class VellAutoSingleton<VellWidgetPool>;

 public:
  struct ArchiveProviderParam {
    std::string strArchivePath;  // the zip file
    std::string strUrl;          // the URL prefix it serves
    std::string strPassword;     // may be empty
  };

  VellWidgetPool(size_t nInitCount, size_t nReserveCount);
  ~VellWidgetPool() override;

  // The URL every browser created afterwards loads ("about:blank" by default).
  void SetInitLoadUrl(std::string strUrl);
  // Creates the initial browsers and starts the refill timer; `done` runs
  // before it returns.
  void Init(std::function<void()> done);
  // A new widget (no parent, owned by the caller) showing the oldest idle
  // browser, or a fresh one when none is idle. Null after ReleaseAll until
  // the next Init.
  VellWidget* Acquire();
  VellWidget* MoveToInUse(VellWidget* widget);
  std::vector<QPointer<VellWidget>> GetVecInUse();
  // Runs `code` now in every widget handed out that has a browser; the
  // failures, chained (the first innermost).
  std::shared_ptr<VellError> BroadcastExecuteJavascript(const std::string& code);

  // Closes every browser of the pool. `done(timedOut)` is called exactly
  // once: with false when the last browser has closed, with true when
  // `timeoutMs` (if above 0) passes first.
  void ReleaseAll(std::function<void(bool)> done, int timeoutMs);
  // ReleaseAll in a nested loop, without time-out.
  std::shared_ptr<VellError> AwaitReleaseAll();
  bool HasInvokeOnReleaseAllDoneTimeout() const { return m_bReleaseAllDoneTimeout; }

  // Every widget Acquire hands out afterwards serves these archives, whenever
  // its browser was created; widgets already handed out keep what they had.
  // Given before Init, the pooled browsers' initial page is served from them
  // too. Each archive is read at once, in the background.
  void InitArchiveProviders(std::vector<ArchiveProviderParam> params);
  void InitArchiveProviders(const std::function<std::vector<ArchiveProviderParam>()>& params);
  // No browser serves the pool's archives any more, in use or idle.
  void ReleaseArchiveProviders();

 protected:
  VellWidgetPool() : VellWidgetPool(0, 1) {}

 private:
  bool _ShouldCreateInAdvance() const;
  void _CreateInstance();
  // Adds the archives `browser` does not serve yet. Under m_poolMutex.
  void _AddArchiveProviders(VellIndependentBrowser* browser);
  void _OnIdleBrowserClosed(VellIndependentBrowser* browser);
  // Under m_inUseMutex.
  void _DropDestroyedInUse();
  // Counts `browser`'s close down on `deleter`, now when it is already closed.
  static void _CountDownOnClose(VellIndependentBrowser* browser, VellWidgetDeleter* deleter);
  static void _FreeOnceClosed(VellIndependentBrowser* browser);
  static void _Free(VellIndependentBrowser* browser);

  std::vector<VellIndependentBrowser*> m_vecIdle;  // newest first
  std::vector<QPointer<VellWidget>> m_vecInUse;
  std::mutex m_inUseMutex;
  size_t m_nInitCount;
  size_t m_nReserveCount;
  std::recursive_mutex m_poolMutex;  // Init's `done` may acquire
  VellEventLoopManager* m_pEventLoopManager;
  std::atomic<bool> m_bReleaseAllDone{false};
  std::atomic<bool> m_bReleaseAllDoneTimeout{false};
  bool m_bReleased = false;
  std::string m_strInitLoadUrl = "about:blank";
  struct PooledArchive {
    std::shared_ptr<VellArchiveProvider> pProvider;
    std::string strIdentifier;  // of its door in each browser's resource manager
  };
  std::vector<PooledArchive> m_vecArchiveProviders;
  uint64_t m_nArchiveSerial = 0;
  // The archives each idle browser serves, by identifier.
  std::map<VellIndependentBrowser*, std::set<std::string>> m_mapIdleArchives;
  QTimer* m_pReserveTimer = nullptr;
};
