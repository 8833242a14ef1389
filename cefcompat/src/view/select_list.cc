#include "view/select_list.h"

#include <algorithm>

#include <QGuiApplication>
#include <QKeyEvent>
#include <QListView>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>

#include "view/select_list_rows.h"

namespace cefcompat {

namespace {

constexpr int kMostRowsSeen = 20;

}  // namespace

SelectList::SelectList(QWidget* parent)
    : PopupFrame(parent), rows_(new SelectListRows(this, font())), view_(new QListView(this)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(1, 1, 1, 1);
  layout->addWidget(view_);
  view_->setFrameShape(QFrame::NoFrame);
  view_->setUniformItemSizes(true);
  view_->setMouseTracking(true);
  view_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  view_->installEventFilter(this);
  connect(view_, &QListView::entered, view_, [this](const QModelIndex& row) {
    if (row.flags() & Qt::ItemIsEnabled) view_->setCurrentIndex(row);
  });
  connect(view_, &QListView::clicked, this, &SelectList::Choose);
}

void SelectList::AddOption(const QString& label, int index, bool enabled, bool current) {
  if (current) current_ = rows_->rowCount();
  rows_->AddOption(label, index, enabled);
}

void SelectList::AddSection(const QString& label) { rows_->AddSection(label); }

void SelectList::Open(const QRect& select, std::function<void(int)> done) {
  done_ = std::move(done);
  view_->setModel(rows_);
  const int count = rows_->rowCount();
  const int rowHeight = std::max(view_->sizeHintForRow(0), 1);
  const int height = std::min(count, kMostRowsSeen) * rowHeight + 2 * lineWidth() + 2;
  // As wide as the widest option, and never narrower than the select.
  const int scrollBar = count > kMostRowsSeen ? view_->verticalScrollBar()->sizeHint().width() : 0;
  const int width = std::max(select.width(), rows_->Widest() + scrollBar + 12);
  QRect at(select.bottomLeft() + QPoint(0, 1), QSize(width, height));
  const QScreen* screen = QGuiApplication::screenAt(select.center());
  if (screen && at.bottom() > screen->availableGeometry().bottom()) at.moveBottom(select.top() - 1);
  setGeometry(at);
  show();
  view_->setFocus();
  // None current for a datalist: Down goes to the first.
  const QModelIndex current = rows_->index(current_);
  view_->setCurrentIndex(current);
  if (current.isValid()) view_->scrollTo(current, QAbstractItemView::PositionAtCenter);
}

bool SelectList::eventFilter(QObject* watched, QEvent* event) {
  if (watched != view_ || event->type() != QEvent::KeyPress) return PopupFrame::eventFilter(watched, event);
  const int key = static_cast<QKeyEvent*>(event)->key();
  if (key == Qt::Key_Escape) {
    close();
    return true;
  }
  if (key != Qt::Key_Return && key != Qt::Key_Enter) return false;
  Choose(view_->currentIndex());
  return true;
}

std::function<void()> SelectList::TakeAnswer() {
  return [done = std::move(done_), chosen = chosen_] { done(chosen); };
}

void SelectList::Choose(const QModelIndex& row) {
  const QVariant index = row.data(Qt::UserRole);
  if (!(row.flags() & Qt::ItemIsEnabled) || !index.isValid()) return;
  chosen_ = index.toInt();
  close();
}

}  // namespace cefcompat
