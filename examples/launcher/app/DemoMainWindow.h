#pragma once

#include <QPointer>
#include <QWidget>

class VellWidget;

// The launcher's frameless main window: its page draws the title bar and
// moves, minimises, maximises and closes the window through the launcher.
class DemoMainWindow : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kWidth = 1280;
  static constexpr int kHeight = 760;

  explicit DemoMainWindow(QWidget* parent = nullptr);
  // Shows `page` filling the window in place of the page shown before (which
  // goes); the window owns it from now on.
  void ShowPage(VellWidget* page);
  VellWidget* Page() const;
  void ToggleMaximised();

 signals:
  // The system (or Alt+F4 in the window) asks to close: the launcher decides.
  void CloseRequested();
  void NormalSizeChanged(bool normal);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  QPointer<VellWidget> m_pPage;
};
