#pragma once

#include <functional>

#include <QDate>
#include "view/popup_frame.h"

class QCalendarWidget;
class QTimeEdit;

namespace cefcompat {

// The picker of a date, time, month or week field, as a person uses a
// browser's: a calendar (and for a time, a time field) under the field.
// A day clicked or Enter chooses, Escape or a click elsewhere closes with
// nothing chosen. Values are the field's own forms ("2024-05-31", "13:45",
// "2024-05", "2024-W22", "2024-05-31T13:45"). Qt thread; deletes itself
// when closed.
class ValuePicker : public PopupFrame {
  Q_OBJECT

 public:
  // `kind` is the field's type; `value`, `min` and `max` its attributes.
  ValuePicker(QWidget* parent, const QString& kind, const QString& value, const QString& min, const QString& max);
  // Shows the picker under `field` (screen coordinates); `done` gets the
  // chosen value, or a null string, once the picker is closed.
  void Open(const QRect& field, std::function<void(const QString& value)> done);

  static bool Picks(const QString& kind);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  std::function<void()> TakeAnswer() override;

 private:
  void Choose();
  QString Value() const;
  QDate DateOf(const QString& value) const;

  const QString kind_;
  bool withSeconds_ = false;
  QCalendarWidget* calendar_ = nullptr;
  QTimeEdit* time_ = nullptr;
  QString chosen_;
  std::function<void(const QString&)> done_;
};

}  // namespace cefcompat
