#pragma once

#include <string>

namespace vantrel {

// What the video window last loaded, kept for the whole run so that a window
// opened again, a download or an avatar click refer to it. Local text.
struct ViewerState {
    std::string currentAuthorUid;
    std::string currentVideoAddress;
    std::string currentAwemeId;
};

}  // namespace vantrel
