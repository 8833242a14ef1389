#include "pool/VellWidgetPool.h"

#include <QPointer>
#include <QTimer>
#include <fmt/format.h>

#include <algorithm>

#include "base/VellLoggerAgent.h"
#include "core/VellHandler.h"
#include "core/VellIndependentBrowser.h"
#include "core/VellSignalsWidget.h"
#include "inter/VellBrowserWrapper.h"
#include "pool/VellArchiveProvider.h"
#include "pool/VellWidgetDeleter.h"

namespace {

constexpr int kReserveIntervalMs = 2000;
// Names the connection that frees an idle browser that closes; taken away
// when the browser is handed out.
const char kIdleGuardName[] = "VellWidgetPool idle guard";

// One browser's door to a provider the pool owns: its resource manager owns
// the door, never the provider; a provider released by the pool lets every
// request through.
class VellSharedProviderDoor : public CefResourceManager::Provider {
 public:
  explicit VellSharedProviderDoor(std::weak_ptr<VellArchiveProvider> provider) : m_provider(std::move(provider)) {}
  bool OnRequest(CefRefPtr<CefResourceManager::Request> request) override {
    auto provider = m_provider.lock();
    return provider && provider->OnRequest(request);
  }

 private:
  std::weak_ptr<VellArchiveProvider> m_provider;
};

}  // namespace

VellWidgetPool::VellWidgetPool(size_t nInitCount, size_t nReserveCount)
    : m_nInitCount(nInitCount), m_nReserveCount(nReserveCount), m_pEventLoopManager(new VellEventLoopManager()) {}

VellWidgetPool::~VellWidgetPool() {
  m_pEventLoopManager->deleteLater();
  ReleaseArchiveProviders();
  delete m_pReserveTimer;
}

void VellWidgetPool::SetInitLoadUrl(std::string strUrl) { m_strInitLoadUrl = std::move(strUrl); }

void VellWidgetPool::Init(std::function<void()> done) {
  std::lock_guard<std::recursive_mutex> lock(m_poolMutex);
  m_bReleaseAllDone = false;
  m_bReleaseAllDoneTimeout = false;
  m_bReleased = false;
  for (size_t i = 0; i < m_nInitCount; ++i) _CreateInstance();
  if (!m_pReserveTimer) {
    m_pReserveTimer = new QTimer();
    m_pReserveTimer->setInterval(kReserveIntervalMs);
    QObject::connect(m_pReserveTimer, &QTimer::timeout, [this] {
      if (_ShouldCreateInAdvance()) _CreateInstance();
    });
  }
  m_pReserveTimer->start();
  if (done) done();
}

bool VellWidgetPool::_ShouldCreateInAdvance() const {
  return static_cast<int>(m_vecIdle.size()) < static_cast<int>(m_nReserveCount);
}

void VellWidgetPool::_CreateInstance() {
  auto* browser = new VellIndependentBrowser();
  browser->Init(m_strInitLoadUrl);
  if (browser->IsInitBrowserFailed()) {
    _Free(browser);  // already logged; the browser never comes
    return;
  }
  _AddArchiveProviders(browser);
  VellSignalsWidget* signalsWidget = browser->GetVellSignalsWidget();
  auto* idleGuard = new QObject(signalsWidget);
  idleGuard->setObjectName(kIdleGuardName);
  QObject::connect(signalsWidget, &VellSignalsWidget::OnBeforeClose, idleGuard,
                   [this, browser](int) { _OnIdleBrowserClosed(browser); });
  m_vecIdle.insert(m_vecIdle.begin(), browser);
}

void VellWidgetPool::_OnIdleBrowserClosed(VellIndependentBrowser* browser) {
  const auto it = std::find(m_vecIdle.begin(), m_vecIdle.end(), browser);
  if (it != m_vecIdle.end()) {
    VellLog(LOGSEVERITY_WARNING, "VellWidgetPool: an idle browser closed; it leaves the reserve");
    m_vecIdle.erase(it);
  }
  m_mapIdleArchives.erase(browser);
  _Free(browser);
}

// Called when the browser is created, before its first load, so that an
// initial URL under an archive's prefix is served, and again when it is
// handed out, for the archives given since.
void VellWidgetPool::_AddArchiveProviders(VellIndependentBrowser* browser) {
  CefRefPtr<CefResourceManager> manager = browser->GetVellHandler()->GetResourceManager();
  std::set<std::string>& served = m_mapIdleArchives[browser];
  for (const auto& archive : m_vecArchiveProviders) {
    if (!served.insert(archive.strIdentifier).second) continue;
    manager->AddProvider(new VellSharedProviderDoor(archive.pProvider), 0, archive.strIdentifier);
  }
}

