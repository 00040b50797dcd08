// What the X server says of a window, for the tests that run on the xcb platform
// (X11TestMain.cpp).
#pragma once

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QWidget>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace kelvane::test {

// Why there is no X server for the tests, or nullopt: for GTEST_SKIP.
const std::optional<std::string>& X11Unavailable();

// The title the window manager shows: _NET_WM_NAME of the widget's window, asked on Qt's own
// connection, so that the server has handled everything Qt sent before.
inline std::string WindowManagerTitle(const QWidget& widget) {
  auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
  if (!x11) return "(not on X11)";
  xcb_connection_t* connection = x11->connection();
  const auto atom = [connection](std::string_view name) {
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(
            connection,
            xcb_intern_atom(connection, 0, static_cast<uint16_t>(name.size()), name.data()),
            nullptr),
        &std::free);
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_NONE);
  };
  const std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
      xcb_get_property_reply(
          connection,
          xcb_get_property(connection, 0, static_cast<xcb_window_t>(widget.window()->winId()),
                           atom("_NET_WM_NAME"), atom("UTF8_STRING"), 0, 1024),
          nullptr),
      &std::free);
  if (!reply) return "(no _NET_WM_NAME)";
  return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())),
                     static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
}

}  // namespace kelvane::test
