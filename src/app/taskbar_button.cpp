#include "app/taskbar_button.h"

#include <QGuiApplication>
#include <QWidget>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace vantrel {
namespace {

xcb_connection_t* Connection() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
    const auto cookie = xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(c, cookie, nullptr), &std::free);
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

std::vector<xcb_atom_t> WindowStates(xcb_connection_t* c, xcb_window_t window, xcb_atom_t state) {
    const auto cookie = xcb_get_property(c, 0, window, state, XCB_ATOM_ATOM, 0, 64);
    std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(c, cookie, nullptr), &std::free);
    if (!reply || reply->format != 32) return {};
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
    return {atoms, atoms + xcb_get_property_value_length(reply.get()) / 4};
}

}  // namespace

void SetTaskbarButton(QWidget* window, bool shown) {
    xcb_connection_t* c = Connection();
    if (!c || !window) return;
    const auto id = static_cast<xcb_window_t>(window->winId());
    const xcb_atom_t state = Atom(c, "_NET_WM_STATE");
    const xcb_atom_t skip = Atom(c, "_NET_WM_STATE_SKIP_TASKBAR");
    if (window->isVisible()) {
        // A mapped window's state belongs to the window manager: ask it.
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = id;
        event.type = state;
        event.data.data32[0] = shown ? 0 : 1;  // _NET_WM_STATE_REMOVE / _ADD
        event.data.data32[1] = skip;
        event.data.data32[3] = 1;  // from an ordinary application
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        xcb_send_event(c, 0, root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&event));
    }
    // The property itself is what a window manager reads when the window is
    // mapped, and what is there when no window manager runs.
    std::vector<xcb_atom_t> atoms = WindowStates(c, id, state);
    std::erase(atoms, skip);
    if (!shown) atoms.push_back(skip);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, state, XCB_ATOM_ATOM, 32,
                        static_cast<std::uint32_t>(atoms.size()), atoms.data());
    xcb_flush(c);
}

bool HasTaskbarButton(QWidget* window) {
    xcb_connection_t* c = Connection();
    if (!c || !window) return true;
    const auto id = static_cast<xcb_window_t>(window->winId());
    const std::vector<xcb_atom_t> atoms = WindowStates(c, id, Atom(c, "_NET_WM_STATE"));
    return std::find(atoms.begin(), atoms.end(), Atom(c, "_NET_WM_STATE_SKIP_TASKBAR")) ==
           atoms.end();
}

}  // namespace vantrel
