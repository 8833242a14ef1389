#include "view/select_list_rows.h"

#include <algorithm>

namespace cefcompat {

namespace {

QFont Bold(QFont font) {
  font.setBold(true);
  return font;
}

}  // namespace

SelectListRows::SelectListRows(QObject* parent, const QFont& font)
    : QAbstractListModel(parent), bold_(Bold(font)), boldMetrics_(bold_) {}

void SelectListRows::AddOption(const QString& label, int index, bool enabled) {
  rows_.push_back({label, index, enabled});
  widest_ = std::max(widest_, boldMetrics_.horizontalAdvance(label));
}

void SelectListRows::AddSection(const QString& label) {
  rows_.push_back({label, -1, false});
  widest_ = std::max(widest_, boldMetrics_.horizontalAdvance(label));
}

int SelectListRows::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

QVariant SelectListRows::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const Row& row = rows_[static_cast<size_t>(index.row())];
  if (role == Qt::DisplayRole) return row.label;
  if (role == Qt::FontRole && row.index < 0) return bold_;
  if (role == Qt::UserRole && row.index >= 0) return row.index;
  return {};
}

Qt::ItemFlags SelectListRows::flags(const QModelIndex& index) const {
  if (!index.isValid() || index.row() >= rowCount()) return Qt::NoItemFlags;
  const Row& row = rows_[static_cast<size_t>(index.row())];
  return row.enabled ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren : Qt::NoItemFlags;
}

}  // namespace cefcompat
