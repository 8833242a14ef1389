#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <QObject>
#include <QThread>
#include <QString>

#include "base/VellError.h"
#include "core/VellFeatureSettingsMixins.h"
#include "utils/VellEventLoopManager.h"
#include "utils/VellMetaTypes.h"

// The Qt face of one browser (a plain QObject, no window): the client
// handler reports the browser's life span and loads through these signals,
// on the Qt thread; this object keeps what they imply (URL, loading,
// created, closed), offers waits on them, registers the browser's plugins
// and counts render-process terminations against a limit.
//
// Threads: slots, state and waits on the Qt thread (the object's); the URL
// is readable from any thread, the termination counter is atomic.
// Release: the owner keeps it until OnBeforeClose has been delivered (the
// handler's last notification); one deleted earlier makes the handler's
// queued notifications drop, never reach a dead object.
class VellSignalsWidget : public QObject, public VellSignalsWidgetMixin<VellSignalsWidget> {
  Q_OBJECT

 public:
  explicit VellSignalsWidget(QObject* parent = nullptr);

  // Any thread (the handler reads it on the CEF UI thread).
  QString GetUrl() const;
  // Internal pages ("chrome://", case-sensitive) leave the URL as it is.
  void SetUrl(const QString& url);
  // True from a load's request (OnLoadUrl) or start until that load completes.
  bool IsLoading() const { return m_bIsLoading; }
  // OnBeforeClose has been delivered: the browser is gone.
  bool IsBrowserClosed() const { return m_bBeforeClose; }

  // Blocking waits in a nested event loop.
  void AwaitOnBrowserCreated();
  void AwaitOnBeforeClose();
  // Null at once when no load runs; a timeout below 1 waits without limit.
  std::shared_ptr<VellError> AwaitOnLoadComplete(int timeoutMs);
  void AwaitOnLoadSuccess(QString& url, int& code);
  void AwaitOnLoadUrl(QString& url);

  // Non-blocking: run `task` now, or once when the event comes. A load
  // requested through OnLoadUrl is waited for even before Chromium starts it:
  // the page being left never gets the task.
  void WaitOnBrowserCreated(std::function<void()> task, QObject* context);
  void WaitOnLoadComplete(std::function<void()> task);

 signals:
  void OnLoadUrl(QString strUrl);
  void OnLoadStart(QString strUrl);
  void OnLoadSuccess(QString strUrl, int nHttpStatusCode);
  void OnLoadError(QString strUrl, int nHttpStatusCode, QString strErrorText);
  void OnLoadComplete(QString strUrl);
  void OnBrowserCreated(int nBrowserId);
  void OnBeforeClose(int nBrowserId);
  void OnRenderProcessTerminated(int nBrowserId, std::string strUrl, int bTerminationStatus);
  void OnRenderProcessTerminatedReachLimit(int nRenderProcessTerminatedCounter);
  void OnQuitKeyPress();
  // The page entered or left fullscreen (a video's fullscreen button, Escape).
  void OnFullscreenModeChange(bool bFullscreen);
  // Tab (bNext) or Shift+Tab left the page: the launcher's next widget takes the keys.
  void OnTakeFocus(bool bNext);

 private:
  void _ConnectInternals();
  void _HandleRenderProcessTerminated(int nBrowserId, const std::string& strUrl, int status);
  void _OnLoadRequested(const QString& url);
  void _OnLoadEnded(const QString& url, bool success, int code);
  // Runs the tasks waiting for the load (queued, each once).
  void _RunLoadCompleteTasks();
  // A nested wait on the Qt thread (the manager's Await).
  std::shared_ptr<VellError> _Await(const VellEventLoopManager::ConnectQuit& connectQuit, int timeoutMs) {
    Q_ASSERT(QThread::currentThread() == thread());
    return m_pEventLoopManager->Await(connectQuit, timeoutMs);
  }

  VellEventLoopManager* m_pEventLoopManager;
  bool m_bBrowserCreated = false;
  bool m_bBeforeClose = false;
  QString m_strUrl;
  mutable std::mutex m_urlMutex;
  std::atomic<int> m_nRenderProcessTerminatedCounter{0};
  bool m_bIsLoading = false;
  // A requested load that has not started yet, and the URL asked for.
  bool m_bLoadRequested = false;
  QString m_strRequestedUrl;
  std::vector<std::function<void()>> m_vecLoadCompleteTasks;
};
