#include "framework/ListView.h"

#include "framework/Handles.h"
#include "framework/Module.h"

#include <windowsx.h>

#include <algorithm>
#include <numeric>

namespace vantrel::listview {
namespace {

constexpr wchar_t kColumns[] = L"Columns";
constexpr wchar_t kColumnOrder[] = L"ColumnOrder";
constexpr wchar_t kSortColumn[] = L"SortColumn";
constexpr wchar_t kSortOrder[] = L"SortOrder";
constexpr int kArrowFormat = LVCFMT_IMAGE | LVCFMT_BITMAP_ON_RIGHT;
// Stored widths come from a file that may be old or damaged. 0 is a column
// the user hid by dragging it shut.
constexpr int kMaxStoredWidth = 4096;
constexpr int kInlinePositions = 32;

// A permutation of 0..count-1, as LVM_SETCOLUMNORDERARRAY needs.
bool IsPermutation(const int* order, int count) {
    std::vector<bool> seen(static_cast<size_t>(count), false);
    for (int i = 0; i < count; ++i) {
        if (order[i] < 0 || order[i] >= count || seen[static_cast<size_t>(order[i])]) return false;
        seen[static_cast<size_t>(order[i])] = true;
    }
    return true;
}

void SetItemParam(HWND list, int item, LPARAM param) {
    LVITEMW lv = {};
    lv.mask = LVIF_PARAM;
    lv.iItem = item;
    lv.lParam = param;
    ::SendMessageW(list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&lv));
}

struct RankByParam {
    std::vector<std::pair<LPARAM, int>> ranks;  // sorted by parameter
    int Of(LPARAM param) const {
        auto found = std::lower_bound(ranks.begin(), ranks.end(), std::make_pair(param, 0),
                                      [](const auto& a, const auto& b) { return a.first < b.first; });
        return found != ranks.end() && found->first == param ? found->second : 0;
    }
};

int CALLBACK CompareByParamRank(LPARAM first, LPARAM second, LPARAM context) {
    const auto& ranks = *reinterpret_cast<const RankByParam*>(context);
    return ranks.Of(first) - ranks.Of(second);
}

int CALLBACK CompareByStoredRank(LPARAM first, LPARAM second, LPARAM) {
    return static_cast<int>(first - second);
}

// Puts the items in `order` (old positions, new first).
void ApplyOrder(HWND list, const std::vector<int>& order) {
    const size_t count = order.size();
    std::vector<LPARAM> params(count);
    for (size_t i = 0; i < count; ++i) params[i] = ItemParam(list, static_cast<int>(i));

    RankByParam byParam;
    byParam.ranks.reserve(count);
    for (size_t position = 0; position < count; ++position)
        byParam.ranks.emplace_back(params[static_cast<size_t>(order[position])], static_cast<int>(position));
    std::sort(byParam.ranks.begin(), byParam.ranks.end());
    const bool unique = std::adjacent_find(byParam.ranks.begin(), byParam.ranks.end(), [](const auto& a, const auto& b) {
                            return a.first == b.first;
                        }) == byParam.ranks.end();
    if (unique) {
        ::SendMessageW(list, LVM_SORTITEMS, reinterpret_cast<WPARAM>(&byParam), reinterpret_cast<LPARAM>(&CompareByParamRank));
        return;
    }
    // Parameters that repeat cannot name their items: each item carries its
    // rank for the one pass and gets its own parameter back afterwards.
    for (size_t position = 0; position < count; ++position)
        SetItemParam(list, order[position], static_cast<LPARAM>(position));
    ::SendMessageW(list, LVM_SORTITEMS, 0, reinterpret_cast<LPARAM>(&CompareByStoredRank));
    for (size_t position = 0; position < count; ++position)
        SetItemParam(list, static_cast<int>(position), params[static_cast<size_t>(order[position])]);
}

}  // namespace

int ColumnCount(HWND list) {
    HWND header = reinterpret_cast<HWND>(::SendMessageW(list, LVM_GETHEADER, 0, 0));
    int count = header ? static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
    return std::max(count, 0);
}

int ItemCount(HWND list) { return std::max(static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)), 0); }

int SelectedItem(HWND list) {
    return static_cast<int>(::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

LPARAM ItemParam(HWND list, int item) {
    LVITEMW lv = {};
    lv.mask = LVIF_PARAM;
    lv.iItem = item;
    return ::SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&lv)) ? lv.lParam : 0;
}

void SelectItem(HWND list, int item) {
    LVITEMW none = {};
    none.stateMask = LVIS_SELECTED;
    ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    if (item < 0) return;
    LVITEMW state = {};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&state));
    ::SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(item), FALSE);
}

std::optional<SortState> FindSortArrow(HWND list) {
    for (int i = 0;; ++i) {
        LVCOLUMNW column = {};
        column.mask = LVCF_FMT | LVCF_IMAGE;
        if (!::SendMessageW(list, LVM_GETCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column)))
            return std::nullopt;
        if (column.fmt & LVCFMT_IMAGE) return SortState{i, column.iImage == 0};
    }
}

