#include "view/default_dialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QCursor>
#include <QMenu>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QPushButton>
#include <QUrl>
#include <QWindow>

#include "base/log.h"
#include "base/task_thread.h"
#include "include/cefcompat_surface.h"
#include "view/select_list.h"
#include "view/value_picker.h"

namespace cefcompat {

namespace {

// Tags each default dialog with the surface of its browser.
constexpr char kSurfaceProperty[] = "cefcompatSurface";

// The widget whose window holds the surface; null when none does.
QWidget* WindowOf(CefWindowHandle surface) {
  QWindow* window = SurfaceForHandle(surface);
  while (window && window->parent()) window = window->parent();
  if (!window) return nullptr;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->windowHandle() == window) return widget;
  }
  return nullptr;
}

// `at`, in the surface's coordinates, on the screen; the pointer when the
// handle is no surface.
QRect OnScreen(CefWindowHandle surface, const QRect& at) {
  QWindow* window = SurfaceForHandle(surface);
  return window ? QRect(window->mapToGlobal(at.topLeft()), at.size()) : QRect(QCursor::pos(), QSize());
}

// Shows `dialog` over the surface's window, tagged with the surface.
void Open(QDialog* dialog, CefWindowHandle surface, bool hasParent) {
  dialog->setProperty(kSurfaceProperty, QVariant::fromValue(static_cast<qulonglong>(surface)));
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setWindowModality(hasParent ? Qt::WindowModal : Qt::ApplicationModal);
  dialog->open();
}

bool HasWidgets() { return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr; }

QStringList PatternsOf(const QString& filter) {
  if (filter.startsWith('.')) return {"*" + filter};
  QMimeDatabase database;
  if (!filter.endsWith("/*")) return database.mimeTypeForName(filter).globPatterns();
  QStringList patterns;
  const QString family = filter.chopped(1);
  for (const QMimeType& type : database.allMimeTypes()) {
    if (type.name().startsWith(family)) patterns += type.globPatterns();
  }
  return patterns;
}

void ShowJsDialogNow(CefWindowHandle surface, const DefaultDialogs::JsDialog& request,
                     CefRefPtr<CefJSDialogCallback> callback) {
  QWidget* parent = WindowOf(surface);
  // A dialog says which page asks, as a browser's does.
  QString title = QUrl(QString::fromStdString(request.origin)).host();
  if (title.isEmpty()) title = QApplication::applicationDisplayName();
  const QString message = QString::fromStdString(request.message);
  if (request.type == JSDIALOGTYPE_PROMPT && !request.beforeUnload) {
    auto* dialog = new QInputDialog(parent);
    dialog->setWindowTitle(title);
    dialog->setLabelText(message);
    dialog->setTextValue(QString::fromStdString(request.defaultText));
    QObject::connect(dialog, &QDialog::finished, dialog, [dialog, callback](int result) {
      callback->Continue(result == QDialog::Accepted, dialog->textValue().toStdString());
    });
    return Open(dialog, surface, parent);
  }
  auto* box = new QMessageBox(parent);
  box->setWindowTitle(title);
  QPushButton* accept = nullptr;
  if (request.beforeUnload) {
    box->setText(QObject::tr("Leave this page? Changes you made may not be saved."));
    accept = box->addButton(QObject::tr("Leave"), QMessageBox::AcceptRole);
    box->setEscapeButton(box->addButton(QObject::tr("Stay"), QMessageBox::RejectRole));
  } else {
    box->setText(message);
    accept = box->addButton(QMessageBox::Ok);
    if (request.type == JSDIALOGTYPE_CONFIRM) box->setEscapeButton(box->addButton(QMessageBox::Cancel));
  }
  QObject::connect(box, &QDialog::finished, box, [box, accept, callback](int) {
    callback->Continue(box->clickedButton() == accept, CefString());
  });
  Open(box, surface, parent);
}

