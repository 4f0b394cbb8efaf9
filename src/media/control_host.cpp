#include "media/control_host.h"

#include <QFrame>
#include <QResizeEvent>

#include <algorithm>
#include <cctype>
#include <memory>

#include "media/hosted_control.h"
#include "media/media_control_module.h"

namespace vantrel {
namespace {

bool SameClsid(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

// The child window a control lives in; the control fills what the border
// leaves, and goes when the window goes.
class ControlSite : public QFrame {
  public:
    explicit ControlSite(QWidget* parent) : QFrame(parent) {
        setObjectName(QStringLiteral("ControlSite"));
    }
    void Hold(HostedControl* control) {
        control_ = control;
        FitControl();
    }

  protected:
    void resizeEvent(QResizeEvent* event) override {
        QFrame::resizeEvent(event);
        FitControl();
    }
    void changeEvent(QEvent* event) override {
        QFrame::changeEvent(event);
        if (event->type() == QEvent::StyleChange) FitControl();
    }

  private:
    void FitControl() {
        if (control_) control_->Widget()->setGeometry(contentsRect());
    }
    HostedControl* control_ = nullptr;
};

// The controls the program knows, by class identifier.
HostedControl* MakeControl(std::string_view clsid, QWidget* site) {
    if (SameClsid(clsid, MEDIA_PLAYER_CLSID)) return MakeMediaControl(site);
    return nullptr;
}

}  // namespace

void ControlHost::ApplyBorder(QFrame& window, int border) {
    struct Frame {
        int style;
        int lineWidth;
    };
    // Sunken edge, raised dialog frame, thin static edge, both edges, a line.
    static constexpr Frame kFrames[] = {
        {QFrame::NoFrame, 0},
        {QFrame::Panel | QFrame::Sunken, 2},
        {QFrame::Panel | QFrame::Raised, 3},
        {QFrame::Panel | QFrame::Sunken, 1},
        {QFrame::Panel | QFrame::Sunken, 5},
        {QFrame::Box | QFrame::Plain, 1},
    };
    const Frame& frame = kFrames[border >= 1 && border <= 5 ? border : 0];
    window.setFrameStyle(frame.style);
    window.setLineWidth(frame.lineWidth);
}

QWidget* ControlHost::CreateActiveX(QWidget* parent, std::string_view clsid, int left, int top,
                                    int width, int height, int border) {
    if (!parent) return nullptr;
    auto site = std::make_unique<ControlSite>(parent);
    HostedControl* control = MakeControl(clsid, site.get());
    if (!control) return nullptr;
    ApplyBorder(*site, border);
    site->setGeometry(left, top, width, height);
    site->Hold(control);
    site->show();

    window_ = site.get();
    current_ = control->Automation();
    events_.clear();
    for (int number : control->EventNumbers())
        events_.push_back({number, {}, 0});
    // Events of a control that is no longer current reach nobody.
    QPointer<QWidget> from = site.get();
    std::weak_ptr<int> host = alive_;
    control->SetEventSink([this, host, from](int number, const QVariantList& parameters) {
        if (!host.expired() && from && from == window_) Fire(number, parameters);
    });
    return site.release();
}

Dispatch ControlHost::GetIDispatch() const {
    return current_;
}

bool ControlHost::AdviseEvent(int dispatchNumber, EventRoutine routine, std::intptr_t user) {
    for (EventEntry& entry : events_) {
        if (entry.dispatchNumber != dispatchNumber) continue;
        entry.routine = std::move(routine);
        entry.user = user;
        return true;
    }
    return false;
}

void ControlHost::Fire(int dispatchNumber, const QVariantList& parameters) {
    for (const EventEntry& entry : events_) {
        if (entry.dispatchNumber == dispatchNumber && entry.routine) {
            // A routine may bind again or make a new control: call a copy.
            const EventRoutine routine = entry.routine;
            routine(parameters, entry.user);
            return;
        }
    }
}

}  // namespace vantrel
