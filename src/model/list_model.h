#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "model/colors.h"

namespace vantrel {

// Image element groups a column can carry. Each cell of such a column has one
// element per image of the group, each shown or hidden (hidden at first).
enum class ImageGroup { kNone, kRankIcons, kTagIcons };

inline constexpr int RANK_ICON_COUNT = 4;  // 0 pinned, 1 first, 2 second, 3 third
inline constexpr int TAG_ICON_COUNT = 5;   // 0 hot, 1 new, 2 recommended, 3 boiling, 4 explosive

int ImageGroupSize(ImageGroup group);

struct ListColumn {
    std::string title;  // local text
    int width = 0;      // pixels; 0 hides the column
    ImageGroup images = ImageGroup::kNone;
};

struct ListCell {
    std::string text;  // local text
    std::uint32_t color = COLOR_WHITE;
    std::uint32_t visibleElements = 0;  // bit i: element i of the column's group is shown
    // A short mark drawn small at the cell's right end; the text gives way to it.
    std::string badge;  // local text; empty: none
    std::uint32_t badgeColor = COLOR_WHITE;
};

struct ListRow {
    int height = 30;
    std::vector<ListCell> cells;  // one per column
};

// What changed, so that a view can follow. Structural changes come in pairs
// (about to / done) because item views must be told before rows come and go.
struct ListChange {
    enum class Kind {
        kRowsAboutToBeInserted,
        kRowsInserted,
        kRowsAboutToBeRemoved,
        kRowsRemoved,
        kCellChanged,    // text, colour or elements of (row, column)
        kColumnsChanged  // a column was added or its width or title changed
    };
    Kind kind;
    int first = 0;  // rows: first..last inclusive; cells: the row; columns: the column
    int last = 0;
    int column = -1;  // kCellChanged only
};

// The multi-column list of the main window without its drawing: rows of cell
// texts, colours and image elements. Indexes count from 0; out-of-range
// indexes are ignored by setters and read as empty by getters.
class ListModel {
  public:
    using Listener = std::function<void(const ListChange&)>;

    // Returns the new column's index.
    int InsertColumn(std::string title, int width, ImageGroup images = ImageGroup::kNone);
    void SetColumnWidth(int column, int width);
    void SetColumnTitle(int column, std::string title);
    int ColumnCount() const { return static_cast<int>(columns_.size()); }
    const ListColumn& Column(int column) const;

    // Inserts one row before `index` (-1 or past the end: appends). Returns its index.
    int InsertItem(int index = -1, int height = 30);
    // Removes the row at `index`; -1 removes every row.
    void DeleteItem(int index);
    int ItemCount() const { return static_cast<int>(rows_.size()); }
    const ListRow& Row(int row) const;

    void SetItemTitle(int row, int column, std::string text);
    const std::string& ItemTitle(int row, int column) const;
    void SetItemFontColor(int row, int column, std::uint32_t argb);
    std::uint32_t ItemFontColor(int row, int column) const;
    void SetItemBadge(int row, int column, std::string text, std::uint32_t argb);
    void SetElementVisible(int row, int column, int element, bool visible);
    bool IsElementVisible(int row, int column, int element) const;

    // Returns an id for RemoveListener.
    int AddListener(Listener listener);
    void RemoveListener(int id);

  private:
    ListCell* CellAt(int row, int column);
    const ListCell* CellAt(int row, int column) const;
    void Notify(const ListChange& change);

    std::vector<ListColumn> columns_;
    std::vector<ListRow> rows_;
    std::vector<std::pair<int, Listener>> listeners_;
    int nextListenerId_ = 1;
};

// The trending list's four columns: rank with RankIcons, title, tag with
// TagIcons, and the hidden description.
inline constexpr int COLUMN_RANK = 0;
inline constexpr int COLUMN_TITLE = 1;
inline constexpr int COLUMN_TAG = 2;
inline constexpr int COLUMN_DESCRIPTION = 3;

void SetUpTrendingColumns(ListModel& list);

}  // namespace vantrel
