#pragma once

#include <string>
#include <string_view>

namespace vantrel {

// What one item answer says about a video. All texts are local text.
struct VideoItem {
    std::string nickname;
    std::string avatarUrl;
    std::string description;
    std::string coverUrl;
    std::string playAddress;  // where the play request redirects: the video itself
    std::string durationSeconds;
    std::string awemeId;
    std::string likeCount;  // the counts and the time as the answer's JSON text
    std::string commentCount;
    std::string createTime;
    std::string authorUid;
};

// The item identifier of a share link: the text between the first "video/"
// and the next "/"; empty when either is missing.
std::string ItemIdOfLink(std::string_view link);

// The mobile agent the play request goes out with.
inline constexpr const char* PLAY_AGENT_HEADER =
    "user-agent: Mozilla/5.0 (Linux; Android 6.0; Nexus 5 Build/MRA58N) AppleWebKit/537.36 "
    "(KHTML, like Gecko) Chrome/78.0.3904.108 Mobile Safari/537.36";

// Asks the item API about the link's item and resolves its play address (a
// POST that is not followed: the answer's Location is the video). False, with
// item untouched, when the answer is not JSON or its "status_code" is not 0.
// A play request without a Location leaves playAddress empty.
bool FetchVideoItem(std::string_view link, VideoItem& item);

}  // namespace vantrel
