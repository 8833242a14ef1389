#include "platform/VellWindowStacking.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <QGuiApplication>
#include <xcb/xcb.h>

namespace {

// xcb hands out replies and errors allocated with malloc.
struct FreeDeleter {
  void operator()(void* pointer) const { std::free(pointer); }
};
template <class T>
using XcbPtr = std::unique_ptr<T, FreeDeleter>;

// Waits for the reply to `cookie`; null when an error came instead (dropped).
template <class Reply, class Cookie>
XcbPtr<Reply> Wait(Reply* (*fetch)(xcb_connection_t*, Cookie, xcb_generic_error_t**), xcb_connection_t* connection,
                   Cookie cookie) {
  xcb_generic_error_t* error = nullptr;
  XcbPtr<Reply> reply(fetch(connection, cookie, &error));
  std::free(error);
  return reply;
}

bool Contains(const std::vector<uint32_t>& items, uint32_t item) {
  return std::find(items.begin(), items.end(), item) != items.end();
}

}  // namespace

VellWindowStacking::VellWindowStacking() {
  if (QGuiApplication::platformName() != QLatin1String("xcb")) return;
  int screenNumber = 0;
  xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
  if (xcb_connection_has_error(connection)) {
    xcb_disconnect(connection);
    return;
  }
  xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
  for (int i = 0; i < screenNumber && screens.rem > 0; ++i) xcb_screen_next(&screens);
  if (screens.rem == 0) {
    xcb_disconnect(connection);
    return;
  }
  m_pConnection = connection;
  m_nRoot = screens.data->root;
  m_screenRect = QRect(0, 0, screens.data->width_in_pixels, screens.data->height_in_pixels);
  m_nClientListStacking = _InternAtom("_NET_CLIENT_LIST_STACKING");
  m_nWindowType = _InternAtom("_NET_WM_WINDOW_TYPE");
  m_nWindowTypeDock = _InternAtom("_NET_WM_WINDOW_TYPE_DOCK");
  m_nWmState = _InternAtom("_NET_WM_STATE");
  m_nWmStateHidden = _InternAtom("_NET_WM_STATE_HIDDEN");
}

VellWindowStacking::~VellWindowStacking() {
  if (m_pConnection) xcb_disconnect(m_pConnection);
}

uint32_t VellWindowStacking::_InternAtom(const char* name) const {
  const auto cookie = xcb_intern_atom(m_pConnection, 0, static_cast<uint16_t>(std::strlen(name)), name);
  const auto reply = Wait(xcb_intern_atom_reply, m_pConnection, cookie);
  return reply ? reply->atom : static_cast<uint32_t>(XCB_ATOM_NONE);
}

bool VellWindowStacking::Query(uint32_t window, VellStackedWindow& self, std::vector<VellStackedWindow>& above) const {
  if (!m_pConnection || !_Describe(window, self)) return false;
  self.rect &= m_screenRect;  // what lies off the screen shows nothing anyway
  std::vector<uint32_t> order = _ClientStacking();
  uint32_t own = window;
  if (!Contains(order, own)) {
    order = _TreeStacking();
    own = _TopLevelOf(window);
  }
  auto it = std::find(order.begin(), order.end(), own);
  if (it == order.end()) return false;
  above.clear();
  for (++it; it != order.end(); ++it) {
    VellStackedWindow described;
    if (_Describe(*it, described)) above.push_back(described);  // a window gone meanwhile covers nothing
  }
  return true;
}

std::vector<uint32_t> VellWindowStacking::_ClientStacking() const {
  return _Property(m_nRoot, m_nClientListStacking, XCB_ATOM_WINDOW);
}

std::vector<uint32_t> VellWindowStacking::_TreeStacking() const {
  const auto tree = Wait(xcb_query_tree_reply, m_pConnection, xcb_query_tree(m_pConnection, m_nRoot));
  if (!tree) return {};
  const xcb_window_t* children = xcb_query_tree_children(tree.get());
  return std::vector<uint32_t>(children, children + xcb_query_tree_children_length(tree.get()));
}

uint32_t VellWindowStacking::_TopLevelOf(uint32_t window) const {
  for (uint32_t current = window; current != XCB_WINDOW_NONE;) {
    const auto tree = Wait(xcb_query_tree_reply, m_pConnection, xcb_query_tree(m_pConnection, current));
    if (!tree) return XCB_WINDOW_NONE;
    if (tree->parent == m_nRoot) return current;
    current = tree->parent;
  }
  return XCB_WINDOW_NONE;
}

std::vector<uint32_t> VellWindowStacking::_Property(uint32_t window, uint32_t property, uint32_t type) const {
  if (property == XCB_ATOM_NONE) return {};
  const auto cookie = xcb_get_property(m_pConnection, 0, window, property, type, 0, 4096);
  const auto reply = Wait(xcb_get_property_reply, m_pConnection, cookie);
  if (!reply || reply->format != 32) return {};
  const auto* items = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
  return std::vector<uint32_t>(items, items + xcb_get_property_value_length(reply.get()) / 4);
}

bool VellWindowStacking::_Describe(uint32_t window, VellStackedWindow& described) const {
  // Ask all three at once: one round trip.
  const auto attributesCookie = xcb_get_window_attributes(m_pConnection, window);
  const auto geometryCookie = xcb_get_geometry(m_pConnection, window);
  const auto originCookie = xcb_translate_coordinates(m_pConnection, window, m_nRoot, 0, 0);
  const auto attributes = Wait(xcb_get_window_attributes_reply, m_pConnection, attributesCookie);
  const auto geometry = Wait(xcb_get_geometry_reply, m_pConnection, geometryCookie);
  const auto origin = Wait(xcb_translate_coordinates_reply, m_pConnection, originCookie);
  if (!attributes || !geometry || !origin) return false;
  described.rect = QRect(origin->dst_x, origin->dst_y, geometry->width, geometry->height);
  described.bViewable = attributes->map_state == XCB_MAP_STATE_VIEWABLE;
  described.bHidden = Contains(_Property(window, m_nWmState, XCB_ATOM_ATOM), m_nWmStateHidden);
  described.bDock = Contains(_Property(window, m_nWindowType, XCB_ATOM_ATOM), m_nWindowTypeDock);
  return true;
}
