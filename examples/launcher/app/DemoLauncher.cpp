#include "app/DemoLauncher.h"

#include <QCoreApplication>
#include <QStandardPaths>
#include <QtDebug>
#include <nlohmann/json.hpp>

#include "app/DemoFallbackPage.h"
#include "app/DemoMainWindow.h"
#include "app/DemoPagesArchive.h"
#include "app/DemoScreenshot.h"
#include "app/DemoWebDialogs.h"
#include "core/VellBrowserLifeSpanMonitor.h"
#include "core/VellSignalsWidget.h"
#include "core/VellWidget.h"
#include "host/DemoDialogActions.h"
#include "host/DemoHost.h"
#include "plugins/browser_plugins/VellBrowserWindowStatePlugin.h"
#include "pool/VellWidgetPool.h"

DemoLauncher::DemoLauncher(DemoOptions options, QObject* parent)
    : QObject(parent), m_options(std::move(options)), m_windowActions(this) {
  m_pDialogs = new DemoWebDialogs(
      kPagesUrl, [this](std::function<void(VellWidget*)> ready) { return _AcquirePage(false, std::move(ready)); }, this);
  connect(m_pDialogs, &DemoWebDialogs::Closed, this, [this](const QString& name) {
    if (m_pHost && name == DemoDialogActions::kConfirmDialogName) m_pHost->Dialogs().OnConfirmDialogClosed();
    DemoPages::Broadcast({{"type", "webDialogClosed"}, {"name", name.toStdString()}});
  });
  connect(&m_windowActions, &DemoWindowActions::PageEvent, this, &DemoLauncher::_OnPageEvent);
  connect(&m_windowActions, &DemoWindowActions::WindowActionRequested, this, &DemoLauncher::_OnWindowAction);
  connect(&m_windowActions, &DemoWindowActions::MoveRequested, this, &DemoLauncher::_OnMove);
  m_patience.setSingleShot(true);
  m_closeLimit.setSingleShot(true);
  m_closeLimit.setInterval(kCloseTimeoutMs);
  connect(&m_closeLimit, &QTimer::timeout, this, [this] {
    qWarning().noquote() << "Some browsers did not close in time; leaving anyway";
    _Finish();
  });
}

DemoLauncher::~DemoLauncher() { delete m_pMainWindow.data(); }

void DemoLauncher::Start() {
  const QStringList problems = _CheckPagesAndCatalogue();
  for (const QString& problem : problems) qCritical().noquote() << problem;
  auto* pool = VellWidgetPool::Instance();
  if (problems.isEmpty()) {
    pool->InitArchiveProviders({{m_options.strPagesArchive.toStdString(), kPagesUrl, VELL_DEMO_PAGES_PASSWORD}});
    _StartHost(_ConfigFolder());
  }
  pool->Init(nullptr);
  const QString home = QString(kPagesUrl) + "index.html" + (m_options.bSelfTest ? "?selftest=1" : "");
  _ShowMainWindow(problems.isEmpty() ? home : DemoFallbackPage::Url(problems));
  _StartUnattended();
}

QStringList DemoLauncher::_CheckPagesAndCatalogue() {
  QStringList problems;
  const QString archiveError = DemoPagesArchive::Check(m_options.strPagesArchive, VELL_DEMO_PAGES_PASSWORD);
  if (!archiveError.isEmpty()) problems << archiveError;
  const QString catalogueError = m_catalogue.Load(m_options.strDataFolder);
  if (!catalogueError.isEmpty()) problems << "The sample catalogue cannot be used: " + catalogueError;
  return problems;
}

// A self-test leaves the user's own files alone.
QString DemoLauncher::_ConfigFolder() {
  if (!m_options.strConfigFolder.isEmpty()) return m_options.strConfigFolder;
  if (m_options.bSelfTest) return m_selfTestConfig.path();
  return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
}

void DemoLauncher::_StartHost(const QString& configFolder) {
  m_pHost = new DemoHost(m_catalogue, configFolder, kPagesUrl, this);
  m_listWarnings = m_pHost->Start();
  for (const QString& warning : m_listWarnings) qWarning().noquote() << warning;
  if (m_options.bSelfTest) m_pHost->Dialogs().SetDialogQuery("selftest=1");
  DemoDialogActions* dialogs = &m_pHost->Dialogs();
  connect(dialogs, &DemoDialogActions::WebDialogRequested, m_pDialogs, &DemoWebDialogs::Open);
  connect(dialogs, &DemoDialogActions::WebDialogUpdateRequested, m_pDialogs, &DemoWebDialogs::Update);
  connect(dialogs, &DemoDialogActions::WebDialogCloseRequested, m_pDialogs, &DemoWebDialogs::CloseShowing);
}

