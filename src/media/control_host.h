#pragma once

#include <QPointer>
#include <QVariantList>

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "media/automation_object.h"

class QFrame;
class QWidget;

namespace vantrel {

class HostedControl;

// The media-player control's class identifier.
inline constexpr std::string_view MEDIA_PLAYER_CLSID = "{6BF52A52-394A-11d3-B153-00C04F79FAA6}";

// Places a control, named by its class identifier, in a child window of one
// of the program's windows, hands out its automation object and binds
// routines to its events. One control is current at a time: the one made
// last. The media player's control comes from a library of its own, loaded
// when the first one is made.
class ControlHost {
  public:
    using EventRoutine = std::function<void(const QVariantList& parameters, std::intptr_t user)>;

    // Border styles: 1 sunken edge, 2 raised dialog frame, 3 thin static
    // edge, 4 sunken edge and dialog frame, 5 one-pixel line, others none.
    static constexpr int kBorderNone = 0;
    static constexpr int kBorderClientEdge = 1;
    static constexpr int kBorderDialogFrame = 2;
    static constexpr int kBorderStaticEdge = 3;
    static constexpr int kBorderClientAndDialog = 4;
    static constexpr int kBorderLine = 5;

    ControlHost() = default;
    ControlHost(const ControlHost&) = delete;
    ControlHost& operator=(const ControlHost&) = delete;

    // A visible child window of parent at the given place holding the control
    // registered for clsid (braces and letter case as in the registry form,
    // case-insensitive). Null, and no control becomes current, when there is
    // no parent or no such control.
    QWidget* CreateActiveX(QWidget* parent, std::string_view clsid, int left, int top, int width,
                           int height, int border);

    // The current control's automation object; null before any control.
    Dispatch GetIDispatch() const;

    // Binds routine and user to the current control's event dispatchNumber.
    // False, changing nothing, when there is no control or it has no such event.
    bool AdviseEvent(int dispatchNumber, EventRoutine routine, std::intptr_t user);

    // The border style's frame applied to a host window; exposed for the
    // window accessors, which measure the outer rectangle.
    static void ApplyBorder(QFrame& window, int border);

  private:
    struct EventEntry {
        int dispatchNumber = 0;
        EventRoutine routine;
        std::intptr_t user = 0;
    };
    void Fire(int dispatchNumber, const QVariantList& parameters);

    // Controls may outlive the host; their events then go nowhere.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
    QPointer<QWidget> window_;
    Dispatch current_;
    std::vector<EventEntry> events_;
};

}  // namespace vantrel
