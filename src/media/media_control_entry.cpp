#include "media/video_control.h"

// The maker the program finds under MEDIA_CONTROL_MAKER once it has loaded
// this library.
extern "C" __attribute__((visibility("default"))) vantrel::HostedControl*
vantrel_make_media_control(QWidget* parent) {
    return new vantrel::VideoControl(parent);
}
