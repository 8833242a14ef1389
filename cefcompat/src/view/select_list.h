#pragma once

#include <functional>

#include "view/popup_frame.h"

class QListView;

namespace cefcompat {

class SelectListRows;

// A `<select>`'s list as a person uses a browser's: a list under the select
// at least as wide as it, at most 20 rows high and scrolled to the current
// option, which is highlighted. The pointer highlights what it is over, a
// click or Enter chooses, Escape or a click elsewhere closes with nothing
// chosen; arrows, Page Up and Down, Home and End move over disabled options
// and group labels, and typing an option's first letters goes to it. The
// rows are a model the view draws as they are seen, so a list of 100,000
// options opens at once. Qt thread; deletes itself when closed.
class SelectList : public PopupFrame {
  Q_OBJECT

 public:
  explicit SelectList(QWidget* parent);
  void AddOption(const QString& label, int index, bool enabled, bool current);
  // A group's label, which cannot be chosen.
  void AddSection(const QString& label);
  // Shows the list under `select` (screen coordinates; over it when there
  // is no room below); `done` gets the chosen option's index, or -1, once
  // the list is closed.
  void Open(const QRect& select, std::function<void(int index)> done);

  QListView* Rows() const { return view_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  std::function<void()> TakeAnswer() override;

 private:
  void Choose(const QModelIndex& row);

  SelectListRows* const rows_;
  QListView* const view_;
  int current_ = -1;  // the row of the select's current option
  int chosen_ = -1;
  std::function<void(int)> done_;
};

}  // namespace cefcompat
