#include "framework/ReportList.h"

#include "framework/Module.h"

#include <algorithm>

namespace vantrel {

CReportList::CReportList(IReportSource& source, const wchar_t* settingsName)
    : source_(source), settingsName_(settingsName ? settingsName : L"") {}

bool CReportList::Create(HWND parent, int controlId, DWORD style, DWORD extendedStyle) {
    ActivationScope scope;
    HWND list = CreateWindowExW(0, WC_LISTVIEWW, nullptr, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)), ModuleInstance(), nullptr);
    if (!list) return false;
    Attach(list, extendedStyle);
    return true;
}

void CReportList::Attach(HWND list, DWORD extendedStyle) {
    list_ = list;
    if (!list_) return;
    if (extendedStyle) ::SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, extendedStyle, extendedStyle);
    ::SendMessageW(list_, LVM_ENABLEGROUPVIEW, TRUE, 0);
    groupsSupported_ = ::SendMessageW(list_, LVM_ISGROUPVIEWENABLED, 0, 0) != 0;
    ::SendMessageW(list_, LVM_ENABLEGROUPVIEW, FALSE, 0);
}

void CReportList::SetColumns(std::span<const ReportColumn> columns) {
    if (!list_) return;
    columns_.assign(columns.begin(), columns.end());
    sort_.reset();
    listview::InsertColumns(list_, columns_);
}

int CReportList::ModelColumn(int listColumn) const {
    return listColumn >= 0 && static_cast<size_t>(listColumn) < columns_.size() ? columns_[listColumn].modelColumn : -1;
}

void CReportList::SetImages(HIMAGELIST small, HIMAGELIST large) {
    smallImages_.reset(small);
    largeImages_.reset(large);
    if (!list_) return;
    ::SendMessageW(list_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(small));
    ::SendMessageW(list_, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(large));
}

void CReportList::LoadSortArrows() {
    sortArrows_.reset(LoadImageStrip(L"IDB_SNAP_SORTING", 8, ILC_COLOR24));
    HWND header = list_ ? reinterpret_cast<HWND>(::SendMessageW(list_, LVM_GETHEADER, 0, 0)) : nullptr;
    if (header) ::SendMessageW(header, HDM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(sortArrows_.get()));
}

void CReportList::SetViewStyle(DWORD style) {
    if (!list_) return;
    const LONG current = GetWindowLongW(list_, GWL_STYLE);
    SetWindowLongW(list_, GWL_STYLE, static_cast<LONG>((current & ~LVS_TYPEMASK) | (style & LVS_TYPEMASK)));
}

DWORD CReportList::ViewStyle() const {
    return list_ ? static_cast<DWORD>(GetWindowLongW(list_, GWL_STYLE)) & LVS_TYPEMASK : LVS_REPORT;
}

void CReportList::SetGroups(const std::vector<std::wstring>& names) {
    if (!list_) return;
    ::SendMessageW(list_, LVM_REMOVEALLGROUPS, 0, 0);
    for (size_t i = 0; i < names.size(); ++i) {
        std::wstring name = names[i];
        LVGROUP group = {};
        group.cbSize = sizeof(group);
        group.mask = LVGF_HEADER | LVGF_GROUPID;
        group.pszHeader = name.data();
        group.iGroupId = static_cast<int>(i);
        ::SendMessageW(list_, LVM_INSERTGROUP, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&group));
    }
}

void CReportList::ShowGroups(bool on) {
    groupsShown_ = on && groupsSupported_;
    if (list_) ::SendMessageW(list_, LVM_ENABLEGROUPVIEW, groupsShown_, 0);
}

// ---- items -------------------------------------------------------------------

std::wstring CReportList::IdentityOf(LPARAM key) {
    std::wstring identity = source_.RecordIdentity(key);
    return identity.empty() && !columns_.empty() ? source_.CellText(key, columns_.front().modelColumn) : identity;
}

