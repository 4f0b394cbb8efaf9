#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "history/rank_change.h"
#include "model/list_model.h"

namespace vantrel {

inline constexpr std::uint32_t COLOR_ROSE = 0xFF3FBF6F;
inline constexpr std::uint32_t COLOR_FELL = 0xFFE5484D;
inline constexpr std::uint32_t COLOR_NEW = 0xFF4EA8FF;

struct ChangeMarker {
    std::string text;  // local text: "▲n", "▼n", "新"; empty for none
    std::uint32_t color = COLOR_WHITE;
};

// The mark a row's change shows: green rise, red fall, "新" for a new title;
// none when unchanged or when there was nothing to compare with.
ChangeMarker ChangeMarkerOf(const RankChange& change);

// Marks the title cell of each row, in row order; rows past `changes` lose their mark.
void ApplyChangeMarkers(ListModel& list, const std::vector<RankChange>& changes);

}  // namespace vantrel
