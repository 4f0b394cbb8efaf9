#include "app/change_marker.h"

#include "net/code_page.h"

namespace vantrel {

ChangeMarker ChangeMarkerOf(const RankChange& change) {
    switch (change.kind) {
        case RankChange::Kind::kRose:
            return {Utf8ToLocal("▲" + std::to_string(change.places)), COLOR_ROSE};
        case RankChange::Kind::kFell:
            return {Utf8ToLocal("▼" + std::to_string(change.places)), COLOR_FELL};
        case RankChange::Kind::kNew:
            return {Utf8ToLocal("新"), COLOR_NEW};
        case RankChange::Kind::kSame:
        case RankChange::Kind::kUnknown:
            break;
    }
    return {};
}

void ApplyChangeMarkers(ListModel& list, const std::vector<RankChange>& changes) {
    for (int row = 0; row < list.ItemCount(); ++row) {
        const ChangeMarker marker =
            row < static_cast<int>(changes.size()) ? ChangeMarkerOf(changes[row]) : ChangeMarker{};
        list.SetItemBadge(row, COLUMN_TITLE, marker.text, marker.color);
    }
}

}  // namespace vantrel
