#include "history/rank_change.h"

#include <string_view>
#include <unordered_map>

namespace vantrel {

std::vector<RankChange> CompareLists(const HistoryList* previous,
                                     const std::vector<HistoryRow>& rows) {
    std::vector<RankChange> changes(rows.size());
    if (!previous) return changes;
    std::unordered_map<std::string_view, int> earlierRank;
    for (const HistoryRow& row : previous->rows)
        earlierRank.emplace(row.title, row.rank);
    for (size_t i = 0; i < rows.size(); ++i) {
        const auto found = earlierRank.find(rows[i].title);
        if (found == earlierRank.end()) {
            changes[i] = {RankChange::Kind::kNew, 0};
            continue;
        }
        const int rose = found->second - rows[i].rank;
        if (rose > 0)
            changes[i] = {RankChange::Kind::kRose, rose};
        else if (rose < 0)
            changes[i] = {RankChange::Kind::kFell, -rose};
        else
            changes[i] = {RankChange::Kind::kSame, 0};
    }
    return changes;
}

std::string ChangeText(const RankChange& change) {
    switch (change.kind) {
        case RankChange::Kind::kRose:
            return "+" + std::to_string(change.places);
        case RankChange::Kind::kFell:
            return "-" + std::to_string(change.places);
        case RankChange::Kind::kNew:
            return "new";
        default:
            return "";
    }
}

}  // namespace vantrel
