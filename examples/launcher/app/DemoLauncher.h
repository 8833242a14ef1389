#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

#include "app/DemoOptions.h"
#include "app/DemoSelfTestReport.h"
#include "host/DemoCatalogue.h"
#include "host/DemoWindowActions.h"

class DemoHost;
class DemoMainWindow;
class DemoScreenshot;
class DemoWebDialogs;
class VellSignalsWidget;
class VellWidget;

// The demo launcher: serves the pages from their archive, shows the home
// page in the frameless main window and web dialogs over it (every page in
// a browser from the framework's pool), lets the host answer the pages, and
// shuts down in the framework's order. Without a person it takes a picture
// or runs the pages' self-test. Qt thread.
class DemoLauncher : public QObject {
  Q_OBJECT

 public:
  static constexpr char kPagesUrl[] = "https://launcher.test/";
  // The longest the pages may take to settle for a picture, or to self-test.
  static constexpr int kPicturePatienceMs = 45000;
  static constexpr int kSelfTestPatienceMs = 90000;
  // The exit status of a picture written while a page had painted nothing.
  static constexpr int kBlankPictureStatus = 3;
  // The longest the browsers may take to close at shutdown.
  static constexpr int kCloseTimeoutMs = 10000;

  explicit DemoLauncher(DemoOptions options, QObject* parent = nullptr);
  ~DemoLauncher() override;

  void Start();

 private:
  // Everything that keeps the pages from being shown (archive, catalogue).
  QStringList _CheckPagesAndCatalogue();
  QString _ConfigFolder();
  void _StartHost(const QString& configFolder);
  void _ShowMainWindow(const QString& url);
  void _ShowMainPage(const std::string& address, bool first);
  void _StartUnattended();
  VellWidget* _AcquirePage(bool isMain, std::function<void(VellWidget*)> ready);
  void _OnPageEvent(VellWidget* page, const QString& json);
  void _OnSettled();
  void _OnCheck(const QString& json);
  void _OnWindowAction(VellWidget* page, int action);
  void _OnMove(VellWidget* page, int deltaX, int deltaY);
  void _Quit(int exitCode);
  void _CloseWindows();
  void _FinishIfClosed();
  void _Finish();

  const DemoOptions m_options;
  DemoCatalogue m_catalogue;
  QTemporaryDir m_selfTestConfig;
  DemoWindowActions m_windowActions;
  DemoHost* m_pHost = nullptr;
  DemoWebDialogs* m_pDialogs = nullptr;
  QPointer<DemoMainWindow> m_pMainWindow;
  DemoScreenshot* m_pScreenshot = nullptr;
  DemoSelfTestReport m_report;
  QTimer m_patience;
  QTimer m_closeLimit;
  bool m_bQuitting = false;
  bool m_bPoolReleased = false;
  bool m_bFinished = false;
  int m_nExitCode = 0;
  std::vector<QPointer<VellSignalsWidget>> m_vecClosing;
  QStringList m_listWarnings;
};
