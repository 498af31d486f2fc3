#include "framework/SortedVirtualList.h"

#include <algorithm>

namespace vantrel {

void CSortedVirtualList::ShowCount() {
    HWND list = list_.Handle();
    if (!list) return;
    // Every position may hold another row now: draw them all again.
    ::SendMessageW(list, LVM_SETITEMCOUNT, rows_.size(), LVSICF_NOSCROLL);
    InvalidateRect(list, nullptr, TRUE);
}

void CSortedVirtualList::Fill(std::vector<Row> rows, Order order) {
    // Positions of the old rows mean nothing for the new ones.
    list_.SelectRow(-1);
    rows_ = std::move(rows);
    ShowCount();
    if (order == Order::Unsorted) Resort();
}

std::vector<CSortedVirtualList::Row> CSortedVirtualList::TakeRows() {
    list_.SelectRow(-1);
    std::vector<Row> rows = std::move(rows_);
    rows_.clear();
    ShowCount();
    return rows;
}

void CSortedVirtualList::Append(std::span<const Row> rows) {
    if (rows.empty()) return;
    rows_.insert(rows_.end(), rows.begin(), rows.end());
    ShowCount();
}

void CSortedVirtualList::Resort() {
    if (const auto sort = list_.Sort()) SortRows(*sort);
}

void CSortedVirtualList::SortBy(int listColumn, bool ascending) {
    list_.SetSort(listview::SortState{listColumn, ascending});
    Resort();
}

void CSortedVirtualList::OnSortChanged(listview::SortState sort) { SortRows(sort); }

void CSortedVirtualList::SortRows(listview::SortState sort) {
    const int column = list_.ModelColumn(sort.column);
    if (column < 0) return;
    const std::optional<LPARAM> selected = SelectedKey();
    std::stable_sort(rows_.begin(), rows_.end(), [&](const Row& a, const Row& b) {
        const int order = source_.CompareRecords(a.key, b.key, column);
        return sort.ascending ? order < 0 : order > 0;
    });
    // The selection is a position in an owner-data list: it follows its row.
    if (selected) {
        const auto at = std::find_if(rows_.begin(), rows_.end(), [&](const Row& row) { return row.key == *selected; });
        list_.SelectRow(at == rows_.end() ? -1 : static_cast<int>(at - rows_.begin()));
    }
    if (list_.Handle()) InvalidateRect(list_.Handle(), nullptr, TRUE);
}

std::optional<LPARAM> CSortedVirtualList::KeyOfItem(int item) const {
    if (item < 0 || static_cast<size_t>(item) >= rows_.size()) return std::nullopt;
    return rows_[static_cast<size_t>(item)].key;
}

std::optional<LPARAM> CSortedVirtualList::SelectedKey() const {
    const std::optional<int> row = list_.SelectedRow();
    return row ? KeyOfItem(*row) : std::nullopt;
}

std::wstring CSortedVirtualList::CellText(int row, int modelColumn) {
    const std::optional<LPARAM> key = KeyOfItem(row);
    return key ? source_.CellText(*key, modelColumn) : std::wstring();
}

int CSortedVirtualList::RowImage(int row) {
    return KeyOfItem(row) ? rows_[static_cast<size_t>(row)].image : I_IMAGENONE;
}

void CSortedVirtualList::OnRowActivated(int row) {
    if (const std::optional<LPARAM> key = KeyOfItem(row)) source_.OnItemActivated(*key);
}

}  // namespace vantrel
