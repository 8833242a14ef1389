#include "core/VellSignalsWidget.h"

#include <QMetaObject>
#include <QPointer>
#include <QThread>
#include <QUrl>
#include <fmt/format.h>

#include "base/VellLoggerAgent.h"
#include "include/internal/cef_types.h"
#include "v8_api/VellV8PluginFactoryCluster.h"

namespace {

const char* TerminationReason(int status) {
  switch (status) {
    case 0:
      return "TS_ABNORMAL_TERMINATION";
    case 1:
      return "TS_PROCESS_WAS_KILLED";
    case 2:
      return "TS_PROCESS_CRASHED";
    case 3:
      return "TS_PROCESS_OOM";
    default:
      return "Unknown";
  }
}

// "https://a.test" and "https://a.test/" name one document.
bool SameDocumentUrl(const QString& left, const QString& right) {
  auto normal = [](const QString& text) {
    QUrl url(text);
    if (url.path().isEmpty()) url.setPath("/");
    return url.adjusted(QUrl::NormalizePathSegments);
  };
  return normal(left) == normal(right);
}

}  // namespace

VellSignalsWidget::VellSignalsWidget(QObject* parent)
    : QObject(parent), m_pEventLoopManager(new VellEventLoopManager(this)) {
  qRegisterMetaType<std::string>("std::string");
  _ConnectInternals();
}

// Listeners connected later see the URL and the loading flag already
// updated, and OnLoadComplete already emitted.
void VellSignalsWidget::_ConnectInternals() {
  connect(this, &VellSignalsWidget::OnLoadUrl, this, &VellSignalsWidget::_OnLoadRequested);
  connect(this, &VellSignalsWidget::OnLoadSuccess, this,
          [this](const QString& url, int code) { _OnLoadEnded(url, true, code); });
  connect(this, &VellSignalsWidget::OnLoadError, this,
          [this](const QString& url, int code, const QString&) { _OnLoadEnded(url, false, code); });
  connect(this, &VellSignalsWidget::OnBrowserCreated, this, [this](int) { m_bBrowserCreated = true; });
  connect(this, &VellSignalsWidget::OnBeforeClose, this, [this](int) { m_bBeforeClose = true; });
  connect(this, &VellSignalsWidget::OnLoadStart, this, &VellSignalsWidget::SetUrl);
  connect(this, &VellSignalsWidget::OnLoadComplete, this, &VellSignalsWidget::SetUrl);
  connect(this, &VellSignalsWidget::OnLoadStart, this, [this](const QString&) {
    m_bIsLoading = true;
    m_bLoadRequested = false;
  });
  connect(this, &VellSignalsWidget::OnRenderProcessTerminated, this,
          [this](int nBrowserId, const std::string& strUrl, int status) {
            QMetaObject::invokeMethod(
                this, [this, nBrowserId, strUrl, status] { _HandleRenderProcessTerminated(nBrowserId, strUrl, status); },
                Qt::AutoConnection);
          });
  connect(this, &VellSignalsWidget::OnLoadSuccess, this, [this](const QString&, int) {
    if (ResetRenderProcessTerminatedCounterIfSuccess()) m_nRenderProcessTerminatedCounter = 0;
  });
  connect(this, &VellSignalsWidget::OnBrowserCreated, this, [this](int nBrowserId) {
    VellError::LogErrorChain(VellV8PluginFactoryCluster::Instance()->Register(nBrowserId, this));
  });
  connect(this, &VellSignalsWidget::OnBeforeClose, this, [](int nBrowserId) {
    VellError::LogErrorChain(VellV8PluginFactoryCluster::Instance()->UnRegister(nBrowserId));
  });
}

QString VellSignalsWidget::GetUrl() const {
  std::lock_guard<std::mutex> lock(m_urlMutex);
  return m_strUrl;
}

void VellSignalsWidget::SetUrl(const QString& url) {
  if (url.startsWith("chrome://", Qt::CaseSensitive)) return;
  std::lock_guard<std::mutex> lock(m_urlMutex);
  m_strUrl = url;
}

