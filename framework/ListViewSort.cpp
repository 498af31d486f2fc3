// Sorting of report lists by column with the header arrow, and the layout of
// their columns kept in the host's settings.
#include "framework/SnapInBase.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <numeric>

namespace vantrel {
namespace {

constexpr wchar_t kColumns[] = L"Columns";
constexpr wchar_t kColumnOrder[] = L"ColumnOrder";
constexpr wchar_t kSortColumn[] = L"SortColumn";
constexpr wchar_t kSortOrder[] = L"SortOrder";
constexpr int kArrowFormat = LVCFMT_IMAGE | LVCFMT_BITMAP_ON_RIGHT;
// Stored widths come from a file that may be old or damaged.
constexpr int kMinStoredWidth = 16;
constexpr int kMaxStoredWidth = 4096;
constexpr int kInlinePositions = 32;

int ColumnCount(HWND list) {
    HWND header = reinterpret_cast<HWND>(::SendMessageW(list, LVM_GETHEADER, 0, 0));
    int count = header ? static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
    return std::max(count, 0);
}

// Upper case of every UTF-16 unit, made once from the system's casing table,
// so that comparing never allocates.
const wchar_t* UpperCaseTable() {
    static const std::unique_ptr<wchar_t[]> table = [] {
        auto units = std::make_unique<wchar_t[]>(65536);
        for (int i = 0; i < 65536; ++i) units[i] = static_cast<wchar_t>(i);
        // Surrogates are left as they are: they are halves, not characters.
        CharUpperBuffW(units.get(), 0xD800);
        CharUpperBuffW(units.get() + 0xE000, 65536 - 0xE000);
        return units;
    }();
    return table.get();
}

// Items carry their old positions while the list reorders them by rank.
int CALLBACK CompareRanks(LPARAM first, LPARAM second, LPARAM ranks) {
    const auto& byPosition = *reinterpret_cast<const std::vector<int>*>(ranks);
    return byPosition[static_cast<size_t>(first)] - byPosition[static_cast<size_t>(second)];
}

// A permutation of 0..count-1, as LVM_SETCOLUMNORDERARRAY needs.
bool IsPermutation(const int* order, int count) {
    std::vector<bool> seen(static_cast<size_t>(count), false);
    for (int i = 0; i < count; ++i) {
        if (order[i] < 0 || order[i] >= count || seen[static_cast<size_t>(order[i])]) return false;
        seen[static_cast<size_t>(order[i])] = true;
    }
    return true;
}

}  // namespace

void CSnapInBase::SaveColumns(HWND list, ISettingsNode* layout) {
    if (!list || !layout) return;
    ISettingsNode* columns = layout->Items()->AddChild(kColumns, 0);
    if (columns) {
        for (int i = 0;; ++i) {
            LVCOLUMNW column = {};
            column.mask = LVCF_WIDTH | LVCF_ORDER;
            if (!::SendMessageW(list, LVM_GETCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column))) break;
            if (ISettingsNode* entry = columns->Items()->AddAt(i, column.cx))
                entry->Items()->SetNamedValue(kColumnOrder, column.iOrder);
        }
    }
    int ascending = 1;
    int sorted = FindSortColumn(list, &ascending);
    if (ISettingsNode* sort = layout->Items()->SetNamedValue(kSortColumn, sorted))
        sort->Items()->SetNamedValue(kSortOrder, ascending);
}

void CSnapInBase::LoadColumns(HWND list, ISettingsNode* layout) {
    if (!list || !layout) return;
    const int columnCount = ColumnCount(list);
    if (ISettingsNode* columns = layout->Items()->Find(kColumns)) {
        ISettingsList* entries = columns->Items();
        const int stored = std::max(entries->Count(), 0);
        int inlineOrder[kInlinePositions];
        std::vector<int> heapOrder;
        int* order = inlineOrder;
        if (stored > kInlinePositions) {
            heapOrder.resize(static_cast<size_t>(stored));
            order = heapOrder.data();
        }
        for (int i = 0; i < stored; ++i) {
            order[i] = i;  // a missing entry keeps its column where it is
            ISettingsNode* entry = entries->At(i);
            if (!entry) continue;
            int index = entry->GetIndex();
            if (index < 0 || index >= columnCount) continue;
            int width = std::clamp(static_cast<int>(entry->GetValue() & 0xFFFF), kMinStoredWidth, kMaxStoredWidth);
            ::SendMessageW(list, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(index), MAKELPARAM(width, 0));
            order[i] = entry->Items()->GetNamedValue(kColumnOrder);
        }
        // An order from an older or damaged layout that does not fit the
        // list's columns is not applied: the list keeps its own.
        if (stored > 0 && stored == columnCount && IsPermutation(order, stored))
            ::SendMessageW(list, LVM_SETCOLUMNORDERARRAY, static_cast<WPARAM>(stored), reinterpret_cast<LPARAM>(order));
    }
    if (ISettingsNode* sort = layout->Items()->Find(kSortColumn)) {
        int column = sort->GetValue();
        if (column != -1 && column >= 0 && column < columnCount)
            SortBy(list, column, sort->Items()->GetNamedValue(kSortOrder) != 0);
    }
}

