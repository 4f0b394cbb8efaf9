#pragma once

#include <xcb/xcb.h>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

// Small helpers over the X connection for the window manager's standard
// hints (EWMH and ICCCM).
namespace vantrel::ewmh {

// The display connection of the running Qt application; null when it does
// not run on X11 (the offscreen platform, Wayland).
xcb_connection_t* Connection();
xcb_window_t Root(xcb_connection_t* c);
xcb_atom_t Atom(xcb_connection_t* c, const char* name);

// A property of 32-bit items (atoms, windows, cardinals); empty when unset.
std::vector<std::uint32_t> Property32(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property,
                                      xcb_atom_t type);

// Whether an EWMH window manager runs: it names its check window on the root.
bool WindowManagerRuns(xcb_connection_t* c);
// A window the window manager manages carries WM_STATE.
bool IsManaged(xcb_connection_t* c, xcb_window_t window);
bool WindowExists(xcb_connection_t* c, xcb_window_t window);

// A client message about the window to the root, as EWMH asks of clients.
void SendToRoot(xcb_connection_t* c, xcb_window_t window, xcb_atom_t type,
                const std::array<std::uint32_t, 5>& data);

// Adds or removes _NET_WM_STATE_SKIP_TASKBAR: through the window manager
// while it manages the window, and in the property itself, which is what a
// window manager reads when it maps the window and what stays without one.
void SetSkipTaskbar(xcb_connection_t* c, xcb_window_t window, bool skip, bool managed);
bool HasSkipTaskbar(xcb_connection_t* c, xcb_window_t window);

// The window's rectangle in root coordinates.
std::optional<std::array<int, 4>> RootRect(xcb_connection_t* c, xcb_window_t window);

}  // namespace vantrel::ewmh
