#include "snapins/users/DialogControls.h"

#include "framework/ListView.h"
#include "framework/Module.h"
#include "framework/Text.h"
#include "framework/text/TextCompare.h"
#include "snapins/users/HtmlHelp.h"
#include "snapins/users/UsersIds.h"

namespace vantrel::dialogs {

void LimitTexts(HWND dialog, std::initializer_list<int> ids) {
    for (int id : ids)
        if (HWND edit = GetDlgItem(dialog, id)) ::SendMessageW(edit, EM_LIMITTEXT, kMaxText, 0);
}

std::u16string Text(HWND dialog, int id) {
    wchar_t buffer[kTextBuffer] = {};
    const int length = GetDlgItemTextW(dialog, id, buffer, static_cast<int>(kTextBuffer));
    return std::u16string(buffer, buffer + std::max(length, 0));
}

void SetText(HWND dialog, int id, const std::u16string& text) { SetDlgItemTextW(dialog, id, ToWide(text).c_str()); }

void EnableAllBut(HWND dialog, int keep, bool enable) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (GetDlgCtrlID(child) != keep) EnableWindow(child, enable);
}

void ShowHelp(HWND dialog, LPARAM helpInfo) {
    const auto info = reinterpret_cast<const HELPINFO*>(helpInfo);
    DWORD context = info ? static_cast<DWORD>(info->dwContextId) : 0;
    if (context == 0) context = GetWindowContextHelpId(dialog);
    ShowContextHelp(context);
}

users::PasswordChoices PasswordChoicesOf(HWND dialog) {
    users::PasswordChoices choices;
    choices.mustChange = IsDlgButtonChecked(dialog, IDC_USR_MUST_CHANGE) == BST_CHECKED;
    choices.cannotChange = IsDlgButtonChecked(dialog, IDC_USR_CANNOT_CHANGE) == BST_CHECKED;
    choices.neverExpires = IsDlgButtonChecked(dialog, IDC_USR_NEVER_EXPIRES) == BST_CHECKED;
    return choices;
}

void UpdatePasswordBoxes(HWND dialog) {
    const users::PasswordBoxesEnabled enabled = users::PasswordBoxStates(PasswordChoicesOf(dialog));
    EnableWindow(GetDlgItem(dialog, IDC_USR_MUST_CHANGE), enabled.mustChange);
    EnableWindow(GetDlgItem(dialog, IDC_USR_CANNOT_CHANGE), enabled.cannotChange);
    EnableWindow(GetDlgItem(dialog, IDC_USR_NEVER_EXPIRES), enabled.neverExpires);
}

UniqueImageList PrepareNameList(HWND list) {
    if (!list) return {};
    RECT client = {};
    GetClientRect(list, &client);
    LVCOLUMNW column = {};
    column.mask = LVCF_WIDTH;
    column.cx = std::max<int>(client.right - GetSystemMetrics(SM_CXVSCROLL), 50);
    ::SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    ::SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    UniqueImageList images(LoadImageStrip(L"IDB_SNAP_USR_ACCOUNTS", 16, ILC_COLOR24));
    ::SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images.get()));
    return images;
}

std::vector<std::u16string> Names(HWND list) {
    std::vector<std::u16string> names;
    const int count = listview::ItemCount(list);
    for (int i = 0; i < count; ++i) {
        wchar_t buffer[kTextBuffer * 2] = {};
        LVITEMW item = {};
        item.pszText = buffer;
        item.cchTextMax = static_cast<int>(std::size(buffer));
        ::SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        names.emplace_back(buffer, buffer + wcslen(buffer));
    }
    return names;
}

bool AddName(HWND list, const std::u16string& name, int image) {
    if (!list || name.empty()) return false;
    for (const std::u16string& listed : Names(list))
        if (EqualsNoCase(listed, name)) return false;
    std::wstring text = ToWide(name);
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = listview::ItemCount(list);
    item.pszText = text.data();
    item.iImage = image;
    return ::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)) >= 0;
}

int SelectedItem(HWND list) { return list ? listview::SelectedItem(list) : -1; }

void RemoveSelectedName(HWND list) {
    const int item = SelectedItem(list);
    if (item >= 0) ::SendMessageW(list, LVM_DELETEITEM, static_cast<WPARAM>(item), 0);
}

}  // namespace vantrel::dialogs
