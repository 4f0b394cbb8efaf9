#pragma once

#include <string_view>

namespace vantrel {

// The sample service answers and media built into the program for the demo
// mode, by file name ("weibo_hot.json", "demo_video.mp4", ...); empty for an
// unknown name.
std::string_view DemoSample(std::string_view name);

}  // namespace vantrel
