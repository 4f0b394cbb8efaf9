#pragma once

class QWidget;

namespace vantrel {

class HostedControl;

// The media-player control lives in a library of its own, loaded when the
// first control is made: the multimedia libraries stay out of a program
// that never opens a video. Null when the library cannot be loaded.
HostedControl* MakeMediaControl(QWidget* parent);

// The library's file name and the name its maker is exported under.
inline constexpr const char* MEDIA_CONTROL_LIBRARY = "libvantrel_media.so";
inline constexpr const char* MEDIA_CONTROL_MAKER = "vantrel_make_media_control";

}  // namespace vantrel
