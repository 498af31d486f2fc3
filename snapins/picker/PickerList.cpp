#include "snapins/picker/PickerList.h"

#include "framework/Module.h"

#include <algorithm>

namespace vantrel {

void CPickerList::Attach(HWND list, DWORD extendedStyle) {
    list_ = list;
    if (list_ && extendedStyle) ::SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, extendedStyle, extendedStyle);
}

void CPickerList::SetColumns(std::span<const ReportColumn> columns) {
    if (!list_) return;
    columns_.assign(columns.begin(), columns.end());
    sort_.reset();
    for (size_t i = 0; i < columns_.size(); ++i) {
        std::wstring header = LoadStringW(columns_[i].headerId);
        LVCOLUMNW column = {};
        column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.fmt = columns_[i].format;
        column.pszText = header.data();
        column.cx = listview::ScaleForDpi(list_, columns_[i].width);
        column.iSubItem = static_cast<int>(i);
        ::SendMessageW(list_, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
}

void CPickerList::SetImages(HIMAGELIST small) {
    images_.reset(small);
    if (list_) ::SendMessageW(list_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(small));
}

void CPickerList::LoadSortArrows() {
    sortArrows_.reset(LoadImageStrip(L"IDB_SNAP_SORTING", 8, ILC_COLOR24));
    HWND header = list_ ? reinterpret_cast<HWND>(::SendMessageW(list_, LVM_GETHEADER, 0, 0)) : nullptr;
    if (header) ::SendMessageW(header, HDM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(sortArrows_.get()));
}

void CPickerList::ShowCount() {
    if (!list_) return;
    ::SendMessageW(list_, LVM_SETITEMCOUNT, rows_.size(), LVSICF_NOSCROLL);
    InvalidateRect(list_, nullptr, TRUE);
}

void CPickerList::Fill(std::vector<Row> rows, Order order) {
    // Positions of the old rows mean nothing for the new ones.
    SelectItem(-1);
    rows_ = std::move(rows);
    ShowCount();
    if (order == Order::Unsorted) Resort();
}

std::vector<CPickerList::Row> CPickerList::TakeRows() {
    SelectItem(-1);
    std::vector<Row> rows = std::move(rows_);
    rows_.clear();
    ShowCount();
    return rows;
}

void CPickerList::Append(std::span<const Row> rows) {
    if (rows.empty()) return;
    rows_.insert(rows_.end(), rows.begin(), rows.end());
    ShowCount();
}

void CPickerList::Clear() { Fill({}); }

void CPickerList::Resort() {
    if (sort_) SortBy(sort_->column, sort_->ascending);
}

void CPickerList::SortBy(int listColumn, bool ascending) {
    if (listColumn < 0 || listColumn >= static_cast<int>(columns_.size())) return;
    sort_ = listview::SortState{listColumn, ascending};
    if (list_) listview::DrawSortArrow(list_, *sort_);
    const std::optional<LPARAM> selected = SelectedKey();
    const int column = columns_[static_cast<size_t>(listColumn)].modelColumn;
    std::stable_sort(rows_.begin(), rows_.end(), [&](const Row& a, const Row& b) {
        const int order = source_.CompareRecords(a.key, b.key, column);
        return ascending ? order < 0 : order > 0;
    });
    // The selection is a position in an owner-data list: it follows its row.
    if (selected) {
        const auto at = std::find_if(rows_.begin(), rows_.end(), [&](const Row& row) { return row.key == *selected; });
        SelectItem(at == rows_.end() ? -1 : static_cast<int>(at - rows_.begin()));
    }
    if (list_) InvalidateRect(list_, nullptr, TRUE);
}

void CPickerList::SelectItem(int item) {
    if (!list_) return;
    LVITEMW none = {};
    none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    if (item >= 0) listview::SelectItem(list_, item);
}

std::optional<LPARAM> CPickerList::KeyOfItem(int item) const {
    if (item < 0 || static_cast<size_t>(item) >= rows_.size()) return std::nullopt;
    return rows_[static_cast<size_t>(item)].key;
}

std::optional<LPARAM> CPickerList::SelectedKey() const {
    return list_ ? KeyOfItem(listview::SelectedItem(list_)) : std::nullopt;
}

void CPickerList::OnDisplayInfo(NMLVDISPINFOW* info) {
    LVITEMW& item = info->item;
    const std::optional<LPARAM> key = KeyOfItem(item.iItem);
    if (!key) return;
    if (item.mask & LVIF_IMAGE) item.iImage = rows_[static_cast<size_t>(item.iItem)].image;
    if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
        const int column = item.iSubItem >= 0 && static_cast<size_t>(item.iSubItem) < columns_.size()
                               ? columns_[static_cast<size_t>(item.iSubItem)].modelColumn
                               : -1;
        textBuffer_ = source_.CellText(*key, column);
        const size_t n = std::min(textBuffer_.size(), static_cast<size_t>(item.cchTextMax - 1));
        std::copy_n(textBuffer_.data(), n, item.pszText);
        item.pszText[n] = 0;
    }
}

bool CPickerList::HandleNotify(const NMHDR* header, LRESULT* result) {
    if (!list_ || !header || header->hwndFrom != list_) return false;
    *result = 0;
    switch (header->code) {
    case LVN_GETDISPINFOW:
        OnDisplayInfo(reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(header)));
        return true;
    case LVN_ODFINDITEMW:
        *result = -1;  // no search by typing
        return true;
    case LVN_COLUMNCLICK: {
        const int column = reinterpret_cast<const NMLISTVIEW*>(header)->iSubItem;
        if (source_.OnColumnClick(column)) return true;
        SortBy(column, sort_ && sort_->column == column ? !sort_->ascending : true);
        return true;
    }
    case LVN_ITEMCHANGED: {
        auto change = reinterpret_cast<const NMLISTVIEW*>(header);
        if ((change->uChanged & LVIF_STATE) && ((change->uOldState ^ change->uNewState) & LVIS_SELECTED))
            source_.OnSelectionChanged();
        return true;
    }
    case NM_DBLCLK:
        if (auto key = KeyOfItem(reinterpret_cast<const NMITEMACTIVATE*>(header)->iItem)) source_.OnItemActivated(*key);
        return true;
    case NM_RETURN:
        if (auto key = SelectedKey()) source_.OnItemActivated(*key);
        return true;
    default:
        return false;
    }
}

}  // namespace vantrel
