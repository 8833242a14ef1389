#pragma once

#include <functional>

#include <QElapsedTimer>
#include <QMenu>

namespace cefcompat {

// A `<select>`'s list as a person uses a browser's: opened under the select
// at least as wide as it, the current option marked and active; arrows,
// Enter and Escape as in any menu, and typing an option's first letters goes
// to it. Qt thread; deletes itself when closed.
class SelectMenu : public QMenu {
  Q_OBJECT

 public:
  explicit SelectMenu(QWidget* parent);
  void AddOption(const QString& label, int index, bool enabled, bool current);
  // Shows the list under `select` (screen coordinates); `done` gets the
  // chosen index, or -1, once the list is closed.
  void Open(const QRect& select, std::function<void(int index)> done);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  bool GoToTyped(const QString& text);

  QAction* current_ = nullptr;
  QString typed_;
  QElapsedTimer sinceTyped_;
};

}  // namespace cefcompat
