#include "core/VellFileDialogHandler.h"

#include <QApplication>
#include <QFileDialog>
#include <QMimeDatabase>

#include "core/VellSignalsWidget.h"
#include "core/VellWidget.h"

namespace {

// The file name patterns of one accepted type.
QStringList PatternsOf(const QString& filter) {
  if (filter.startsWith('.')) return {"*" + filter};
  QMimeDatabase database;
  if (!filter.endsWith("/*")) return database.mimeTypeForName(filter).globPatterns();
  QStringList patterns;
  const QString family = filter.chopped(1);
  for (const QMimeType& type : database.allMimeTypes()) {
    if (type.name().startsWith(family)) patterns += type.globPatterns();
  }
  return patterns;
}

}  // namespace

VellFileDialogHandler::VellFileDialogHandler(VellSignalsWidget* signalsWidget) : m_pSignalsWidget(signalsWidget) {}

QStringList VellFileDialogHandler::NameFilters(const std::vector<CefString>& acceptFilters) {
  QStringList patterns;
  for (const CefString& filter : acceptFilters) patterns += PatternsOf(QString::fromStdString(filter.ToString()).toLower());
  patterns.removeDuplicates();
  QStringList filters;
  if (!patterns.isEmpty()) filters << QObject::tr("Accepted files (%1)").arg(patterns.join(' '));
  filters << QObject::tr("All files (*)");
  return filters;
}

bool VellFileDialogHandler::OnFileDialog(CefRefPtr<CefBrowser>, FileDialogMode mode, const CefString&,
                                         const CefString&, const std::vector<CefString>& acceptFilters, int,
                                         CefRefPtr<CefFileDialogCallback> callback) {
  const bool bMultiple = (mode & FILE_DIALOG_TYPE_MASK) == FILE_DIALOG_OPEN_MULTIPLE;
  const QStringList nameFilters = NameFilters(acceptFilters);
  CefRefPtr<VellFileDialogHandler> self(this);
  QMetaObject::invokeMethod(qApp, [self, bMultiple, nameFilters, callback] { self->_Show(bMultiple, nameFilters, callback); });
  return true;
}

void VellFileDialogHandler::_Show(bool bMultiple, const QStringList& nameFilters,
                                  CefRefPtr<CefFileDialogCallback> callback) {
  if (!m_pSignalsWidget) {
    callback->Cancel();
    return;
  }
  VellWidget* shown = VellWidget::Showing(m_pSignalsWidget);
  auto* dialog = new QFileDialog(shown ? shown->window() : nullptr);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setFileMode(bMultiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
  dialog->setNameFilters(nameFilters);
  dialog->setWindowModality(shown ? Qt::WindowModal : Qt::ApplicationModal);
  QObject::connect(dialog, &QDialog::finished, dialog, [dialog, callback](int result) {
    if (result != QDialog::Accepted) return callback->Cancel();
    std::vector<CefString> paths;
    for (const QString& path : dialog->selectedFiles()) paths.emplace_back(path.toStdString());
    callback->Continue(0, paths);
  });
  QObject::connect(m_pSignalsWidget, &VellSignalsWidget::OnBeforeClose, dialog, &QDialog::reject);
  dialog->open();
}