void VellSignalsWidget::_HandleRenderProcessTerminated(int nBrowserId, const std::string& strUrl, int status) {
  const int previous = m_nRenderProcessTerminatedCounter.fetch_add(1);
  const std::string line = fmt::format(
      "OnRenderProcessTerminated terminated! counter = {}, browserId = {}, url = {}, status = {}, reason = {}", previous,
      nBrowserId, strUrl, status, TerminationReason(status));
  if (previous < RenderProcessTerminatedLimit()) {
    VellLog(LOGSEVERITY_INFO, line);
    return;
  }
  VellLog(LOGSEVERITY_ERROR, line);
  m_nRenderProcessTerminatedCounter = 0;
  emit OnRenderProcessTerminatedReachLimit(previous);
}

void VellSignalsWidget::AwaitOnBrowserCreated() {
  if (m_bBrowserCreated) return;
  _Await([this](QObject* context, const std::function<void()>& quit) {
    connect(this, &VellSignalsWidget::OnBrowserCreated, context, [quit](int) { quit(); }, Qt::QueuedConnection);
  }, 0);
  m_bBrowserCreated = true;
}

void VellSignalsWidget::AwaitOnBeforeClose() {
  if (m_bBeforeClose) return;
  _Await([this](QObject* context, const std::function<void()>& quit) {
    connect(this, &VellSignalsWidget::OnBeforeClose, context, [quit](int) { quit(); }, Qt::QueuedConnection);
  }, 0);
  m_bBeforeClose = true;
}

std::shared_ptr<VellError> VellSignalsWidget::AwaitOnLoadComplete(int timeoutMs) {
  if (!m_bIsLoading) return nullptr;
  return _Await([this](QObject* context, const std::function<void()>& quit) {
    WaitOnLoadComplete([context = QPointer<QObject>(context), quit] {
      if (context) quit();
    });
  }, timeoutMs);
}

void VellSignalsWidget::AwaitOnLoadSuccess(QString& url, int& code) {
  _Await([&](QObject* context, const std::function<void()>& quit) {
    connect(this, &VellSignalsWidget::OnLoadSuccess, context, [&url, &code, quit](const QString& u, int c) {
      url = u;
      code = c;
      quit();
    }, Qt::QueuedConnection);
  }, 0);
}

void VellSignalsWidget::AwaitOnLoadUrl(QString& url) {
  _Await([&](QObject* context, const std::function<void()>& quit) {
    connect(this, &VellSignalsWidget::OnLoadUrl, context, [&url, quit](const QString& u) {
      url = u;
      quit();
    }, Qt::QueuedConnection);
  }, 0);
}

void VellSignalsWidget::WaitOnBrowserCreated(std::function<void()> task, QObject* context) {
  if (m_bBrowserCreated) {
    task();
    return;
  }
  auto run = [this, task](int) {
    m_bBrowserCreated = true;
    task();
  };
  if (context) {
    connect(this, &VellSignalsWidget::OnBrowserCreated, context, run, Qt::AutoConnection);
  } else {
    connect(this, &VellSignalsWidget::OnBrowserCreated, this, run, Qt::DirectConnection);
  }
}

void VellSignalsWidget::WaitOnLoadComplete(std::function<void()> task) {
  Q_ASSERT(QThread::currentThread() == thread());
  if (!m_bIsLoading) {
    task();
    return;
  }
  m_vecLoadCompleteTasks.push_back(std::move(task));
}

void VellSignalsWidget::_OnLoadRequested(const QString& url) {
  m_bIsLoading = true;
  m_bLoadRequested = true;
  m_strRequestedUrl = url;
}

// Between a request and its start, an end may still come from the page being
// left: its success, or its abort by the request. Only a failure of the
// requested load itself (it fails before it starts) ends the wait then.
void VellSignalsWidget::_OnLoadEnded(const QString& url, bool success, int code) {
  const bool endsRequest = !success && (SameDocumentUrl(url, m_strRequestedUrl) || code != ERR_ABORTED);
  if (!m_bLoadRequested || endsRequest) {
    m_bLoadRequested = false;
    m_bIsLoading = false;
    _RunLoadCompleteTasks();
  }
  emit OnLoadComplete(url);
}

void VellSignalsWidget::_RunLoadCompleteTasks() {
  if (m_vecLoadCompleteTasks.empty()) return;
  QMetaObject::invokeMethod(this, [tasks = std::move(m_vecLoadCompleteTasks)] {
    for (const auto& task : tasks) task();
  }, Qt::QueuedConnection);
  m_vecLoadCompleteTasks.clear();
}
