#include "host/DemoDialogActions.h"

#include <QUrl>

#include "plugins/ui_plugins/VellCloseConfirmDialogPlugin.h"
#include "plugins/ui_plugins/VellCloseWebDialogPlugin.h"
#include "plugins/ui_plugins/VellOpenGameServerDialogPlugin.h"
#include "plugins/ui_plugins/VellOpenWebDialogPlugin.h"
#include "plugins/ui_plugins/VellToastPlugin.h"
#include "plugins/ui_plugins/VellUpdateWebDialogPlugin.h"

namespace {
const QSize kConfirmSize(460, 280);
const QSize kServerDialogSize(600, 560);
}  // namespace

DemoDialogActions::DemoDialogActions(DemoPages& pages, QString strPagesUrl, QObject* parent)
    : QObject(parent), m_pages(pages), m_strPagesUrl(std::move(strPagesUrl)) {}

void DemoDialogActions::Bind(VellWidget* widget) {
  QPointer<VellWidget> page(widget);
  connect(DemoPages::Find<VellOpenWebDialogPlugin>(widget), &VellOpenWebDialogPlugin::FireOpenWebDialog, this,
          [this](const VellOpenWebDialogPluginModel::FireOpenWebDialogModel& request) {
            emit WebDialogRequested(QString::fromStdString(request.name), QString::fromStdString(request.url),
                                    QSize(request.width, request.height));
          });
  connect(DemoPages::Find<VellUpdateWebDialogPlugin>(widget), &VellUpdateWebDialogPlugin::FireUpdateWebDialog, this,
          [this](const VellUpdateWebDialogPluginModel::FireUpdateWebDialogModel& request) {
            emit WebDialogUpdateRequested(QString::fromStdString(request.name), QString::fromStdString(request.url),
                                          QSize(request.width, request.height));
          });
  connect(DemoPages::Find<VellCloseWebDialogPlugin>(widget), &VellCloseWebDialogPlugin::FireCloseDialog, this,
          [this, page] {
            if (page) emit WebDialogCloseRequested(page);
          });
  connect(DemoPages::Find<VellOpenConfirmDialogPlugin>(widget), &VellOpenConfirmDialogPlugin::FireOpenConfirmDialog,
          this, &DemoDialogActions::_OpenConfirm);
  connect(DemoPages::Find<VellCloseConfirmDialogPlugin>(widget), &VellCloseConfirmDialogPlugin::FireCloseConfirmDialog,
          this, [this, page](const VellCloseConfirmDialogPluginModel::RequestModel& request) {
            _AnswerConfirm(request.isCheckBoxChecked, request.action);
            if (page) emit WebDialogCloseRequested(page);
          });
  connect(DemoPages::Find<VellOpenGameServerDialogPlugin>(widget),
          &VellOpenGameServerDialogPlugin::FireOpenGameServerDialog, this,
          [this](const VellOpenGameServerDialogPluginModel::RequestModel& request) {
            const QString query = "appCode=" + _Encode(request.appCode);
            emit WebDialogRequested(kServerDialogName, _DialogUrl("servers.html", query), kServerDialogSize);
          });
  connect(DemoPages::Find<VellToastPlugin>(widget), &VellToastPlugin::FireToast, this,
          [this](const VellToastPluginModel::FireToastModel& toast) {
            if (VellWidget* main = m_pages.Main()) VellToastPlugin::NotifyToast(main, {toast.message, toast.ms, toast.position});
          });
}

void DemoDialogActions::Toast(const QString& message, int ms) const {
  VellWidget* main = m_pages.Main();
  if (!main) return;
  VellError::LogErrorChain(VellToastPlugin::NotifyToast(main, {message.toStdString(), ms, 0}));
}

QString DemoDialogActions::_DialogUrl(const QString& page, const QString& query) const {
  QString url = m_strPagesUrl + page + "?" + query;
  if (!m_strDialogQuery.isEmpty()) url += "&" + m_strDialogQuery;
  return url;
}

void DemoDialogActions::_OpenConfirm(const VellOpenConfirmDialogPluginModel::RequestModel& request,
                                     const ConfirmAnswer& answer) {
  if (m_fnPendingConfirm) {
    answer({{}, "another confirmation is open"});
    return;
  }
  m_fnPendingConfirm = answer;
  const nlohmann::json shown = {{"title", request.title},
                                {"content", request.content},
                                {"leftButtonText", request.leftButtonText},
                                {"rightButtonText", request.rightButtonText},
                                {"checkboxText", request.checkboxText},
                                {"checkedText", request.checkedText},
                                {"withCloseButton", request.withCloseButton},
                                {"buttonType", request.buttonType}};
  emit WebDialogRequested(kConfirmDialogName, _DialogUrl("confirm.html", "data=" + _Encode(shown.dump())),
                          kConfirmSize);
}

void DemoDialogActions::_AnswerConfirm(bool checked, int action) {
  if (!m_fnPendingConfirm) return;
  ConfirmAnswer answer = std::move(m_fnPendingConfirm);
  m_fnPendingConfirm = nullptr;
  answer({{checked, action}, ""});
}

QString DemoDialogActions::_Encode(const std::string& text) {
  return QString::fromLatin1(QUrl::toPercentEncoding(QString::fromStdString(text)));
}

void DemoDialogActions::OnConfirmDialogClosed() { _AnswerConfirm(false, 0); }