int CSnapInBase::FindSortColumn(HWND list, int* ascending) {
    for (int i = 0;; ++i) {
        LVCOLUMNW column = {};
        column.mask = LVCF_FMT | LVCF_IMAGE;
        if (!::SendMessageW(list, LVM_GETCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column))) return -1;
        if (column.fmt & LVCFMT_IMAGE) {
            if (ascending) *ascending = column.iImage == 0 ? 1 : 0;
            return i;
        }
    }
}

void CSnapInBase::DrawSortArrow(HWND list) {
    const int count = ColumnCount(list);
    for (int i = 0; i < count; ++i) {
        LVCOLUMNW column = {};
        column.mask = LVCF_FMT;
        if (!::SendMessageW(list, LVM_GETCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column))) continue;
        int format = column.fmt & ~kArrowFormat;
        column.mask = LVCF_FMT | LVCF_IMAGE;
        column.iImage = sortAscending_ ? 0 : 1;
        column.fmt = i == sortColumn_ ? format | kArrowFormat : format;
        if (i != sortColumn_) column.mask = LVCF_FMT;
        ::SendMessageW(list, LVM_SETCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
}

// The order is decided first, with CompareItems seeing the list exactly as it
// is (item i is the i-th item throughout), and then applied in one pass.
// Sorting inside LVM_SORTITEMSEX instead would hand CompareItems indexes that
// some list views renumber while they sort, and costs a linear look-up per
// comparison there.
void CSnapInBase::SortItems(HWND list) {
    const int count = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    if (count < 2) return;
    const int32_t listId = sortListId_;
    std::vector<int> order(static_cast<size_t>(count));
    std::iota(order.begin(), order.end(), 0);
    // A result above 0 places the first item after the second, which is all
    // the helpers promise: a comes before b exactly when b belongs after a.
    std::stable_sort(order.begin(), order.end(),
                     [this, listId](int a, int b) { return CompareItems(b, a, listId) > 0; });

    // Each item carries its old position while the list reorders itself by
    // rank; then it gets its own parameter back.
    std::vector<LPARAM> saved(static_cast<size_t>(count));
    std::vector<int> rank(static_cast<size_t>(count));
    for (int position = 0; position < count; ++position) rank[static_cast<size_t>(order[static_cast<size_t>(position)])] = position;
    for (int i = 0; i < count; ++i) {
        LVITEMW item = {};
        item.mask = LVIF_PARAM;
        item.iItem = i;
        ::SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        saved[static_cast<size_t>(i)] = item.lParam;
        item.lParam = i;
        ::SendMessageW(list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
    ::SendMessageW(list, LVM_SORTITEMS, reinterpret_cast<WPARAM>(&rank), reinterpret_cast<LPARAM>(&CompareRanks));
    for (int position = 0; position < count; ++position) {
        LVITEMW item = {};
        item.mask = LVIF_PARAM;
        item.iItem = position;
        item.lParam = saved[static_cast<size_t>(order[static_cast<size_t>(position)])];
        ::SendMessageW(list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
}

void CSnapInBase::SortBy(HWND list, int column, bool ascending) {
    sortColumn_ = column;
    sortAscending_ = ascending;
    sortListId_ = GetDlgCtrlID(list);
    DrawSortArrow(list);
    SortItems(list);
}

void CSnapInBase::SortByColumnClick(HWND list, const NMLISTVIEW* click) {
    if (!list || !click || click->iSubItem < 0) return;
    int ascending = 1;
    int sorted = FindSortColumn(list, &ascending);
    bool newAscending = click->iSubItem == sorted ? !ascending : true;
    SortBy(list, click->iSubItem, newAscending);
}

void CSnapInBase::Resort(HWND list) {
    int ascending = 1;
    int sorted = FindSortColumn(list, &ascending);
    if (sorted == -1) return;
    SortBy(list, sorted, ascending != 0);
    int count = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    if (count > 0 && ::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED) == -1) {
        LVITEMW item = {};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        ::SendMessageW(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&item));
        ::SendMessageW(list, LVM_ENSUREVISIBLE, 0, FALSE);
    }
}

int CSnapInBase::CompareNumbers(int64_t a, int64_t b) const {
    return (sortAscending_ ? a > b : b > a) ? 1 : 0;
}

int CSnapInBase::CompareDoubles(double a, double b) const {
    if (std::isnan(a) || std::isnan(b)) return 0;
    return (sortAscending_ ? a > b : b > a) ? 1 : 0;
}

int CSnapInBase::CompareTexts(std::wstring_view a, std::wstring_view b) const {
    const wchar_t* upper = UpperCaseTable();
    if (!sortAscending_) std::swap(a, b);
    const size_t common = std::min(a.size(), b.size());
    for (size_t i = 0; i < common; ++i) {
        auto x = static_cast<uint16_t>(upper[static_cast<uint16_t>(a[i])]);
        auto y = static_cast<uint16_t>(upper[static_cast<uint16_t>(b[i])]);
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

}  // namespace vantrel
