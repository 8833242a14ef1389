#pragma once

#include <QAbstractNativeEventFilter>

namespace cefcompat {

class WindowNursery;


// Keyboard focus between Qt and the Chromium windows inside Qt's windows. A
// top-level window holding a page takes focus itself (WM_TAKE_FOCUS): the
// window manager never moves the focus to it on a click. A click on a page
// gives the page the focus (WindowNursery::Place), and the relay keeps Qt from
// taking it back; a click on Qt's own widgets gives it to Qt. A page's pop-up
// list stays open only while its Chromium window has the focus.
// Qt thread.
class FocusRelay : public QAbstractNativeEventFilter {
 public:
  // The atoms of ICCCM's WM_PROTOCOLS and WM_TAKE_FOCUS.
  FocusRelay(WindowNursery& nursery, unsigned long wmProtocols, unsigned long takeFocus);

  bool nativeEventFilter(const QByteArray& eventType, void* message, long* result) override;

 private:
  WindowNursery& nursery_;
  const unsigned long wmProtocols_;
  const unsigned long takeFocus_;
};

}  // namespace cefcompat
