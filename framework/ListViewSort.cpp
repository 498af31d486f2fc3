// CSnapInBase's own sort state for snap-ins that sort through CompareItems;
// the work is done by the list-view helpers.
#include "framework/ListView.h"
#include "framework/SnapInBase.h"
#include "framework/text/TextCompare.h"

#include <cmath>

namespace vantrel {

void CSnapInBase::SaveColumns(HWND list, ISettingsNode* layout) { listview::SaveLayout(list, layout); }

void CSnapInBase::LoadColumns(HWND list, ISettingsNode* layout) {
    if (auto sort = listview::LoadLayout(list, layout)) SortBy(list, sort->column, sort->ascending);
}

int CSnapInBase::FindSortColumn(HWND list, int* ascending) {
    const auto sort = listview::FindSortArrow(list);
    if (!sort) return -1;
    if (ascending) *ascending = sort->ascending ? 1 : 0;
    return sort->column;
}

void CSnapInBase::SortBy(HWND list, int column, bool ascending) {
    sortColumn_ = column;
    sortAscending_ = ascending;
    sortListId_ = GetDlgCtrlID(list);
    listview::DrawSortArrow(list, {column, ascending});
    const int32_t listId = sortListId_;
    // A result above 0 places the first item after the second, which is all
    // the helpers promise: a comes before b exactly when b belongs after a.
    listview::SortByPositions(list, [this, listId](int a, int b) { return CompareItems(b, a, listId) > 0; });
}

void CSnapInBase::SortByColumnClick(HWND list, const NMLISTVIEW* click) {
    if (!list || !click || click->iSubItem < 0) return;
    const auto sort = listview::FindSortArrow(list);
    const bool ascending = sort && sort->column == click->iSubItem ? !sort->ascending : true;
    SortBy(list, click->iSubItem, ascending);
}

void CSnapInBase::Resort(HWND list) {
    const auto sort = listview::FindSortArrow(list);
    if (!sort) return;
    SortBy(list, sort->column, sort->ascending);
    if (listview::ItemCount(list) > 0 && listview::SelectedItem(list) == -1) listview::SelectItem(list, 0);
}

int CSnapInBase::CompareNumbers(int64_t a, int64_t b) const { return (sortAscending_ ? a > b : b > a) ? 1 : 0; }

int CSnapInBase::CompareDoubles(double a, double b) const {
    if (std::isnan(a) || std::isnan(b)) return 0;
    return (sortAscending_ ? a > b : b > a) ? 1 : 0;
}

int CSnapInBase::CompareTexts(std::wstring_view a, std::wstring_view b) const {
    static_assert(sizeof(wchar_t) == sizeof(char16_t), "wide texts are UTF-16 here");
    const std::u16string_view x(reinterpret_cast<const char16_t*>(a.data()), a.size());
    const std::u16string_view y(reinterpret_cast<const char16_t*>(b.data()), b.size());
    return sortAscending_ ? CompareNoCase(x, y) : CompareNoCase(y, x);
}

}  // namespace vantrel
