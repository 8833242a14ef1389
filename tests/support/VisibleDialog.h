#pragma once

#include <QApplication>
#include <QWidget>

#include "WaitUntil.h"

// A visible dialog of this kind, once one shows; null when none did in time.
// An answered dialog is hidden, so the next one is found.
template <class Dialog>
Dialog* WaitForVisibleDialog() {
  Dialog* found = nullptr;
  WaitUntil([&] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      auto* dialog = qobject_cast<Dialog*>(widget);
      if (dialog && dialog->isVisible()) found = dialog;
    }
    return found != nullptr;
  });
  return found;
}
