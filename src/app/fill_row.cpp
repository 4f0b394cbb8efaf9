#include "app/fill_row.h"

#include <array>
#include <string>
#include <utility>

#include "app/keyword_monitor.h"

namespace vantrel {

namespace {

struct TagWord {
    std::string_view tag;
    int element;
};

constexpr std::array<TagWord, 7> kTagWords{{
    {"hot", 0},
    {"3", 0},
    {"new", 1},
    {"1", 1},
    {"jian_yellow", 2},
    {"fei", 3},
    {"boom", 4},
}};

// Shows `element` of the cell's group and hides the group's other elements.
void ShowOnly(ListModel& list, int row, int column, int element, int groupSize) {
    for (int i = 0; i < groupSize; ++i)
        list.SetElementVisible(row, column, i, i == element);
}

}  // namespace

std::optional<int> TagElement(std::string_view tag) {
    for (const TagWord& word : kTagWords) {
        if (word.tag == tag) return word.element;
    }
    return std::nullopt;
}

std::optional<int> RankElement(int rank) {
    if (rank >= 0 && rank < RANK_ICON_COUNT) return rank;
    return std::nullopt;
}

int FillRow(ListModel& list, AppState& state, int rank, const ListEntry& entry) {
    const int row = list.InsertItem(-1, 30);
    const std::optional<int> rankElement = RankElement(rank);
    list.SetItemTitle(row, COLUMN_RANK, rankElement ? std::string() : std::to_string(rank));
    list.SetItemTitle(row, COLUMN_TITLE, entry.title);
    if (!entry.description.empty()) list.SetItemTitle(row, COLUMN_DESCRIPTION, entry.description);
    list.SetItemFontColor(row, COLUMN_RANK, COLOR_ACCENT);
    list.SetItemFontColor(row, COLUMN_TITLE, COLOR_TITLE);
    if (state.keywordMonitorOn) ApplyKeywordHighlight(entry.title, row, list, state);
    if (rankElement) ShowOnly(list, row, COLUMN_RANK, *rankElement, RANK_ICON_COUNT);
    if (const std::optional<int> tagElement = TagElement(entry.tag)) {
        ShowOnly(list, row, COLUMN_TAG, *tagElement, TAG_ICON_COUNT);
    }
    return row;
}

}  // namespace vantrel
