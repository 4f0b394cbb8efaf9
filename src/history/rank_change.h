#pragma once

#include <string>
#include <vector>

#include "history/history_types.h"

namespace vantrel {

struct RankChange {
    enum class Kind {
        kUnknown,  // no earlier list to compare with
        kSame,
        kRose,
        kFell,
        kNew,  // the title was not in the earlier list
    };
    Kind kind = Kind::kUnknown;
    int places = 0;  // kRose, kFell: how far

    bool operator==(const RankChange&) const = default;
};

// Each row of `rows` against `previous` (nullptr: none stored), by exact
// title. A title listed twice in `previous` counts at its first row.
std::vector<RankChange> CompareLists(const HistoryList* previous,
                                     const std::vector<HistoryRow>& rows);

// "+n" risen n places, "-n" fallen n, "new", or empty (unchanged, unknown).
std::string ChangeText(const RankChange& change);

}  // namespace vantrel
