#include "model/list_model.h"

#include <algorithm>
#include <utility>

namespace vantrel {

namespace {

const ListColumn kNoColumn{};
const ListRow kNoRow{};
const std::string kNoText;

}  // namespace

int ImageGroupSize(ImageGroup group) {
    switch (group) {
        case ImageGroup::kRankIcons:
            return RANK_ICON_COUNT;
        case ImageGroup::kTagIcons:
            return TAG_ICON_COUNT;
        case ImageGroup::kNone:
            break;
    }
    return 0;
}

int ListModel::InsertColumn(std::string title, int width, ImageGroup images) {
    columns_.push_back({std::move(title), width, images});
    for (ListRow& row : rows_)
        row.cells.emplace_back();
    const int column = ColumnCount() - 1;
    Notify({ListChange::Kind::kColumnsChanged, column, column});
    return column;
}

void ListModel::SetColumnWidth(int column, int width) {
    if (column < 0 || column >= ColumnCount()) return;
    columns_[column].width = width;
    Notify({ListChange::Kind::kColumnsChanged, column, column});
}

void ListModel::SetColumnTitle(int column, std::string title) {
    if (column < 0 || column >= ColumnCount()) return;
    columns_[column].title = std::move(title);
    Notify({ListChange::Kind::kColumnsChanged, column, column});
}

const ListColumn& ListModel::Column(int column) const {
    if (column < 0 || column >= ColumnCount()) return kNoColumn;
    return columns_[column];
}

int ListModel::InsertItem(int index, int height) {
    if (index < 0 || index > ItemCount()) index = ItemCount();
    Notify({ListChange::Kind::kRowsAboutToBeInserted, index, index});
    ListRow row;
    row.height = height;
    row.cells.resize(columns_.size());
    rows_.insert(rows_.begin() + index, std::move(row));
    Notify({ListChange::Kind::kRowsInserted, index, index});
    return index;
}

void ListModel::DeleteItem(int index) {
    if (index == -1) {
        if (rows_.empty()) return;
        const int last = ItemCount() - 1;
        Notify({ListChange::Kind::kRowsAboutToBeRemoved, 0, last});
        rows_.clear();
        Notify({ListChange::Kind::kRowsRemoved, 0, last});
        return;
    }
    if (index < 0 || index >= ItemCount()) return;
    Notify({ListChange::Kind::kRowsAboutToBeRemoved, index, index});
    rows_.erase(rows_.begin() + index);
    Notify({ListChange::Kind::kRowsRemoved, index, index});
}

const ListRow& ListModel::Row(int row) const {
    if (row < 0 || row >= ItemCount()) return kNoRow;
    return rows_[row];
}

ListCell* ListModel::CellAt(int row, int column) {
    if (row < 0 || row >= ItemCount() || column < 0 || column >= ColumnCount()) return nullptr;
    return &rows_[row].cells[column];
}

const ListCell* ListModel::CellAt(int row, int column) const {
    return const_cast<ListModel*>(this)->CellAt(row, column);
}

void ListModel::SetItemTitle(int row, int column, std::string text) {
    ListCell* cell = CellAt(row, column);
    if (!cell) return;
    cell->text = std::move(text);
    Notify({ListChange::Kind::kCellChanged, row, row, column});
}

const std::string& ListModel::ItemTitle(int row, int column) const {
    const ListCell* cell = CellAt(row, column);
    return cell ? cell->text : kNoText;
}

void ListModel::SetItemFontColor(int row, int column, std::uint32_t argb) {
    ListCell* cell = CellAt(row, column);
    if (!cell) return;
    cell->color = argb;
    Notify({ListChange::Kind::kCellChanged, row, row, column});
}

std::uint32_t ListModel::ItemFontColor(int row, int column) const {
    const ListCell* cell = CellAt(row, column);
    return cell ? cell->color : 0;
}

void ListModel::SetItemBadge(int row, int column, std::string text, std::uint32_t argb) {
    ListCell* cell = CellAt(row, column);
    if (!cell) return;
    cell->badge = std::move(text);
    cell->badgeColor = argb;
    Notify({ListChange::Kind::kCellChanged, row, row, column});
}

void ListModel::SetElementVisible(int row, int column, int element, bool visible) {
    ListCell* cell = CellAt(row, column);
    if (!cell || element < 0 || element >= ImageGroupSize(columns_[column].images)) return;
    const std::uint32_t bit = 1u << element;
    cell->visibleElements =
        visible ? (cell->visibleElements | bit) : (cell->visibleElements & ~bit);
    Notify({ListChange::Kind::kCellChanged, row, row, column});
}

bool ListModel::IsElementVisible(int row, int column, int element) const {
    const ListCell* cell = CellAt(row, column);
    if (!cell || element < 0 || element >= 32) return false;
    return (cell->visibleElements >> element) & 1u;
}

int ListModel::AddListener(Listener listener) {
    listeners_.emplace_back(nextListenerId_, std::move(listener));
    return nextListenerId_++;
}

void ListModel::RemoveListener(int id) {
    std::erase_if(listeners_, [id](const auto& entry) { return entry.first == id; });
}

void ListModel::Notify(const ListChange& change) {
    // A listener may remove itself while being told; work on a copy.
    const auto listeners = listeners_;
    for (const auto& [id, listener] : listeners) {
        if (listener) listener(change);
    }
}

void SetUpTrendingColumns(ListModel& list) {
    list.InsertColumn("\xD0\xF2\xBA\xC5", 30, ImageGroup::kRankIcons);  // "序号"
    list.InsertColumn("\xC4\xDA\xC8\xDD", 220);                         // "内容"
    list.InsertColumn("\xD7\xB4\xCC\xAC", 20, ImageGroup::kTagIcons);   // "状态"
    list.InsertColumn("\xC4\xDA\xC8\xDD", 0);                           // "内容", hidden
}

}  // namespace vantrel