void DrawSortArrow(HWND list, SortState sort) {
    const int count = ColumnCount(list);
    for (int i = 0; i < count; ++i) {
        LVCOLUMNW column = {};
        column.mask = LVCF_FMT;
        if (!::SendMessageW(list, LVM_GETCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column))) continue;
        const int format = column.fmt & ~kArrowFormat;
        column.fmt = i == sort.column ? format | kArrowFormat : format;
        if (i == sort.column) {
            column.mask |= LVCF_IMAGE;
            column.iImage = sort.ascending ? 0 : 1;
        }
        ::SendMessageW(list, LVM_SETCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
}

void RemoveSortArrow(HWND list) { DrawSortArrow(list, SortState{-1, true}); }

void SortByPositions(HWND list, const std::function<bool(int, int)>& before) {
    const int count = ItemCount(list);
    if (count < 2) return;
    std::vector<int> order(static_cast<size_t>(count));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), before);
    ApplyOrder(list, order);
}

void SortByParams(HWND list, const std::function<bool(LPARAM, LPARAM)>& before) {
    const int count = ItemCount(list);
    if (count < 2) return;
    std::vector<LPARAM> params(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) params[static_cast<size_t>(i)] = ItemParam(list, i);
    std::vector<int> order(static_cast<size_t>(count));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return before(params[static_cast<size_t>(a)], params[static_cast<size_t>(b)]);
    });
    ApplyOrder(list, order);
}

void SaveLayout(HWND list, ISettingsNode* layout) {
    if (!list || !layout) return;
    if (ISettingsNode* columns = layout->Items()->AddChild(kColumns, 0)) {
        for (int i = 0;; ++i) {
            LVCOLUMNW column = {};
            column.mask = LVCF_WIDTH | LVCF_ORDER;
            if (!::SendMessageW(list, LVM_GETCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column))) break;
            if (ISettingsNode* entry = columns->Items()->AddAt(i, column.cx))
                entry->Items()->SetNamedValue(kColumnOrder, column.iOrder);
        }
    }
    const std::optional<SortState> sort = FindSortArrow(list);
    if (ISettingsNode* stored = layout->Items()->SetNamedValue(kSortColumn, sort ? sort->column : -1))
        stored->Items()->SetNamedValue(kSortOrder, sort ? (sort->ascending ? 1 : 0) : 1);
}

std::optional<SortState> LoadLayout(HWND list, ISettingsNode* layout) {
    if (!list || !layout) return std::nullopt;
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
            const int index = entry->GetIndex();
            if (index < 0 || index >= columnCount) continue;
            const int width = std::min(static_cast<int>(entry->GetValue() & 0xFFFF), kMaxStoredWidth);
            ::SendMessageW(list, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(index), MAKELPARAM(width, 0));
            order[i] = entry->Items()->GetNamedValue(kColumnOrder);
        }
        // An order from an older or damaged layout that does not fit the
        // list's columns is not applied: the list keeps its own.
        if (stored > 0 && stored == columnCount && IsPermutation(order, stored))
            ::SendMessageW(list, LVM_SETCOLUMNORDERARRAY, static_cast<WPARAM>(stored), reinterpret_cast<LPARAM>(order));
    }
    if (ISettingsNode* sort = layout->Items()->Find(kSortColumn)) {
        const int column = sort->GetValue();
        if (column >= 0 && column < columnCount) return SortState{column, sort->Items()->GetNamedValue(kSortOrder) != 0};
    }
    return std::nullopt;
}

void InsertColumns(HWND list, std::span<const ReportColumn> columns) {
    for (int i = ColumnCount(list) - 1; i >= 0; --i) ::SendMessageW(list, LVM_DELETECOLUMN, static_cast<WPARAM>(i), 0);
    for (size_t i = 0; i < columns.size(); ++i) {
        std::wstring header = LoadStringW(columns[i].headerId);
        LVCOLUMNW column = {};
        column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.fmt = columns[i].format;
        column.pszText = header.data();
        column.cx = ScaleForDpi(list, columns[i].width);
        column.iSubItem = static_cast<int>(i);
        ::SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
}

POINT ContextMenuPoint(HWND list, LPARAM contextMenuPosition) {
    POINT at = {GET_X_LPARAM(contextMenuPosition), GET_Y_LPARAM(contextMenuPosition)};
    if (contextMenuPosition != -1 || !list) return at;
    at = {0, 0};
    int item = static_cast<int>(::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    if (item < 0) item = SelectedItem(list);
    if (item >= 0) {
        ::SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(item), FALSE);
        RECT bounds = {};
        bounds.left = LVIR_BOUNDS;
        ::SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&bounds));
        at = {bounds.left + 8, bounds.bottom};
    }
    ClientToScreen(list, &at);
    return at;
}

void CopyCellText(const std::wstring& text, wchar_t* buffer, int capacity) {
    if (!buffer || capacity <= 0) return;
    const size_t n = std::min(text.size(), static_cast<size_t>(capacity - 1));
    std::copy_n(text.data(), n, buffer);
    buffer[n] = 0;
}

int ScaleForDpi(HWND window, int pixels) {
    WindowDC dc(window);
    const int dpi = dc.get() ? GetDeviceCaps(dc.get(), LOGPIXELSX) : 96;
    return MulDiv(pixels, dpi > 0 ? dpi : 96, 96);
}

}  // namespace vantrel::listview
