#include "desktop/edge_strut.h"

#include <QGuiApplication>
#include <QWidget>

#include <xcb/xcb.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace vantrel {

namespace {

constexpr std::uint32_t kStripRows = 2;

xcb_atom_t StrutAtom(xcb_connection_t* c) {
    static constexpr char kName[] = "_NET_WM_STRUT_PARTIAL";
    const auto cookie = xcb_intern_atom(c, 0, sizeof kName - 1, kName);
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(c, cookie, nullptr), &std::free);
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

}  // namespace

void ReserveEdgeStrip(QWidget& window, EdgeSide side) {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c) return;
    static const xcb_atom_t strut = StrutAtom(c);
    if (strut == XCB_ATOM_NONE) return;
    const auto id = static_cast<xcb_window_t>(window.winId());
    if (side == EdgeSide::kNone) {
        xcb_delete_property(c, id, strut);
        xcb_flush(c);
        return;
    }
    // left, right, top, bottom, then the start and end of each: only the
    // window's own columns on its edge.
    std::array<std::uint32_t, 12> values{};
    const QRect frame = window.frameGeometry();
    const bool top = side == EdgeSide::kTop;
    values[top ? 2 : 3] = kStripRows;
    values[top ? 8 : 10] = static_cast<std::uint32_t>(std::max(frame.left(), 0));
    values[top ? 9 : 11] = static_cast<std::uint32_t>(std::max(frame.right(), 0));
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, strut, XCB_ATOM_CARDINAL, 32,
                        static_cast<std::uint32_t>(values.size()), values.data());
    xcb_flush(c);
}

}  // namespace vantrel