namespace {

int InsertRow(HWND list, int position, const CReportList::Row& row) {
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM | LVIF_GROUPID;
    item.iItem = position;
    item.pszText = LPSTR_TEXTCALLBACKW;
    item.iImage = row.image;
    item.lParam = row.key;
    item.iGroupId = row.group;
    return static_cast<int>(::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

}  // namespace

void CReportList::Fill(const std::vector<Row>& rows) {
    if (!list_) return;
    const std::optional<LPARAM> selectedKey = SelectedKey();
    std::optional<std::wstring> selected = selectedKey ? std::optional(IdentityOf(*selectedKey)) : std::move(keptSelection_);
    keptSelection_.reset();
    ::SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0);
    ::SendMessageW(list_, LVM_SETITEMCOUNT, rows.size(), LVSICF_NOINVALIDATEALL);
    std::optional<LPARAM> reselect;
    for (size_t r = 0; r < rows.size(); ++r) {
        const int index = InsertRow(list_, static_cast<int>(r), rows[r]);
        if (index >= 0 && selected && !reselect && IdentityOf(rows[r].key) == *selected) reselect = rows[r].key;
    }
    if (sort_) Resort();
    if (reselect)
        Select(*reselect);
    else if (sort_ && !rows.empty())
        listview::SelectItem(list_, 0);  // a sorted list starts at its first item
    ::SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list_, nullptr, TRUE);
    source_.OnSelectionChanged();
}

void CReportList::Append(const std::vector<Row>& rows) {
    if (!list_ || rows.empty()) return;
    int position = ItemCount();
    ::SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    for (const Row& row : rows) {
        if (InsertRow(list_, position, row) < 0) continue;
        ++position;
        // The record selected when the list was cleared comes back selected.
        if (keptSelection_ && IdentityOf(row.key) == *keptSelection_) {
            keptSelection_.reset();
            Select(row.key);
        }
    }
    ::SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list_, nullptr, TRUE);
}

void CReportList::Clear() {
    if (!list_) return;
    if (const std::optional<LPARAM> key = SelectedKey()) keptSelection_ = IdentityOf(*key);
    ::SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0);
}

void CReportList::RefreshKey(LPARAM key) {
    const int item = FindItem(key);
    if (item >= 0) ::SendMessageW(list_, LVM_REDRAWITEMS, static_cast<WPARAM>(item), static_cast<LPARAM>(item));
}

int CReportList::ItemCount() const { return list_ ? listview::ItemCount(list_) : 0; }

std::optional<LPARAM> CReportList::SelectedKey() const {
    return list_ ? KeyOfItem(listview::SelectedItem(list_)) : std::nullopt;
}

std::vector<LPARAM> CReportList::SelectedKeys() const {
    std::vector<LPARAM> keys;
    if (!list_) return keys;
    for (int item = -1;;) {
        item = static_cast<int>(::SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(item), LVNI_SELECTED));
        if (item < 0) break;
        keys.push_back(listview::ItemParam(list_, item));
    }
    return keys;
}

std::optional<LPARAM> CReportList::KeyOfItem(int item) const {
    if (!list_ || item < 0) return std::nullopt;
    LVITEMW lv = {};
    lv.mask = LVIF_PARAM;
    lv.iItem = item;
    if (!::SendMessageW(list_, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&lv))) return std::nullopt;
    return lv.lParam;
}

