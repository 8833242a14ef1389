#include "view/value_picker.h"

#include <QCalendarWidget>
#include <QKeyEvent>
#include <QPushButton>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace cefcompat {

namespace {

bool HasDate(const QString& kind) { return kind != "time"; }
bool HasTime(const QString& kind) { return kind == "time" || kind == "datetime-local"; }

// "13:45" or "13:45:30"; the seconds are kept when the field had them.
QTime TimeOf(const QString& value) {
  const QTime time = QTime::fromString(value.left(8), "HH:mm:ss");
  return time.isValid() ? time : QTime::fromString(value.left(5), "HH:mm");
}

}  // namespace

ValuePicker::ValuePicker(QWidget* parent, const QString& kind, const QString& value, const QString& min,
                         const QString& max)
    : PopupFrame(parent), kind_(kind) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  if (HasDate(kind)) {
    calendar_ = new QCalendarWidget(this);
    calendar_->setGridVisible(false);
    calendar_->setVerticalHeaderFormat(kind == "week" ? QCalendarWidget::ISOWeekNumbers
                                                      : QCalendarWidget::NoVerticalHeader);
    if (DateOf(min).isValid()) calendar_->setMinimumDate(DateOf(min));
    if (DateOf(max).isValid()) calendar_->setMaximumDate(DateOf(max));
    const QDate current = DateOf(value);
    calendar_->setSelectedDate(current.isValid() ? current : QDate::currentDate());
    layout->addWidget(calendar_);
    // A day clicked is the choice, unless a time is still to be set; Enter
    // on the calendar always is.
    if (!HasTime(kind)) connect(calendar_, &QCalendarWidget::clicked, this, &ValuePicker::Choose);
    connect(calendar_, &QCalendarWidget::activated, this, &ValuePicker::Choose);
  }
  if (HasTime(kind)) {
    const QString timePart = kind == "time" ? value : value.section('T', 1);
    QTime current = TimeOf(timePart);
    withSeconds_ = current.isValid() && timePart.size() > 5;
    if (!current.isValid()) current = QTime(QTime::currentTime().hour(), QTime::currentTime().minute());
    time_ = new QTimeEdit(current, this);
    time_->setDisplayFormat(withSeconds_ ? "HH:mm:ss" : "HH:mm");
    layout->addWidget(time_);
    auto* done = new QPushButton(tr("Done"), this);
    connect(done, &QPushButton::clicked, this, &ValuePicker::Choose);
    layout->addWidget(done);
  }
}

bool ValuePicker::Picks(const QString& kind) {
  return kind == "date" || kind == "month" || kind == "week" || kind == "time" || kind == "datetime-local";
}

void ValuePicker::Open(const QRect& field, std::function<void(const QString&)> done) {
  done_ = std::move(done);
  adjustSize();
  move(field.bottomLeft() + QPoint(0, 1));
  show();
  QWidget* first = time_ ? static_cast<QWidget*>(time_) : calendar_;
  first->setFocus();
}

void ValuePicker::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    close();
    return;
  }
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) return Choose();
  PopupFrame::keyPressEvent(event);
}

std::function<void()> ValuePicker::TakeAnswer() {
  return [done = std::move(done_), chosen = chosen_] { done(chosen); };
}

void ValuePicker::Choose() {
  chosen_ = Value();
  close();
}

QString ValuePicker::Value() const {
  const QString time = time_ ? time_->time().toString(withSeconds_ ? "HH:mm:ss" : "HH:mm") : QString();
  if (kind_ == "time") return time;
  const QDate date = calendar_->selectedDate();
  if (kind_ == "month") return date.toString("yyyy-MM");
  if (kind_ == "week") {
    int year = 0;
    const int week = date.weekNumber(&year);
    return QString("%1-W%2").arg(year, 4, 10, QChar('0')).arg(week, 2, 10, QChar('0'));
  }
  if (kind_ == "datetime-local") return date.toString("yyyy-MM-dd") + "T" + time;
  return date.toString("yyyy-MM-dd");
}

// The first day a value of this kind names ("2024-W22" its Monday).
QDate ValuePicker::DateOf(const QString& value) const {
  if (kind_ == "month") return QDate::fromString(value, "yyyy-MM");
  if (kind_ == "week") {
    const QStringList parts = value.split("-W");
    if (parts.size() != 2) return {};
    const QDate fourth(parts[0].toInt(), 1, 4);  // always in week 1
    return fourth.isValid() ? fourth.addDays(1 - fourth.dayOfWeek() + 7 * (parts[1].toInt() - 1)) : QDate();
  }
  return QDate::fromString(value.left(10), "yyyy-MM-dd");
}

}  // namespace cefcompat
