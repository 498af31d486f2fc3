#include "framework/VirtualReportList.h"

#include "framework/Module.h"

#include <algorithm>

namespace vantrel {

CVirtualReportList::CVirtualReportList(IVirtualListSource& source, const wchar_t* settingsName)
    : source_(source), settingsName_(settingsName ? settingsName : L"") {}

bool CVirtualReportList::Create(HWND parent, int controlId, DWORD style, DWORD extendedStyle) {
    ActivationScope scope;
    HWND list = CreateWindowExW(0, WC_LISTVIEWW, nullptr, WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA | style, 0,
                                0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)),
                                ModuleInstance(), nullptr);
    if (!list) return false;
    Attach(list, extendedStyle);
    return true;
}

void CVirtualReportList::Attach(HWND list, DWORD extendedStyle) {
    list_ = list;
    if (list_ && extendedStyle)
        ::SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, extendedStyle, extendedStyle);
}

void CVirtualReportList::SetColumns(std::span<const ReportColumn> columns) {
    if (!list_) return;
    columns_.assign(columns.begin(), columns.end());
    sort_.reset();
    listview::InsertColumns(list_, columns_);
}

int CVirtualReportList::ModelColumn(int listColumn) const {
    return listColumn >= 0 && static_cast<size_t>(listColumn) < columns_.size() ? columns_[listColumn].modelColumn : -1;
}

void CVirtualReportList::SetImages(HIMAGELIST small) {
    smallImages_.reset(small);
    if (list_) ::SendMessageW(list_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(small));
}

void CVirtualReportList::LoadSortArrows() {
    sortArrows_.reset(LoadImageStrip(L"IDB_SNAP_SORTING", 8, ILC_COLOR24));
    HWND header = list_ ? reinterpret_cast<HWND>(::SendMessageW(list_, LVM_GETHEADER, 0, 0)) : nullptr;
    if (header) ::SendMessageW(header, HDM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(sortArrows_.get()));
}

// ---- rows ------------------------------------------------------------------------

void CVirtualReportList::SetRowCount(int count) {
    if (!list_) return;
    count = std::max(count, 0);
    const int before = RowCount();
    if (count == before) return;
    // Rows that stay keep their place on the screen; only new ones are drawn.
    const LPARAM flags = count > before ? LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL : 0;
    ::SendMessageW(list_, LVM_SETITEMCOUNT, static_cast<WPARAM>(count), flags);
}

int CVirtualReportList::RowCount() const { return list_ ? listview::ItemCount(list_) : 0; }

void CVirtualReportList::RedrawRows(int first, int last) {
    if (!list_ || last < first) return;
    ::SendMessageW(list_, LVM_REDRAWITEMS, static_cast<WPARAM>(first), static_cast<LPARAM>(last));
}

std::optional<int> CVirtualReportList::SelectedRow() const {
    if (!list_ || ::SendMessageW(list_, LVM_GETSELECTEDCOUNT, 0, 0) <= 0) return std::nullopt;
    int row = selectedRow_;
    const bool known = row >= 0 && row < RowCount() &&
                       (::SendMessageW(list_, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED) & LVIS_SELECTED);
    // Only a selection made without telling (none is known) costs the walk.
    if (!known) row = listview::SelectedItem(list_);
    return row >= 0 && row < RowCount() ? std::optional<int>(row) : std::nullopt;
}

void CVirtualReportList::NoteSelection(int first, int last, UINT oldState, UINT newState) {
    if (!((oldState ^ newState) & LVIS_SELECTED)) return;
    if (newState & LVIS_SELECTED) {
        if (first >= 0) selectedRow_ = first;
    } else if (first < 0 || (selectedRow_ >= first && selectedRow_ <= last)) {
        selectedRow_ = -1;  // -1: every row changed
    }
    source_.OnSelectionChanged();
}

void CVirtualReportList::SelectRow(int row) {
    if (list_) listview::SelectItem(list_, row < RowCount() ? row : -1);
}

std::optional<std::pair<int, int>> CVirtualReportList::VisibleRows() const {
    const int count = RowCount();
    if (count == 0) return std::nullopt;
    const int top = static_cast<int>(::SendMessageW(list_, LVM_GETTOPINDEX, 0, 0));
    const int page = static_cast<int>(::SendMessageW(list_, LVM_GETCOUNTPERPAGE, 0, 0));
    const int first = std::clamp(top, 0, count - 1);
    return std::make_pair(first, std::clamp(first + std::max(page, 1), first, count - 1));
}