void DemoLauncher::_ShowMainWindow(const QString& url) {
  m_pMainWindow = new DemoMainWindow();
  m_pDialogs->SetParentWindow(m_pMainWindow);
  connect(m_pMainWindow, &DemoMainWindow::CloseRequested, this, [this] { _Quit(0); });
  connect(m_pMainWindow, &DemoMainWindow::NormalSizeChanged, this, [this](bool normal) {
    if (VellWidget* page = m_pMainWindow->Page()) {
      VellError::LogErrorChain(VellBrowserWindowStatePlugin::NotifyWindowNormalSizeChanged(page, normal));
    }
  });
  _ShowMainPage(url.toStdString(), true);
  m_pMainWindow->show();
}

// A home page whose browser closes by itself (Chromium died; the runtime
// starts a new one) is shown again in a new browser.
void DemoLauncher::_ShowMainPage(const std::string& address, bool first) {
  VellWidget* page = _AcquirePage(true, [this, address, first](VellWidget* shown) {
    shown->LoadUrl(address);
    if (!first) return;
    for (const QString& warning : m_listWarnings) m_pHost->Dialogs().Toast(warning, 8000);
  });
  if (!page) {
    qCritical().noquote() << "The runtime refused to create a browser; see the log above";
    QMetaObject::invokeMethod(this, [this] { _Quit(1); }, Qt::QueuedConnection);
    return;
  }
  connect(page->GetVellSignalsWidget(), &VellSignalsWidget::OnBeforeClose, this, [this, address](int) {
    if (m_bQuitting || !m_pMainWindow) return;
    qWarning().noquote() << "The home page's browser closed by itself; showing the page again";
    _ShowMainPage(address, false);
  });
  page->SetMainWindow(m_pMainWindow);
  m_pMainWindow->ShowPage(page);
}

void DemoLauncher::_StartUnattended() {
  if (m_options.bSelfTest) {
    m_patience.setInterval(kSelfTestPatienceMs);
    connect(&m_patience, &QTimer::timeout, this, [this] {
      m_report.Fail("the pages did not finish within the time allowed");
      _Quit(m_report.Finish(-1));
    });
    m_patience.start();
  }
  if (m_options.strScreenshotPath.isEmpty()) return;
  m_patience.setInterval(kPicturePatienceMs);
  connect(&m_patience, &QTimer::timeout, this, [this] {
    qCritical().noquote() << "The home page did not settle in time: no picture taken";
    _Quit(1);
  });
  m_patience.start();
}

VellWidget* DemoLauncher::_AcquirePage(bool isMain, std::function<void(VellWidget*)> ready) {
  VellWidget* page = VellWidgetPool::Instance()->Acquire();
  if (!page) return nullptr;
  VellSignalsWidget* signalsWidget = page->GetVellSignalsWidget();
  connect(signalsWidget, &VellSignalsWidget::OnQuitKeyPress, this, [this] { _Quit(0); });
  connect(signalsWidget, &VellSignalsWidget::OnLoadError, this,
          [](const QString& url, int code, const QString& text) {
            qWarning().noquote() << QString("A page did not load: %1 (%2, %3)").arg(url.left(200)).arg(code).arg(text);
          });
  signalsWidget->WaitOnBrowserCreated([this, guard = QPointer<VellWidget>(page), isMain, ready] {
    if (!guard || m_bQuitting) return;
    m_windowActions.Bind(guard);
    if (m_pHost) m_pHost->Bind(guard, isMain);
    ready(guard);
  }, page);
  return page;
}

void DemoLauncher::_OnPageEvent(VellWidget*, const QString& json) {
  const nlohmann::json event = nlohmann::json::parse(json.toStdString(), nullptr, false);
  const std::string type = event.is_object() ? event.value("type", "") : "";
  if (type == "settled") return _OnSettled();
  if (type == "check") return _OnCheck(json);
  if (type != "selfTestDone" || !m_options.bSelfTest) return;
  const int announced = event.value("total", -1);
  _Quit(m_report.Finish(announced));
}

