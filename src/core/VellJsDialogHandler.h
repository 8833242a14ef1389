#pragma once

#include <QPointer>

#include "include/cef_jsdialog_handler.h"

class QDialog;
class VellSignalsWidget;

// The launcher's default for a page's JavaScript dialogs: a Qt dialog modal
// to the window that shows the page (alert: OK; confirm: OK and Cancel;
// prompt: a line of text; leaving the page: Leave and Stay). The page waits
// for the answer. A dialog whose browser closes, or whose page is left, is
// closed as Cancel.
//
// Threads: the handler's calls arrive on the CEF UI thread; the dialog is
// made, shown and answered on the Qt thread.
class VellJsDialogHandler : public CefJSDialogHandler {
 public:
  explicit VellJsDialogHandler(VellSignalsWidget* signalsWidget);

  bool OnJSDialog(CefRefPtr<CefBrowser> browser, const CefString& originUrl, JSDialogType dialogType,
                  const CefString& messageText, const CefString& defaultPromptText,
                  CefRefPtr<CefJSDialogCallback> callback, bool& suppressMessage) override;
  bool OnBeforeUnloadDialog(CefRefPtr<CefBrowser> browser, const CefString& messageText, bool isReload,
                            CefRefPtr<CefJSDialogCallback> callback) override;
  void OnResetDialogState(CefRefPtr<CefBrowser> browser) override;

 private:
  struct Request {
    JSDialogType type = JSDIALOGTYPE_ALERT;
    bool bBeforeUnload = false;
    QString strTitle;
    QString strMessage;
    QString strDefaultText;
  };
  // Qt thread.
  void _Show(const Request& request, CefRefPtr<CefJSDialogCallback> callback);

  QPointer<VellSignalsWidget> m_pSignalsWidget;  // not owned
  QPointer<QDialog> m_pDialog;                   // Qt thread: the dialog open now
  IMPLEMENT_REFCOUNTING(VellJsDialogHandler);
};