// ---- sorting ---------------------------------------------------------------------------

void CVirtualReportList::SetSort(std::optional<listview::SortState> sort) {
    if (sort && (sort->column < 0 || sort->column >= static_cast<int>(columns_.size()))) sort.reset();
    sort_ = sort;
    if (!list_) return;
    if (sort_)
        listview::DrawSortArrow(list_, *sort_);
    else
        listview::RemoveSortArrow(list_);
}

void CVirtualReportList::OnColumnClick(int listColumn) {
    if (listColumn < 0 || listColumn >= static_cast<int>(columns_.size())) return;
    // As every sortable list: the sorted column flips, another starts ascending.
    const bool ascending = sort_ && sort_->column == listColumn ? !sort_->ascending : true;
    SetSort(listview::SortState{listColumn, ascending});
    source_.OnSortChanged(*sort_);
}

// ---- notifications ---------------------------------------------------------------------

void CVirtualReportList::OnDisplayInfo(NMLVDISPINFOW* info) {
    LVITEMW& item = info->item;
    const bool inRange = item.iItem >= 0 && item.iItem < RowCount();
    if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
        const std::wstring text = inRange ? source_.CellText(item.iItem, ModelColumn(item.iSubItem)) : std::wstring();
        listview::CopyCellText(text, item.pszText, item.cchTextMax);
    }
    if (item.mask & LVIF_IMAGE) item.iImage = inRange && item.iSubItem == 0 ? source_.RowImage(item.iItem) : I_IMAGENONE;
}

bool CVirtualReportList::HandleNotify(const NMHDR* header, LRESULT* result) {
    if (!list_ || !header || header->hwndFrom != list_) return false;
    *result = 0;
    switch (header->code) {
    case LVN_GETDISPINFOW:
        OnDisplayInfo(reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(header)));
        return true;
    case LVN_ODCACHEHINT: {
        auto hint = reinterpret_cast<const NMLVCACHEHINT*>(header);
        const int count = RowCount();
        const int first = std::max(hint->iFrom, 0);
        const int last = std::min(hint->iTo, count - 1);
        if (first <= last) source_.OnCacheHint(first, last);
        return true;
    }
    case LVN_ODFINDITEMW:
        *result = -1;  // typing a row's first letters finds nothing in a list of unloaded rows
        return true;
    case LVN_COLUMNCLICK:
        OnColumnClick(reinterpret_cast<const NMLISTVIEW*>(header)->iSubItem);
        return true;
    case LVN_ITEMCHANGED: {
        auto change = reinterpret_cast<const NMLISTVIEW*>(header);
        if (change->uChanged & LVIF_STATE) NoteSelection(change->iItem, change->iItem, change->uOldState, change->uNewState);
        return true;
    }
    case LVN_ODSTATECHANGED: {
        auto change = reinterpret_cast<const NMLVODSTATECHANGE*>(header);
        NoteSelection(change->iFrom, change->iTo, change->uOldState, change->uNewState);
        return true;
    }
    case NM_DBLCLK: {
        auto activate = reinterpret_cast<const NMITEMACTIVATE*>(header);
        if (activate->iItem >= 0 && activate->iItem < RowCount()) source_.OnRowActivated(activate->iItem);
        return true;
    }
    case NM_RETURN:
        if (const std::optional<int> row = SelectedRow()) source_.OnRowActivated(*row);
        return true;
    default:
        return false;
    }
}

POINT CVirtualReportList::ContextMenuPoint(LPARAM contextMenuPosition) const {
    return listview::ContextMenuPoint(list_, contextMenuPosition);
}

// ---- layout ---------------------------------------------------------------------------------

void CVirtualReportList::SaveLayout(ISettingsList* section) const {
    if (!list_ || !section || settingsName_.empty()) return;
    listview::SaveLayout(list_, section->AddChild(settingsName_.c_str(), 0));
}

void CVirtualReportList::LoadLayout(ISettingsList* section) {
    if (!list_ || !section || settingsName_.empty()) return;
    if (auto sort = listview::LoadLayout(list_, section->Find(settingsName_.c_str()))) SetSort(*sort);
}

}  // namespace vantrel
