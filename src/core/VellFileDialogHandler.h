#pragma once

#include <QPointer>
#include <QStringList>

#include "include/cef_dialog_handler.h"

class VellSignalsWidget;

// The launcher's default for a page's file choosers: a QFileDialog modal to
// the window that shows the page, filtered by the input's accepted types
// (with "All files" beside them). The chosen files reach the page's input;
// a chooser whose browser closes is closed without a choice.
//
// Threads: the handler's call arrives on the CEF UI thread; the dialog is
// made, shown and answered on the Qt thread.
class VellFileDialogHandler : public CefDialogHandler {
 public:
  explicit VellFileDialogHandler(VellSignalsWidget* signalsWidget);

  bool OnFileDialog(CefRefPtr<CefBrowser> browser, FileDialogMode mode, const CefString& title,
                    const CefString& defaultFilePath, const std::vector<CefString>& acceptFilters,
                    int selectedAcceptFilter, CefRefPtr<CefFileDialogCallback> callback) override;

  // The name filters a chooser shows for an input's accepted types (".png",
  // "image/*", "text/plain"): one of every accepted pattern, then all files.
  static QStringList NameFilters(const std::vector<CefString>& acceptFilters);

 private:
  // Qt thread.
  void _Show(bool bMultiple, const QStringList& nameFilters, CefRefPtr<CefFileDialogCallback> callback);

  QPointer<VellSignalsWidget> m_pSignalsWidget;  // not owned
  IMPLEMENT_REFCOUNTING(VellFileDialogHandler);
};