// The home page (or the fallback page) has rendered what its calls answered.
void DemoLauncher::_OnSettled() {
  if (m_options.bSelfTest && !m_pHost) {
    m_report.Fail("the launcher's pages could not be shown (see the log)");
    return _Quit(m_report.Finish(-1));
  }
  if (m_options.strScreenshotPath.isEmpty() || m_pScreenshot || !m_pMainWindow) return;
  m_pScreenshot = new DemoScreenshot(m_pMainWindow, m_options.strScreenshotPath, this);
  connect(m_pScreenshot, &DemoScreenshot::Done, this, [this](bool written, const QString& problem) {
    if (!problem.isEmpty()) qCritical().noquote() << problem;
    if (written) qInfo().noquote() << "Picture written to" << m_options.strScreenshotPath;
    _Quit(!written ? 1 : problem.isEmpty() ? 0 : kBlankPictureStatus);
  });
  m_pScreenshot->TakeWhenStill();
}

void DemoLauncher::_OnCheck(const QString& json) {
  if (!m_options.bSelfTest) return;
  const nlohmann::json check = nlohmann::json::parse(json.toStdString(), nullptr, false);
  m_report.Check(QString::fromStdString(check.value("name", "?")), check.value("ok", false),
                 QString::fromStdString(check.value("detail", "")));
}

void DemoLauncher::_OnWindowAction(VellWidget* page, int action) {
  if (m_pDialogs->Showing(page)) {
    if (action == DemoWindowActions::kClose) m_pDialogs->CloseShowing(page);
    return;
  }
  if (!m_pMainWindow || page != m_pMainWindow->Page()) return;
  switch (action) {
    case DemoWindowActions::kMinimise:
      m_pMainWindow->showMinimized();
      break;
    case DemoWindowActions::kMaximise:
      m_pMainWindow->ToggleMaximised();
      break;
    case DemoWindowActions::kRestore:
      m_pMainWindow->showNormal();
      break;
    case DemoWindowActions::kClose:
      _Quit(m_options.bSelfTest ? 1 : 0);
      break;
    default:
      qWarning().noquote() << "A page asked for an unknown window action" << action;
  }
}

void DemoLauncher::_OnMove(VellWidget* page, int deltaX, int deltaY) {
  QWidget* window = page->window();
  if (window->isMaximized()) return;
  window->move(window->pos() + QPoint(deltaX, deltaY));
}

// Shutdown in the framework's order: the windows close (and with their
// widgets the browsers), the pool lets its reserve go, the last browser is
// waited for, then the event loop ends and main shuts the runtime down.
void DemoLauncher::_Quit(int exitCode) {
  if (m_bQuitting) return;
  m_bQuitting = true;
  m_nExitCode = exitCode;
  m_patience.stop();
  m_closeLimit.start();
  _CloseWindows();
  VellWidgetPool::Instance()->ReleaseAll([this](bool timedOut) {
    if (timedOut) qWarning().noquote() << "The pool's browsers did not all close in time";
    m_bPoolReleased = true;
    QMetaObject::invokeMethod(this, &DemoLauncher::_FinishIfClosed, Qt::QueuedConnection);
  }, kCloseTimeoutMs);
}

// Each closing page's signals widget is freed by the pool after its
// browser's last notification: that is when the page is gone.
void DemoLauncher::_CloseWindows() {
  std::vector<VellWidget*> pages = m_pDialogs->Pages();
  if (m_pMainWindow && m_pMainWindow->Page()) pages.push_back(m_pMainWindow->Page());
  for (VellWidget* page : pages) {
    VellSignalsWidget* signalsWidget = page->GetVellSignalsWidget();
    m_vecClosing.emplace_back(signalsWidget);
    connect(signalsWidget, &QObject::destroyed, this, &DemoLauncher::_FinishIfClosed, Qt::QueuedConnection);
  }
  m_pDialogs->CloseAll();
  delete m_pMainWindow.data();
}

void DemoLauncher::_FinishIfClosed() {
  if (!m_bPoolReleased) return;
  for (const auto& closing : m_vecClosing) {
    if (closing) return;
  }
  _Finish();
}

void DemoLauncher::_Finish() {
  if (m_bFinished) return;
  m_bFinished = true;
  m_closeLimit.stop();
  if (auto error = VellBrowserLifeSpanMonitor::Instance()->Wait(kCloseTimeoutMs)) VellError::LogErrorChain(error);
  QCoreApplication::exit(m_nExitCode);
}
