#include "platform/x11_edge_strut.h"

#include <QWidget>

#include <algorithm>
#include <array>

#include "platform/ewmh.h"

namespace vantrel {

namespace {

constexpr std::uint32_t kStripRows = 2;

class X11Strut final : public EdgeStrut {
  public:
    void Reserve(QWidget& window, EdgeSide side) override;
};

void X11Strut::Reserve(QWidget& window, EdgeSide side) {
    xcb_connection_t* c = ewmh::Connection();
    if (!c) return;
    static const xcb_atom_t strut = ewmh::Atom(c, "_NET_WM_STRUT_PARTIAL");
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

}  // namespace

EdgeStrut& X11EdgeStrut() {
    static X11Strut strut;
    return strut;
}

}  // namespace vantrel
