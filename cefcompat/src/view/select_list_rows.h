#pragma once

#include <vector>

#include <QAbstractListModel>
#include <QFont>
#include <QFontMetrics>

namespace cefcompat {

// The rows of a select's list: options (their index in the select under
// Qt::UserRole) and group labels (bold, never chosen). Filled before the
// list is shown, then read only. Qt thread.
class SelectListRows : public QAbstractListModel {
 public:
  explicit SelectListRows(QObject* parent, const QFont& font);
  void AddOption(const QString& label, int index, bool enabled);
  void AddSection(const QString& label);
  // The width of the widest row's text.
  int Widest() const { return widest_; }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  struct Row {
    QString label;
    int index;  // -1 for a group's label
    bool enabled;
  };
  std::vector<Row> rows_;
  QFont bold_;
  QFontMetrics boldMetrics_;  // measures every row, a little wider than plain text
  int widest_ = 0;
};

}  // namespace cefcompat
