#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "settings/settings_file.h"
#include "sources/fetch_result.h"

namespace vantrel {

// Colours as the list and the caption buttons take them: 32-bit ARGB.
inline constexpr std::uint32_t COLOR_ACCENT = 0xFFFF8E17;
inline constexpr std::uint32_t COLOR_TITLE = 0xFFBBBBBB;
inline constexpr std::uint32_t COLOR_IDLE = 0xFF6D7794;
inline constexpr std::uint32_t COLOR_WHITE = 0xFFFFFFFF;

// Which list the window shows. The number is also what the settings file
// stores and what export names and full-board links are chosen by; kNone is
// the state before any source was chosen (or after a settings file named none).
enum class SourceId : int { kNone = 0, kWeibo = 1, kBaidu = 2, kToutiao = 3, kDouyin = 4 };

inline constexpr int SOURCE_COUNT = 4;

// True for 1..4.
constexpr bool IsSourceNumber(int n) {
    return n >= 1 && n <= SOURCE_COUNT;
}

// Every text below is local text (GB18030 bytes), like everything the sources
// hand back; the windows convert at their edge.

// One text per Douyin row, in row order: that row's video links joined by "|"
// (reverse order of the answer), empty for an entry without links.
using DouyinRowLinks = std::vector<std::string>;

using TimePoint = std::chrono::system_clock::time_point;

// What the fetches of one source told about its requests, kept for the run.
struct SourceHealth {
    int answeredBy = -1;  // the request that gave the last list (0 documented); -1 none yet
    TimePoint answeredAt{};
    RequestFailure lastFailure;    // the latest request that gave no list
    TimePoint failedAt{};          // zero while none failed
    bool lastFetchFailed = false;  // no request of the latest fetch gave a list
};

// The process-wide state of the main window. Fields in the order start-up
// resets them; the initial values are those of a first run.
struct AppState {
    bool taskbarMode = false;
    bool alwaysOnTop = false;
    std::string keywordText;  // keywords separated by the full-width comma
    bool keywordMonitorOn = false;
    bool autoRefreshOn = false;
    bool videoSoundOn = false;
    bool dockToEdge = false;
    bool autoSaveOn = false;
    std::string saveDirectory{SAVE_DIRECTORY_PROMPT};
    int autoSaveMinutes = 10;
    bool launchAtStartup = false;
    int opacity = 255;  // 0..255
    int autoRefreshSeconds = 0;
    SourceId currentSource = SourceId::kNone;
    std::vector<std::string> keywordList;  // keywordText split, rebuilt on every check
    TimePoint lastUpdate{};                // moment the last fetch finished its list; zero at first
    DouyinRowLinks rowLinks;
    std::string clickedLinksText;           // the rowLinks element of the last activated Douyin row
    std::vector<std::string> clickedLinks;  // clickedLinksText split at "|"
    // Beyond the saved state: per row of the list, a page its activation opens
    // instead of the source's usual action (empty for most rows).
    std::vector<std::string> rowPages;
    std::array<SourceHealth, SOURCE_COUNT> health{};
    bool fetching = false;  // a fetch is waiting for its answer
};

}  // namespace vantrel