int CReportList::FindItem(LPARAM key) const {
    if (!list_) return -1;
    LVFINDINFOW find = {};
    find.flags = LVFI_PARAM;
    find.lParam = key;
    return static_cast<int>(::SendMessageW(list_, LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
}

void CReportList::Select(LPARAM key) {
    if (list_) listview::SelectItem(list_, FindItem(key));
}

// ---- sorting -------------------------------------------------------------------

int CReportList::CompareKeys(LPARAM a, LPARAM b, int modelColumn) const {
    const int order = source_.CompareRecords(a, b, modelColumn);
    return sort_ && !sort_->ascending ? -order : order;
}

void CReportList::SortBy(int listColumn, bool ascending) {
    if (!list_ || listColumn < 0 || listColumn >= static_cast<int>(columns_.size())) return;
    sort_ = listview::SortState{listColumn, ascending};
    listview::DrawSortArrow(list_, *sort_);
    const int modelColumn = ModelColumn(listColumn);
    listview::SortByParams(list_, [&](LPARAM a, LPARAM b) { return CompareKeys(a, b, modelColumn) < 0; });
}

void CReportList::RemoveSort() {
    sort_.reset();
    if (list_) listview::RemoveSortArrow(list_);
}

void CReportList::Resort() {
    if (sort_) SortBy(sort_->column, sort_->ascending);
}

int CReportList::CompareItemsAt(int item1, int item2) {
    const auto a = KeyOfItem(item1);
    const auto b = KeyOfItem(item2);
    if (!a || !b || !sort_) return 0;
    return CompareKeys(*a, *b, ModelColumn(sort_->column));
}

void CReportList::OnColumnClick(int listColumn) {
    if (source_.OnColumnClick(listColumn)) return;
    const bool ascending = sort_ && sort_->column == listColumn ? !sort_->ascending : true;
    SortBy(listColumn, ascending);
}

// ---- notifications ------------------------------------------------------------------

void CReportList::OnDisplayInfo(NMLVDISPINFOW* info) {
    LVITEMW& item = info->item;
    if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return;
    // The parameter is not always in the request: look it up.
    const std::optional<LPARAM> key = KeyOfItem(item.iItem);
    textBuffer_ = key ? source_.CellText(*key, ModelColumn(item.iSubItem)) : std::wstring();
    listview::CopyCellText(textBuffer_, item.pszText, item.cchTextMax);
}

bool CReportList::HandleNotify(const NMHDR* header, LRESULT* result) {
    if (!list_ || !header || header->hwndFrom != list_) return false;
    *result = 0;
    switch (header->code) {
    case LVN_GETDISPINFOW:
        OnDisplayInfo(reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(header)));
        return true;
    case LVN_COLUMNCLICK:
        OnColumnClick(reinterpret_cast<const NMLISTVIEW*>(header)->iSubItem);
        return true;
    case LVN_ITEMCHANGED: {
        auto change = reinterpret_cast<const NMLISTVIEW*>(header);
        if ((change->uChanged & LVIF_STATE) && ((change->uOldState ^ change->uNewState) & LVIS_SELECTED))
            source_.OnSelectionChanged();
        return true;
    }
    case NM_DBLCLK: {
        auto activate = reinterpret_cast<const NMITEMACTIVATE*>(header);
        if (auto key = KeyOfItem(activate->iItem)) source_.OnItemActivated(*key);
        return true;
    }
    case NM_RETURN:
        if (auto key = SelectedKey()) source_.OnItemActivated(*key);
        return true;
    case LVN_DELETEALLITEMS:
        // Items carry keys, not memory to free: no notice per item is needed,
        // which spares thousands of them when a large list is emptied.
        *result = TRUE;
        return true;
    default:
        return false;
    }
}

POINT CReportList::ContextMenuPoint(LPARAM contextMenuPosition) const {
    return listview::ContextMenuPoint(list_, contextMenuPosition);
}

// ---- layout ---------------------------------------------------------------------------

void CReportList::SaveLayout(ISettingsList* section) const {
    if (!list_ || !section || settingsName_.empty()) return;
    listview::SaveLayout(list_, section->AddChild(settingsName_.c_str(), 0));
}

void CReportList::LoadLayout(ISettingsList* section) {
    if (!list_ || !section || settingsName_.empty()) return;
    if (auto sort = listview::LoadLayout(list_, section->Find(settingsName_.c_str()))) SortBy(sort->column, sort->ascending);
}

}  // namespace vantrel
