#pragma once

#include <QVariantList>

#include <functional>
#include <vector>

#include "media/automation_object.h"

class QWidget;

namespace vantrel {

// What the control host needs of a control it places in a window: the
// control's widget, its automation object and the events it can fire, each
// by dispatch number.
class HostedControl {
  public:
    using EventSink = std::function<void(int dispatchNumber, const QVariantList& parameters)>;

    virtual ~HostedControl() = default;
    virtual QWidget* Widget() = 0;
    virtual Dispatch Automation() = 0;
    virtual std::vector<int> EventNumbers() const = 0;
    virtual void SetEventSink(EventSink sink) = 0;
};

}  // namespace vantrel
