#include "core/VellJsDialogHandler.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

#include "core/VellSignalsWidget.h"
#include "core/VellWidget.h"

VellJsDialogHandler::VellJsDialogHandler(VellSignalsWidget* signalsWidget) : m_pSignalsWidget(signalsWidget) {}

bool VellJsDialogHandler::OnJSDialog(CefRefPtr<CefBrowser>, const CefString& originUrl, JSDialogType dialogType,
                                     const CefString& messageText, const CefString& defaultPromptText,
                                     CefRefPtr<CefJSDialogCallback> callback, bool&) {
  Request request;
  request.type = dialogType;
  // A dialog says which page asks, as a browser's does.
  request.strTitle = QUrl(QString::fromStdString(originUrl.ToString())).host();
  if (request.strTitle.isEmpty()) request.strTitle = QApplication::applicationDisplayName();
  request.strMessage = QString::fromStdString(messageText.ToString());
  request.strDefaultText = QString::fromStdString(defaultPromptText.ToString());
  CefRefPtr<VellJsDialogHandler> self(this);
  QMetaObject::invokeMethod(qApp, [self, request, callback] { self->_Show(request, callback); });
  return true;
}

bool VellJsDialogHandler::OnBeforeUnloadDialog(CefRefPtr<CefBrowser>, const CefString& messageText, bool,
                                               CefRefPtr<CefJSDialogCallback> callback) {
  Request request;
  request.bBeforeUnload = true;
  request.strTitle = QApplication::applicationDisplayName();
  request.strMessage = QString::fromStdString(messageText.ToString());
  CefRefPtr<VellJsDialogHandler> self(this);
  QMetaObject::invokeMethod(qApp, [self, request, callback] { self->_Show(request, callback); });
  return true;
}

void VellJsDialogHandler::OnResetDialogState(CefRefPtr<CefBrowser>) {
  CefRefPtr<VellJsDialogHandler> self(this);
  QMetaObject::invokeMethod(qApp, [self] {
    if (self->m_pDialog) self->m_pDialog->reject();
  });
}

void VellJsDialogHandler::_Show(const Request& request, CefRefPtr<CefJSDialogCallback> callback) {
  if (!m_pSignalsWidget) {
    callback->Continue(false, CefString());
    return;
  }
  // Modal to the application while the browser waits unseen in the pool.
  VellWidget* shown = VellWidget::Showing(m_pSignalsWidget);
  QWidget* parent = shown ? shown->window() : nullptr;
  if (request.type == JSDIALOGTYPE_PROMPT && !request.bBeforeUnload) {
    auto* dialog = new QInputDialog(parent);
    dialog->setWindowTitle(request.strTitle);
    dialog->setLabelText(request.strMessage);
    dialog->setTextValue(request.strDefaultText);
    QObject::connect(dialog, &QDialog::finished, dialog, [dialog, callback](int result) {
      callback->Continue(result == QDialog::Accepted, dialog->textValue().toStdString());
    });
    m_pDialog = dialog;
  } else {
    auto* box = new QMessageBox(parent);
    box->setWindowTitle(request.strTitle);
    box->setText(request.bBeforeUnload ? QObject::tr("Leave this page? Changes you made may not be saved.")
                                       : request.strMessage);
    QPushButton* accept = nullptr;
    if (request.bBeforeUnload) {
      accept = box->addButton(QObject::tr("Leave"), QMessageBox::AcceptRole);
      box->setEscapeButton(box->addButton(QObject::tr("Stay"), QMessageBox::RejectRole));
    } else {
      accept = box->addButton(QMessageBox::Ok);
      if (request.type == JSDIALOGTYPE_CONFIRM) box->setEscapeButton(box->addButton(QMessageBox::Cancel));
    }
    QObject::connect(box, &QDialog::finished, box, [box, accept, callback](int) {
      callback->Continue(box->clickedButton() == accept, CefString());
    });
    m_pDialog = box;
  }
  m_pDialog->setAttribute(Qt::WA_DeleteOnClose);
  m_pDialog->setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
  m_pDialog->open();
}
