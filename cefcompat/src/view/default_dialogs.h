#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QRect>
#include <QStringList>

#include "include/cef_context_menu_handler.h"
#include "include/cef_dialog_handler.h"
#include "include/cef_jsdialog_handler.h"

namespace cefcompat {

// The dialogs the runtime shows itself when a page's dialog or file chooser
// has no client handler to answer it, as CEF shows its own: Qt dialogs modal
// to the window that holds the browser's surface (to the application when
// the surface is in none). They need a QApplication; without one they answer
// at once (a dialog accepted, a file chooser with nothing chosen) and say so.
//
// Threads: any thread; the dialogs are made, shown and answered on the Qt thread.
class DefaultDialogs {
 public:
  struct JsDialog {
    cef_jsdialog_type_t type = JSDIALOGTYPE_ALERT;
    bool beforeUnload = false;
    std::string origin;
    std::string message;
    std::string defaultText;
  };
  static void ShowJsDialog(CefWindowHandle surface, const JsDialog& dialog, CefRefPtr<CefJSDialogCallback> callback);
  static void ShowFileDialog(CefWindowHandle surface, bool multiple, const std::vector<CefString>& acceptFilters,
                             CefRefPtr<CefFileDialogCallback> callback);
  // A "Save As" dialog proposing `path`; `done` gets the chosen path, or an
  // empty one when the person chose none. Without a QApplication `path` is
  // taken as it is.
  static void ShowSaveDialog(CefWindowHandle surface, const std::string& path,
                             std::function<void(const std::string& chosen)> done);
  // `model` as a menu at (`x`, `y`) of the surface (at the pointer when the
  // handle is no surface); `done` gets the chosen command id, or -1 when the
  // menu closed with none. `model` is read before this returns (TID_UI).
  static void ShowContextMenu(CefWindowHandle surface, int x, int y, CefRefPtr<CefMenuModel> model,
                              std::function<void(int commandId)> done);
  struct SelectOption {
    std::string label;
    std::string group;  // the option's group label; empty outside a group
    bool enabled = true;
  };
  // A `<select>`'s options as a list under `at` (the select, in the
  // surface's coordinates), `selected` current; `done` gets the chosen
  // option's index, or -1 when the list closed with none.
  static void ShowSelectPopup(CefWindowHandle surface, const QRect& at, std::vector<SelectOption> options, int selected,
                              std::function<void(int index)> done);
  struct FieldValue {
    std::string kind;  // the field's type: date, time, datetime-local, month, week or color
    std::string value;
    std::string min;
    std::string max;
  };
  // The picker of a date, time, month, week or color field under `at` (the
  // field, in the surface's coordinates): a calendar or time under it, the
  // color dialog over its window. `done` gets the chosen value in the
  // field's form, or nothing when the picker closed with none.
  static void ShowValuePicker(CefWindowHandle surface, const QRect& at, const FieldValue& field,
                              std::function<void(std::optional<std::string> value)> done);
  // Closes, unanswered, every default dialog and menu of the browser whose surface is `surface`.
  static void CloseAll(CefWindowHandle surface);

  // The name filters of a file dialog for an input's accepted types (".png",
  // "image/*", "text/plain"): one of every accepted pattern, then all files.
  static QStringList NameFilters(const std::vector<CefString>& acceptFilters);
};

}  // namespace cefcompat
