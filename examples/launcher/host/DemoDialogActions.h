#pragma once

#include <functional>

#include <QObject>
#include <QSize>
#include <QString>

#include "host/DemoPages.h"
#include "plugins/ui_plugins/VellOpenConfirmDialogPlugin.h"

// The web dialogs and toasts the pages ask for: openWebDialog,
// updateWebDialog, closeWebDialog, openConfirmDialog with the confirmation
// page's closeConfirmDialog, openGameServerDialog, and toast. The launcher
// shows the dialogs; this object words their pages' addresses and answers
// the page that asked for a confirmation.
class DemoDialogActions : public QObject {
  Q_OBJECT

 public:
  static constexpr char kConfirmDialogName[] = "confirm";
  static constexpr char kServerDialogName[] = "servers";

  DemoDialogActions(DemoPages& pages, QString strPagesUrl, QObject* parent);

  // Added to the address of every dialog page this object opens.
  void SetDialogQuery(const QString& query) { m_strDialogQuery = query; }
  void Bind(VellWidget* widget);
  // A toast in the main page.
  void Toast(const QString& message, int ms = 3000) const;
  // The confirmation dialog was closed without an answer.
  void OnConfirmDialogClosed();

 signals:
  void WebDialogRequested(QString name, QString url, QSize size);
  void WebDialogUpdateRequested(QString name, QString url, QSize size);
  void WebDialogCloseRequested(VellWidget* widget);

 private:
  using ConfirmAnswer = VellOpenConfirmDialogPluginModel::FireOpenConfirmDialogCallback;
  QString _DialogUrl(const QString& page, const QString& query) const;
  static QString _Encode(const std::string& text);
  void _OpenConfirm(const VellOpenConfirmDialogPluginModel::RequestModel& request, const ConfirmAnswer& answer);
  void _AnswerConfirm(bool checked, int action);

  DemoPages& m_pages;
  const QString m_strPagesUrl;
  QString m_strDialogQuery;
  ConfirmAnswer m_fnPendingConfirm;
};
