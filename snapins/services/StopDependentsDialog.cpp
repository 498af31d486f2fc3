#include "snapins/services/StopDependentsDialog.h"

#include "framework/Handles.h"
#include "framework/Module.h"
#include "framework/Text.h"
#include "snapins/services/ServicesIds.h"

namespace vantrel {
namespace {

struct DialogData {
    const std::wstring& serviceName;
    const std::vector<std::wstring>& dependents;
    UniqueImageList icons;  // the list's small images, for as long as the dialog lives
};

void FillDependents(HWND dialog, DialogData& data) {
    HWND list = GetDlgItem(dialog, IDC_SRV_DEPENDENTS_LIST);
    if (!list) return;
    ::SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    data.icons.reset(LoadImageStrip(L"IDB_SNAP_SRC_SERVICE", 16, ILC_COLOR24));
    ::SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(data.icons.get()));
    RECT client = {};
    GetClientRect(list, &client);
    LVCOLUMNW column = {};
    column.mask = LVCF_WIDTH;
    column.cx = client.right - GetSystemMetrics(SM_CXVSCROLL);
    ::SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    for (size_t i = 0; i < data.dependents.size(); ++i) {
        std::wstring text = data.dependents[i];
        LVITEMW item = {};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = static_cast<int>(i);
        item.pszText = text.data();
        item.iImage = data.icons ? 0 : I_IMAGENONE;
        ::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        try {
            auto& data = *reinterpret_cast<DialogData*>(lParam);
            // The name is inserted, never used as a format.
            SetDlgItemTextW(dialog, IDC_SRV_DEPENDENTS_TEXT,
                            ReplaceFirst(LoadStringW(IDS_SRV_DEPENDENTS_STOP), L"%s", data.serviceName).c_str());
            FillDependents(dialog, data);
        } catch (...) {
            // A dialog with a field left empty still asks its question.
        }
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDYES:
            EndDialog(dialog, IDYES);
            return TRUE;
        case IDNO:
        case IDCANCEL:
        case IDOK:  // anything but Yes says no
            EndDialog(dialog, IDNO);
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

}  // namespace

bool AskToStopDependents(HWND owner, const std::wstring& serviceName, const std::vector<std::wstring>& dependents) {
    DialogData data{serviceName, dependents, {}};
    ActivationScope scope;
    return DialogBoxParamW(ResourceInstance(), MAKEINTRESOURCEW(IDD_SRV_STOP_DEPENDENTS), owner, &DialogProc,
                           reinterpret_cast<LPARAM>(&data)) == IDYES;
}

}  // namespace vantrel
