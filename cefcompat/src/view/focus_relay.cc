#include "view/focus_relay.h"

#include <xcb/xcb.h>

#include <QCursor>

#include "view/surface_window.h"
#include "x11/window_nursery.h"

namespace cefcompat {

FocusRelay::FocusRelay(WindowNursery& nursery, unsigned long wmProtocols, unsigned long takeFocus)
    : nursery_(nursery), wmProtocols_(wmProtocols), takeFocus_(takeFocus) {}

bool FocusRelay::nativeEventFilter(const QByteArray& eventType, void* message, long* /*result*/) {
  if (eventType != "xcb_generic_event_t") return false;
  const auto* event = static_cast<const xcb_generic_event_t*>(message);
  if ((event->response_type & 0x7F) != XCB_CLIENT_MESSAGE) return false;
  const auto* client = static_cast<const xcb_client_message_event_t*>(message);
  if (client->type != wmProtocols_ || client->data.data32[0] != takeFocus_) return false;
  const unsigned long time = client->data.data32[1];
  // The page under the pointer has taken the focus on the click itself (see
  // WindowNursery::Place); Qt must not take it back.
  if (SurfaceWindow::EmbeddingAt(QCursor::pos(), client->window)) return true;
  // The window does not accept focus from the window manager (see
  // WindowNursery::TakeFocusItself): Qt's part of it takes it here.
  nursery_.Focus(client->window, time);
  return false;
}

}  // namespace cefcompat