void ShowFileDialogNow(CefWindowHandle surface, bool multiple, const QStringList& nameFilters,
                       CefRefPtr<CefFileDialogCallback> callback) {
  QWidget* parent = WindowOf(surface);
  auto* dialog = new QFileDialog(parent);
  dialog->setFileMode(multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
  dialog->setNameFilters(nameFilters);
  QObject::connect(dialog, &QDialog::finished, dialog, [dialog, callback](int result) {
    if (result != QDialog::Accepted) return callback->Cancel();
    std::vector<CefString> paths;
    for (const QString& path : dialog->selectedFiles()) paths.emplace_back(path.toStdString());
    callback->Continue(0, paths);
  });
  Open(dialog, surface, parent);
}

void ShowSaveDialogNow(CefWindowHandle surface, const QString& path, std::function<void(const std::string&)> done) {
  QWidget* parent = WindowOf(surface);
  auto* dialog = new QFileDialog(parent);
  dialog->setAcceptMode(QFileDialog::AcceptSave);
  dialog->setFileMode(QFileDialog::AnyFile);
  dialog->selectFile(path);
  QObject::connect(dialog, &QDialog::finished, dialog, [dialog, done](int result) {
    const QStringList chosen = dialog->selectedFiles();
    done(result == QDialog::Accepted && !chosen.isEmpty() ? chosen.first().toStdString() : std::string());
  });
  Open(dialog, surface, parent);
}

}  // namespace

void DefaultDialogs::ShowSaveDialog(CefWindowHandle surface, const std::string& path,
                                    std::function<void(const std::string& chosen)> done) {
  if (!HasWidgets()) {
    Log(LOGSEVERITY_INFO, "no QApplication to show a save dialog in; saving as " + path);
    return done(path);
  }
  const QString proposed = QString::fromStdString(path);
  Threads::PostToQt([surface, proposed, done] { ShowSaveDialogNow(surface, proposed, done); });
}

void DefaultDialogs::ShowJsDialog(CefWindowHandle surface, const JsDialog& dialog,
                                  CefRefPtr<CefJSDialogCallback> callback) {
  if (!HasWidgets()) {
    Log(LOGSEVERITY_INFO, "no QApplication to show a dialog in; accepting it: " + dialog.message);
    return callback->Continue(true, dialog.defaultText);
  }
  Threads::PostToQt([surface, dialog, callback] { ShowJsDialogNow(surface, dialog, callback); });
}

void DefaultDialogs::ShowFileDialog(CefWindowHandle surface, bool multiple, const std::vector<CefString>& acceptFilters,
                                    CefRefPtr<CefFileDialogCallback> callback) {
  if (!HasWidgets()) {
    Log(LOGSEVERITY_INFO, "no QApplication to show a file dialog in; nothing is chosen");
    return callback->Cancel();
  }
  const QStringList nameFilters = NameFilters(acceptFilters);
  Threads::PostToQt([surface, multiple, nameFilters, callback] { ShowFileDialogNow(surface, multiple, nameFilters, callback); });
}

void DefaultDialogs::CloseAll(CefWindowHandle surface) {
  if (!HasWidgets()) return;
  Threads::PostToQt([surface] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (!widget->isVisible() || widget->property(kSurfaceProperty).toULongLong() != static_cast<qulonglong>(surface)) {
        continue;
      }
      if (auto* dialog = qobject_cast<QDialog*>(widget)) {
        dialog->reject();
        continue;
      }
      widget->close();
    }
  });
}

QStringList DefaultDialogs::NameFilters(const std::vector<CefString>& acceptFilters) {
  QStringList patterns;
  for (const CefString& filter : acceptFilters) patterns += PatternsOf(QString::fromStdString(filter.ToString()).toLower());
  patterns.removeDuplicates();
  QStringList filters;
  if (!patterns.isEmpty()) filters << QObject::tr("Accepted files (%1)").arg(patterns.join(' '));
  filters << QObject::tr("All files (*)");
  return filters;
}

namespace {

struct MenuItem {
  int id;
  QString label;
  cef_menu_item_type_t type;
  bool enabled;
  bool checked;
};

void ShowMenuNow(CefWindowHandle surface, int x, int y, const std::vector<MenuItem>& items,
                 const std::function<void(int)>& done) {
  auto* menu = new QMenu(WindowOf(surface));
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->setProperty(kSurfaceProperty, QVariant::fromValue(static_cast<qulonglong>(surface)));
  for (const MenuItem& item : items) {
    if (item.type == MENUITEMTYPE_SEPARATOR) {
      menu->addSeparator();
      continue;
    }
    QAction* action = menu->addAction(item.label);
    action->setData(item.id);
    action->setEnabled(item.enabled);
    action->setCheckable(item.type == MENUITEMTYPE_CHECK || item.type == MENUITEMTYPE_RADIO);
    action->setChecked(item.checked);
  }
  auto chosen = std::make_shared<int>(-1);
  QObject::connect(menu, &QMenu::triggered, menu, [chosen](QAction* action) { *chosen = action->data().toInt(); });
  // Hidden before the triggered action is told: the answer waits a turn.
  QObject::connect(menu, &QMenu::aboutToHide, menu, [chosen, done] {
    QMetaObject::invokeMethod(QCoreApplication::instance(), [chosen, done] { done(*chosen); }, Qt::QueuedConnection);
  });
  QWindow* window = SurfaceForHandle(surface);
  menu->popup(window ? window->mapToGlobal(QPoint(x, y)) : QCursor::pos());
}

}  // namespace