VellWidget* VellWidgetPool::Acquire() {
  std::lock_guard<std::recursive_mutex> lock(m_poolMutex);
  if (m_bReleased) {
    VellLog(LOGSEVERITY_WARNING, "VellWidgetPool::Acquire: the pool has been released; call Init first");
    return nullptr;
  }
  if (_ShouldCreateInAdvance()) _CreateInstance();
  if (m_vecIdle.empty()) _CreateInstance();
  if (m_vecIdle.empty()) return nullptr;  // the runtime refused to create a browser (logged)
  VellIndependentBrowser* browser = m_vecIdle.back();
  m_vecIdle.pop_back();
  VellSignalsWidget* signalsWidget = browser->GetVellSignalsWidget();
  delete signalsWidget->findChild<QObject*>(kIdleGuardName, Qt::FindDirectChildrenOnly);
  auto* widget = new VellWidget(nullptr);
  widget->ConnectCefBrowser(browser);
  QObject::connect(widget, &QObject::destroyed, signalsWidget, [browser] { _FreeOnceClosed(browser); });
  _AddArchiveProviders(browser);
  m_mapIdleArchives.erase(browser);  // a widget's browser keeps what it was given
  return MoveToInUse(widget);
}

VellWidget* VellWidgetPool::MoveToInUse(VellWidget* widget) {
  std::lock_guard<std::mutex> lock(m_inUseMutex);
  _DropDestroyedInUse();
  m_vecInUse.emplace_back(widget);
  return widget;
}

// A widget announces its destruction (QObject::destroyed) when it is no
// VellWidget any more but before its guards clear, so the list is not pruned
// from that signal: destroyed widgets leave it here, and readers skip them.
void VellWidgetPool::_DropDestroyedInUse() {
  m_vecInUse.erase(std::remove_if(m_vecInUse.begin(), m_vecInUse.end(),
                                  [](const QPointer<VellWidget>& entry) { return entry.isNull(); }),
                   m_vecInUse.end());
}

std::vector<QPointer<VellWidget>> VellWidgetPool::GetVecInUse() {
  std::lock_guard<std::mutex> lock(m_inUseMutex);
  _DropDestroyedInUse();
  return m_vecInUse;
}

// A widget whose browser does not exist yet is skipped; the others still get
// the script.
std::shared_ptr<VellError> VellWidgetPool::BroadcastExecuteJavascript(const std::string& code) {
  std::lock_guard<std::mutex> lock(m_inUseMutex);
  std::shared_ptr<VellError> result;
  for (const auto& widget : m_vecInUse) {
    VellIndependentBrowser* browser = widget ? widget->GetVellIndependentBrowser() : nullptr;
    CefRefPtr<VellHandler> handler = browser ? browser->GetVellHandler() : nullptr;
    VellBrowserWrapper* wrapper = handler ? handler->GetBrowser() : nullptr;
    if (!wrapper) continue;
    auto error = wrapper->RunJavascript(code);
    if (!error) continue;
    result = result ? std::make_shared<VellError>(error->GetErrorString(), __FILE__, __LINE__,
                                                  "VellWidgetPool::BroadcastExecuteJavascript", result)
                    : error;
  }
  return result;
}

