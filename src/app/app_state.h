#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "model/colors.h"
#include "model/source_id.h"
#include "rules/rule_set.h"
#include "settings/settings_file.h"
#include "sources/fetch_result.h"

namespace vantrel {

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

// The process-wide state of the main window: the saved settings, which a
// first run starts from their defaults, and what the run learns.
struct AppState : SettingsFields {
    // No list is chosen until start-up selects one.
    AppState() { currentSource = SourceId::kNone; }

    std::vector<std::string> keywordList;  // keywordText split, rebuilt on every check
    TimePoint lastUpdate{};                // moment the last fetch finished its list; zero at first
    DouyinRowLinks rowLinks;
    std::string clickedLinksText;           // the rowLinks element of the last activated Douyin row
    std::vector<std::string> clickedLinks;  // clickedLinksText split at "|"
    // Beyond the saved state: per row of the list, a page its activation opens
    // instead of the source's usual action (empty for most rows).
    std::vector<std::string> rowPages;
    std::array<SourceHealth, SOURCE_COUNT> health{};
    SourceId listSource = SourceId::kNone;  // whose rows the list holds
    bool fetching = false;                  // a fetch is waiting for its answer

    // rules.json: the rules, its "勿扰" switch, and (UTF-8) why the file is
    // not in use when it could not be read.
    RuleSet rules;
    bool doNotDisturb = false;
    std::string rulesStatus;
    // Per row of the list, the indexes of the rules its title matched.
    std::vector<std::vector<std::size_t>> rowRules;
};

}  // namespace vantrel
