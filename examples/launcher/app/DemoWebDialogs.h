#pragma once

#include <functional>
#include <map>

#include <QObject>
#include <QPointer>
#include <QSize>
#include <QString>

#include "app/DemoWebDialog.h"

class VellWidget;

// The web dialogs open over the main window, one per name: opening a name
// that is open shows the new address in it. Only the launcher's own pages
// may be shown in a dialog.
class DemoWebDialogs : public QObject {
  Q_OBJECT

 public:
  // Hands out a page whose browser calls `ready` once it can load.
  using AcquirePage = std::function<VellWidget*(std::function<void(VellWidget*)> ready)>;

  DemoWebDialogs(QString strPagesUrl, AcquirePage acquire, QObject* parent);
  void SetParentWindow(QWidget* window) { m_pParent = window; }

  void Open(const QString& name, const QString& url, const QSize& size);
  void Update(const QString& name, const QString& url, const QSize& size);
  // Closes the dialog showing `page`; for the main page (shown in none), every dialog.
  void CloseShowing(const VellWidget* page);
  void CloseAll();
  // The dialog showing `page`, null for none.
  DemoWebDialog* Showing(const VellWidget* page) const;
  // The dialogs' pages, for the launcher's shutdown.
  std::vector<VellWidget*> Pages() const;

 signals:
  void Closed(QString name);

 private:
  bool _IsOwnPage(const QString& url) const;
  DemoWebDialog* _Find(const QString& name) const;

  const QString m_strPagesUrl;
  AcquirePage m_fnAcquire;
  QPointer<QWidget> m_pParent;
  std::map<QString, QPointer<DemoWebDialog>> m_mapDialogs;
};
