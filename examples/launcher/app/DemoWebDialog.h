#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>

class VellWidget;

// A web dialog: a frameless dialog over the main window showing one page in
// a browser of its own. Deletes itself once closed.
class DemoWebDialog : public QDialog {
  Q_OBJECT

 public:
  DemoWebDialog(QString strName, VellWidget* page, QWidget* parent);

  VellWidget* Page() const;
  // A size of 0 keeps that side; the dialog stays centred on its parent.
  void Fit(const QSize& size);

 signals:
  void Closed(QString name);

 protected:
  void done(int result) override;

 private:
  QString m_strName;
  QPointer<VellWidget> m_pPage;
};
