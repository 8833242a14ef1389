#pragma once

#include <functional>

#include <QFrame>

namespace cefcompat {

// A popup of the runtime's own under a page's field: it closes on Escape
// or a click elsewhere, is deleted once closed, and tells its answer once,
// a turn after it is hidden (as a menu's is). Qt thread.
class PopupFrame : public QFrame {
  Q_OBJECT

 protected:
  explicit PopupFrame(QWidget* parent);
  // The answer, taken when the popup is hidden, to be told a turn later.
  virtual std::function<void()> TakeAnswer() = 0;
  void hideEvent(QHideEvent* event) override;

 private:
  bool answered_ = false;
};

}  // namespace cefcompat
