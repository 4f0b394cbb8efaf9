#include "platform/x11_pointer_watch.h"

#include <QtGui/qguiapplication_platform.h>
#include <QGuiApplication>
#include <QSocketNotifier>

#include <X11/Xlib.h>
#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <cstdlib>

namespace vantrel {

namespace {

// Connects to the display Qt uses, if Qt runs on X11 and the server speaks
// version 2 of the input extension (raw events need it announced; from 2.1
// on they reach the root window even while another client grabs the pointer).
xcb_connection_t* ConnectWithRawEvents(unsigned& root) {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    // The display Qt opened, which -display may have chosen over $DISPLAY.
    // Without it, a pointer watched on another display would never move.
    if (!x11 || !x11->display()) return nullptr;
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(DisplayString(x11->display()), &screenNumber);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return nullptr;
    }
    const xcb_query_extension_reply_t* extension =
        xcb_get_extension_data(connection, &xcb_input_id);
    xcb_input_xi_query_version_reply_t* version =
        extension && extension->present
            ? xcb_input_xi_query_version_reply(
                  connection, xcb_input_xi_query_version(connection, 2, 2), nullptr)
            : nullptr;
    const bool usable = version && version->major_version >= 2;
    std::free(version);
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    if (!usable || !screens.rem) {
        xcb_disconnect(connection);
        return nullptr;
    }
    root = screens.data->root;
    return connection;
}

// Empties what next hands out; true when motion was among it.
bool TakeMotion(xcb_connection_t* connection, xcb_generic_event_t* (*next)(xcb_connection_t*)) {
    bool moved = false;
    while (xcb_generic_event_t* event = next(connection)) {
        moved = moved || (event->response_type & 0x7f) == XCB_GE_GENERIC;
        std::free(event);
    }
    return moved;
}

}  // namespace

X11PointerWatch::X11PointerWatch(std::function<void()> onMotion) : onMotion_(std::move(onMotion)) {}

bool X11PointerWatch::Available() {
    // Connected on first need: a window that never docks makes no second
    // connection, and start-up waits for none of its round trips.
    if (connectTried_) return connection_ != nullptr;
    connectTried_ = true;
    connection_ = ConnectWithRawEvents(root_);
    if (!connection_) return false;
    notifier_ = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(connection_),
                                                  QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                     [this] { ReadEvents(); });
    return true;
}

X11PointerWatch::~X11PointerWatch() {
    notifier_.reset();
    if (connection_) xcb_disconnect(connection_);
}

void X11PointerWatch::Select(bool on) {
    struct {
        xcb_input_event_mask_t head;
        uint32_t bits;
    } mask{{XCB_INPUT_DEVICE_ALL_MASTER, 1},
           on ? uint32_t{XCB_INPUT_XI_EVENT_MASK_RAW_MOTION} : 0u};
    xcb_input_xi_select_events(connection_, root_, 1, &mask.head);
    xcb_flush(connection_);
}

void X11PointerWatch::Watch() {
    if (watching_ || !Available()) return;
    watching_ = true;
    Select(true);
    // The answer comes after the selection is in force, so any later motion
    // is either reported or seen by MovedSinceWatch.
    QueryPointer(watchedX_, watchedY_);
    // Motion read in with that answer came before the caller's next look;
    // left queued it would also hide later motion from the socket notifier.
    TakeQueuedMotion();
}

bool X11PointerWatch::TakeQueuedMotion() {
    return TakeMotion(connection_, xcb_poll_for_queued_event);
}

bool X11PointerWatch::QueryPointer(int& x, int& y) {
    xcb_query_pointer_reply_t* reply =
        xcb_query_pointer_reply(connection_, xcb_query_pointer(connection_, root_), nullptr);
    if (!reply) return false;
    x = reply->root_x;
    y = reply->root_y;
    std::free(reply);
    return true;
}

bool X11PointerWatch::MovedSinceWatch() {
    int x = 0, y = 0;
    // No answer: say moved, so the caller looks for itself.
    if (!connection_ || !QueryPointer(x, y)) return true;
    return TakeQueuedMotion() || x != watchedX_ || y != watchedY_;
}

void X11PointerWatch::Stop() {
    if (!connection_ || !watching_) return;
    watching_ = false;
    Select(false);
}

void X11PointerWatch::ReadEvents() {
    if (xcb_connection_has_error(connection_)) {
        // The display went away: give up watching and let the caller poll.
        notifier_.reset();
        xcb_disconnect(connection_);
        connection_ = nullptr;
        watching_ = false;
        onMotion_();
        return;
    }
    if (!TakeMotion(connection_, xcb_poll_for_event) || !watching_) return;
    Stop();
    onMotion_();
}

std::unique_ptr<PointerWatch> MakeX11PointerWatch(std::function<void()> onMotion) {
    return std::make_unique<X11PointerWatch>(std::move(onMotion));
}

}  // namespace vantrel