void VellWidgetPool::ReleaseAll(std::function<void(bool)> done, int timeoutMs) {
  std::lock_guard<std::recursive_mutex> lock(m_poolMutex);
  m_bReleased = true;
  if (m_pReserveTimer) m_pReserveTimer->stop();
  std::vector<QPointer<VellWidget>> inUse;
  {
    std::lock_guard<std::mutex> guard(m_inUseMutex);
    inUse.swap(m_vecInUse);
  }
  std::vector<VellIndependentBrowser*> idle;
  idle.swap(m_vecIdle);
  m_mapIdleArchives.clear();
  inUse.erase(std::remove_if(inUse.begin(), inUse.end(), [](const QPointer<VellWidget>& w) { return w.isNull(); }),
              inUse.end());
  if (idle.empty() && inUse.empty()) {
    if (done) done(false);
    return;
  }
  // Every released browser counts down when it has closed.
  auto* deleter = new VellWidgetDeleter(static_cast<unsigned>(idle.size() + inUse.size()), m_pEventLoopManager);
  QObject::connect(deleter, &VellWidgetDeleter::FireAllDeleted, deleter, [this, done, deleter] {
    deleter->deleteLater();
    if (done && !m_bReleaseAllDone.exchange(true)) done(false);
  });
  if (timeoutMs > 0) {
    QTimer::singleShot(timeoutMs, m_pEventLoopManager, [this, done] {
      if (!done || m_bReleaseAllDone.exchange(true)) return;
      VellLog(LOGSEVERITY_WARNING, "VellWidgetPool::ReleaseAll: browsers still open when the time ran out");
      m_bReleaseAllDoneTimeout = true;
      done(true);
    });
  }
  // Widgets are deleted once control is back in the event loop; their
  // browsers close now, so that the countdown also ends inside a nested wait.
  for (const auto& widget : inUse) {
    VellIndependentBrowser* browser = widget->GetVellIndependentBrowser();
    widget->setParent(nullptr);
    widget->deleteLater();
    if (!browser) {
      deleter->DecrementCounter();
      continue;
    }
    _CountDownOnClose(browser, deleter);
    browser->GetVellHandler()->Cleanup();
  }
  for (auto* browser : idle) {
    _CountDownOnClose(browser, deleter);
    browser->GetVellHandler()->Cleanup();
  }
}

void VellWidgetPool::_CountDownOnClose(VellIndependentBrowser* browser, VellWidgetDeleter* deleter) {
  VellSignalsWidget* signalsWidget = browser->GetVellSignalsWidget();
  if (signalsWidget->IsBrowserClosed()) {
    deleter->DecrementCounter();
    return;
  }
  QObject::connect(signalsWidget, &VellSignalsWidget::OnBeforeClose, deleter, &VellWidgetDeleter::DecrementCounter);
}

std::shared_ptr<VellError> VellWidgetPool::AwaitReleaseAll() {
  return m_pEventLoopManager->Await([this](QObject* context, const std::function<void()>& quit) {
    ReleaseAll([context = QPointer<QObject>(context), quit](bool) {
      if (context) quit();
    }, 0);
  }, 0);
}

void VellWidgetPool::InitArchiveProviders(std::vector<ArchiveProviderParam> params) {
  std::lock_guard<std::recursive_mutex> lock(m_poolMutex);
  for (auto& param : params) {
    if (param.strArchivePath.empty()) {
      VellLog(LOGSEVERITY_WARNING,
              fmt::format("InitArchiveProviders warn! strArchivePath is empty. strUrl = {}", param.strUrl));
      continue;
    }
    auto provider = std::make_shared<VellArchiveProvider>(param.strUrl, param.strArchivePath, param.strPassword);
    provider->StartLoad();
    m_vecArchiveProviders.push_back({std::move(provider), fmt::format("VellWidgetPool archive {}", ++m_nArchiveSerial)});
  }
}

void VellWidgetPool::InitArchiveProviders(const std::function<std::vector<ArchiveProviderParam>()>& params) {
  InitArchiveProviders(params());
}

// The doors of browsers already handed out stay in their managers but let
// every request through once the provider is gone; an idle browser's are
// taken out, so that the browser is handed out without them.
void VellWidgetPool::ReleaseArchiveProviders() {
  std::lock_guard<std::recursive_mutex> lock(m_poolMutex);
  for (auto& [browser, served] : m_mapIdleArchives) {
    CefRefPtr<CefResourceManager> manager = browser->GetVellHandler()->GetResourceManager();
    for (const std::string& identifier : served) manager->RemoveProviders(identifier);
    served.clear();
  }
  m_vecArchiveProviders.clear();
}

// A handed-out browser whose widget is gone.
void VellWidgetPool::_FreeOnceClosed(VellIndependentBrowser* browser) {
  VellSignalsWidget* signalsWidget = browser->GetVellSignalsWidget();
  if (signalsWidget->IsBrowserClosed()) {
    _Free(browser);
    return;
  }
  QObject::connect(signalsWidget, &VellSignalsWidget::OnBeforeClose, signalsWidget, [browser](int) { _Free(browser); });
}

// The signals widget goes last: the handler may still hold queued
// notifications for it until OnBeforeClose has been delivered.
void VellWidgetPool::_Free(VellIndependentBrowser* browser) {
  if (VellSignalsWidget* signalsWidget = browser->GetVellSignalsWidget()) signalsWidget->deleteLater();
  delete browser;
}