void DefaultDialogs::ShowContextMenu(CefWindowHandle surface, int x, int y, CefRefPtr<CefMenuModel> model,
                                     std::function<void(int commandId)> done) {
  std::vector<MenuItem> items;
  for (size_t i = 0; i < model->GetCount(); ++i) {
    const int id = model->GetCommandIdAt(i);
    items.push_back({id, QString::fromStdString(model->GetLabelAt(i).ToString()), model->GetTypeAt(i),
                     model->IsEnabledAt(i), model->IsChecked(id)});
  }
  if (!HasWidgets()) {
    Log(LOGSEVERITY_WARNING, "a context menu was not shown: the application has no QApplication");
    done(-1);
    return;
  }
  Threads::PostToQt([surface, x, y, items = std::move(items), done = std::move(done)] { ShowMenuNow(surface, x, y, items, done); });
}

void DefaultDialogs::ShowSelectPopup(CefWindowHandle surface, const QRect& at, std::vector<SelectOption> options,
                                     int selected, std::function<void(int index)> done) {
  if (!HasWidgets()) {
    Log(LOGSEVERITY_WARNING, "a select's list was not shown: the application has no QApplication");
    done(-1);
    return;
  }
  Threads::PostToQt([surface, at, options = std::move(options), selected, done = std::move(done)] {
    auto* list = new SelectList(WindowOf(surface));
    list->setProperty(kSurfaceProperty, QVariant::fromValue(static_cast<qulonglong>(surface)));
    QString group;
    for (size_t i = 0; i < options.size(); ++i) {
      const QString label = QString::fromStdString(options[i].group);
      if (label != group && !label.isEmpty()) list->AddSection(label);
      group = label;
      list->AddOption(QString::fromStdString(options[i].label), static_cast<int>(i), options[i].enabled,
                      static_cast<int>(i) == selected);
    }
    list->Open(OnScreen(surface, at), done);
  });
}

namespace {

void ShowColorDialog(CefWindowHandle surface, const QString& value,
                     const std::function<void(std::optional<std::string>)>& done) {
  QWidget* parent = WindowOf(surface);
  auto* dialog = new QColorDialog(QColor(value), parent);
  QObject::connect(dialog, &QDialog::finished, dialog, [dialog, done](int result) {
    if (result != QDialog::Accepted) return done(std::nullopt);
    done(dialog->selectedColor().name().toStdString());
  });
  Open(dialog, surface, parent);
}

}  // namespace

void DefaultDialogs::ShowValuePicker(CefWindowHandle surface, const QRect& at, const FieldValue& field,
                                     std::function<void(std::optional<std::string> value)> done) {
  if (!HasWidgets()) {
    Log(LOGSEVERITY_WARNING, "a " + field.kind + " field's picker was not shown: the application has no QApplication");
    done(std::nullopt);
    return;
  }
  Threads::PostToQt([surface, at, field, done = std::move(done)] {
    const QString kind = QString::fromStdString(field.kind);
    const QString value = QString::fromStdString(field.value);
    if (!ValuePicker::Picks(kind)) return ShowColorDialog(surface, value, done);
    auto* picker = new ValuePicker(WindowOf(surface), kind, value, QString::fromStdString(field.min),
                                   QString::fromStdString(field.max));
    picker->setProperty(kSurfaceProperty, QVariant::fromValue(static_cast<qulonglong>(surface)));
    picker->Open(OnScreen(surface, at), [done](const QString& chosen) {
      if (chosen.isNull()) return done(std::nullopt);
      done(chosen.toStdString());
    });
  });
}

}  // namespace cefcompat
