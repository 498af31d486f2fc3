#include "TestListSnapIn.h"

#include "framework/Module.h"
#include "framework/Splitter.h"

namespace vantrel::test {

void StartModuleInThisProcess() {
    SetModuleInstance(GetModuleHandleW(nullptr));
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&icc);
    InitializeVisualStyles();
    RegisterSnapInWindowClass();
    RegisterSplitterWindowClass();
}

HWND TestListSnapIn::Create(HWND parent) {
    if (!CreateSnapInWindow(parent)) return nullptr;
    ActivationScope scope;
    list_ = CreateWindowExW(0, WC_LISTVIEWW, nullptr, WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS, 0, 0, 600,
                            400, Window(), reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kListId)), ModuleInstance(),
                            nullptr);
    for (int i = 0; i < columns_; ++i) {
        std::wstring header = L"Column " + std::to_wstring(i);
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM | LVCF_FMT;
        column.pszText = header.data();
        column.cx = 60 + i;
        column.iSubItem = i;
        ::SendMessageW(list_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
    return Window();
}

void TestListSnapIn::Fill(std::vector<TestRow> rows) {
    rows_ = std::move(rows);
    ::SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0);
    for (size_t r = 0; r < rows_.size(); ++r) {
        LVITEMW item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = static_cast<int>(r);
        item.pszText = rows_[r].text.data();
        item.lParam = static_cast<LPARAM>(r);
        int index = static_cast<int>(::SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        std::wstring number = std::to_wstring(rows_[r].number);
        LVITEMW sub = {};
        sub.iSubItem = 1;
        sub.pszText = number.data();
        ::SendMessageW(list_, LVM_SETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&sub));
    }
    ::SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
}

int TestListSnapIn::RowAt(int item) const {
    LVITEMW lv = {};
    lv.mask = LVIF_PARAM;
    lv.iItem = item;
    if (!::SendMessageW(list_, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&lv))) return -1;
    return static_cast<int>(lv.lParam);
}

int32_t TestListSnapIn::CompareItems(int32_t item1, int32_t item2, int32_t listId) {
    ++compareCalls_;
    if (listId != kListId) return 0;
    int a = RowAt(item1), b = RowAt(item2);
    if (a < 0 || b < 0) return 0;
    const TestRow& x = rows_[static_cast<size_t>(a)];
    const TestRow& y = rows_[static_cast<size_t>(b)];
    switch (sortColumn_) {
    case 1:
        return CompareNumbers(x.number, y.number);
    case 2:
        return CompareDoubles(x.fraction, y.fraction);
    default:
        return CompareTexts(x.text, y.text);
    }
}

}  // namespace vantrel::test
