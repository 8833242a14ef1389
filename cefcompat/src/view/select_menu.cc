#include "view/select_menu.h"

#include <memory>

#include <QCoreApplication>
#include <QKeyEvent>

namespace cefcompat {

namespace {

// Letters typed within this time search together ("ge" finds "gamma"... "gecko").
constexpr qint64 kTypingPauseMs = 1000;

}  // namespace

SelectMenu::SelectMenu(QWidget* parent) : QMenu(parent) { setAttribute(Qt::WA_DeleteOnClose); }

void SelectMenu::AddOption(const QString& label, int index, bool enabled, bool current) {
  // An ampersand is the option's own text, not a shortcut.
  QAction* action = addAction(QString(label).replace('&', "&&"));
  action->setData(index);
  action->setEnabled(enabled);
  action->setCheckable(true);
  action->setChecked(current);
  if (current) current_ = action;
}

void SelectMenu::Open(const QRect& select, std::function<void(int index)> done) {
  setMinimumWidth(select.width());
  auto chosen = std::make_shared<int>(-1);
  connect(this, &QMenu::triggered, this, [chosen](QAction* action) { *chosen = action->data().toInt(); });
  // Hidden before the triggered action is told: the answer waits a turn.
  connect(this, &QMenu::aboutToHide, this, [chosen, done = std::move(done)] {
    QMetaObject::invokeMethod(QCoreApplication::instance(), [chosen, done] { done(*chosen); }, Qt::QueuedConnection);
  });
  popup(select.bottomLeft() + QPoint(0, 1), nullptr);
  if (current_) setActiveAction(current_);
}

void SelectMenu::keyPressEvent(QKeyEvent* event) {
  const QString text = event->text();
  const bool printable = !text.isEmpty() && text.at(0).isPrint() && !(event->modifiers() & ~Qt::ShiftModifier);
  if (!printable || text == " ") return QMenu::keyPressEvent(event);
  if (!sinceTyped_.isValid() || sinceTyped_.elapsed() > kTypingPauseMs) typed_.clear();
  sinceTyped_.start();
  typed_ += text;
  if (!GoToTyped(typed_) && typed_.size() > 1) {
    typed_ = text;
    GoToTyped(typed_);
  }
}

// The first enabled option after the active one (then from the top) whose
// label starts with `text`, case aside; a single letter moves on each press.
bool SelectMenu::GoToTyped(const QString& text) {
  const QList<QAction*> all = actions();
  const int active = static_cast<int>(all.indexOf(activeAction()));
  const int start = text.size() == 1 ? active + 1 : std::max(active, 0);
  for (int step = 0; step < all.size(); ++step) {
    QAction* action = all[(start + step) % all.size()];
    if (action->isSeparator() || !action->isEnabled()) continue;
    if (!action->text().replace("&&", "&").startsWith(text, Qt::CaseInsensitive)) continue;
    setActiveAction(action);
    return true;
  }
  return false;
}

}  // namespace cefcompat
