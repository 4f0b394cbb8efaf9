#include "platform/ewmh.h"

#include <QGuiApplication>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace vantrel::ewmh {

namespace {

template <typename Reply>
using Owned = std::unique_ptr<Reply, decltype(&std::free)>;

template <typename Reply>
Owned<Reply> Own(Reply* reply) {
    return Owned<Reply>(reply, &std::free);
}

}  // namespace

xcb_connection_t* Connection() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_window_t Root(xcb_connection_t* c) {
    return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
}

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
    const auto cookie = xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    auto reply = Own(xcb_intern_atom_reply(c, cookie, nullptr));
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

std::vector<std::uint32_t> Property32(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property,
                                      xcb_atom_t type) {
    const auto cookie = xcb_get_property(c, 0, window, property, type, 0, 1024);
    auto reply = Own(xcb_get_property_reply(c, cookie, nullptr));
    if (!reply || reply->format != 32) return {};
    const auto* items = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
    return {items, items + xcb_get_property_value_length(reply.get()) / 4};
}

bool WindowExists(xcb_connection_t* c, xcb_window_t window) {
    if (window == XCB_WINDOW_NONE) return false;
    auto reply =
        Own(xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr));
    return reply != nullptr;
}

bool WindowManagerRuns(xcb_connection_t* c) {
    const auto check = Property32(c, Root(c), Atom(c, "_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW);
    // A window manager that died leaves the property naming a window that is gone.
    return !check.empty() && WindowExists(c, check.front());
}

bool IsManaged(xcb_connection_t* c, xcb_window_t window) {
    const xcb_atom_t wmState = Atom(c, "WM_STATE");
    const auto cookie = xcb_get_property(c, 0, window, wmState, wmState, 0, 2);
    auto reply = Own(xcb_get_property_reply(c, cookie, nullptr));
    return reply && reply->format == 32 && xcb_get_property_value_length(reply.get()) >= 4;
}

void SendToRoot(xcb_connection_t* c, xcb_window_t window, xcb_atom_t type,
                const std::array<std::uint32_t, 5>& data) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = type;
    std::copy(data.begin(), data.end(), event.data.data32);
    xcb_send_event(c, 0, Root(c),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(c);
}

void SetSkipTaskbar(xcb_connection_t* c, xcb_window_t window, bool skip, bool managed) {
    const xcb_atom_t state = Atom(c, "_NET_WM_STATE");
    const xcb_atom_t skipAtom = Atom(c, "_NET_WM_STATE_SKIP_TASKBAR");
    if (managed) {
        // _NET_WM_STATE_ADD / _REMOVE, asked by an ordinary application.
        SendToRoot(c, window, state, {skip ? 1u : 0u, skipAtom, 0, 1, 0});
    }
    std::vector<std::uint32_t> atoms = Property32(c, window, state, XCB_ATOM_ATOM);
    std::erase(atoms, skipAtom);
    if (skip) atoms.push_back(skipAtom);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, state, XCB_ATOM_ATOM, 32,
                        static_cast<std::uint32_t>(atoms.size()), atoms.data());
    xcb_flush(c);
}

bool HasSkipTaskbar(xcb_connection_t* c, xcb_window_t window) {
    const auto atoms = Property32(c, window, Atom(c, "_NET_WM_STATE"), XCB_ATOM_ATOM);
    return std::find(atoms.begin(), atoms.end(), Atom(c, "_NET_WM_STATE_SKIP_TASKBAR")) !=
           atoms.end();
}

std::optional<std::array<int, 4>> RootRect(xcb_connection_t* c, xcb_window_t window) {
    auto geometry = Own(xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr));
    if (!geometry) return std::nullopt;
    auto moved = Own(xcb_translate_coordinates_reply(
        c, xcb_translate_coordinates(c, window, Root(c), 0, 0), nullptr));
    if (!moved) return std::nullopt;
    return std::array<int, 4>{moved->dst_x, moved->dst_y, moved->dst_x + geometry->width,
                              moved->dst_y + geometry->height};
}

}  // namespace vantrel::ewmh
