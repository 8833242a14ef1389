#pragma once

#include <QAbstractNativeEventFilter>

namespace cefcompat {

class WindowNursery;

// Keyboard focus between Qt and the Chromium windows inside Qt's windows. A
// top-level window holding a page takes focus itself (WM_TAKE_FOCUS): when the
// window manager offers it, after a click, the relay gives it to the page
// under the pointer, or to Qt when the pointer is over Qt's own widgets. A
// page's pop-up list stays open only while its Chromium window has the focus.
// Qt thread.
class FocusRelay : public QAbstractNativeEventFilter {
 public:
  FocusRelay(WindowNursery& nursery, unsigned long wmProtocols, unsigned long takeFocus);

  bool nativeEventFilter(const QByteArray& eventType, void* message, long* result) override;

 private:
  WindowNursery& nursery_;
  const unsigned long wmProtocols_;
  const unsigned long takeFocus_;
};

}  // namespace cefcompat
