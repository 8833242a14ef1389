#include "view/popup_frame.h"

#include <QCoreApplication>

namespace cefcompat {

PopupFrame::PopupFrame(QWidget* parent) : QFrame(parent, Qt::Popup) {
  setAttribute(Qt::WA_DeleteOnClose);
  setFrameShape(QFrame::StyledPanel);
}

void PopupFrame::hideEvent(QHideEvent* event) {
  QFrame::hideEvent(event);
  if (answered_) return;
  answered_ = true;
  QMetaObject::invokeMethod(QCoreApplication::instance(), TakeAnswer(), Qt::QueuedConnection);
  close();
}

}  // namespace cefcompat
