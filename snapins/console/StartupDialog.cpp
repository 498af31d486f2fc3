#include "snapins/console/StartupDialog.h"

#include "framework/Module.h"
#include "snapins/console/ConsoleIds.h"

#include <iterator>
#include <utility>

namespace vantrel {
namespace {

constexpr int kAccountEdits[] = {IDC_CON_LOGIN, IDC_CON_PASSWORD, IDC_CON_DOMAIN};

std::wstring ControlText(HWND dialog, int control) {
    HWND edit = GetDlgItem(dialog, control);
    const int length = GetWindowTextLengthW(edit);
    std::wstring text(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    const int copied = GetWindowTextW(edit, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}

// The account's edits are for typing only while that account is chosen.
void EnableAccountEdits(HWND dialog) {
    const bool account = IsDlgButtonChecked(dialog, IDC_CON_USE_ACCOUNT) == BST_CHECKED;
    for (int control : kAccountEdits) EnableWindow(GetDlgItem(dialog, control), account);
}

void Fill(HWND dialog, const StartupRecord& record) {
    CheckRadioButton(dialog, IDC_CON_USE_HOST, IDC_CON_USE_ACCOUNT,
                     record.useHostAccount ? IDC_CON_USE_HOST : IDC_CON_USE_ACCOUNT);
    SetDlgItemTextW(dialog, IDC_CON_LOGIN, record.login.c_str());
    SetDlgItemTextW(dialog, IDC_CON_DOMAIN, record.domain.c_str());
    {
        const CRevealedText password = record.password.Reveal();
        SetDlgItemTextW(dialog, IDC_CON_PASSWORD, password.c_str());
    }
    CheckDlgButton(dialog, IDC_CON_LOAD_PROFILE, record.loadProfile ? BST_CHECKED : BST_UNCHECKED);
    EnableAccountEdits(dialog);
}

void Store(HWND dialog, StartupRecord& record) {
    record.useHostAccount = IsDlgButtonChecked(dialog, IDC_CON_USE_HOST) == BST_CHECKED;
    record.login = ControlText(dialog, IDC_CON_LOGIN);
    record.domain = ControlText(dialog, IDC_CON_DOMAIN);
    std::wstring password = ControlText(dialog, IDC_CON_PASSWORD);
    record.password.Set(password);
    WipeText(password);
    SetDlgItemTextW(dialog, IDC_CON_PASSWORD, L"");  // the edit's own copy goes too
    record.loadProfile = IsDlgButtonChecked(dialog, IDC_CON_LOAD_PROFILE) == BST_CHECKED;
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            Fill(dialog, *reinterpret_cast<const StartupRecord*>(lParam));
            return TRUE;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
            case IDC_CON_USE_HOST:
            case IDC_CON_USE_ACCOUNT:
                EnableAccountEdits(dialog);
                return TRUE;
            case IDOK:
                Store(dialog, *reinterpret_cast<StartupRecord*>(GetWindowLongPtrW(dialog, DWLP_USER)));
                EndDialog(dialog, IDOK);
                return TRUE;
            case IDCANCEL:
                SetDlgItemTextW(dialog, IDC_CON_PASSWORD, L"");
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            default:
                return FALSE;
            }
        default:
            return FALSE;
        }
    } catch (...) {
        // Nothing thrown may cross the dialog manager; the dialog goes as cancelled.
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
}

}  // namespace

StartupRecord StartupRecord::Copy() const {
    StartupRecord copy;
    copy.useHostAccount = useHostAccount;
    copy.domain = domain;
    copy.login = login;
    const CRevealedText clear = password.Reveal();
    copy.password.Set(clear.View());
    copy.loadProfile = loadProfile;
    return copy;
}

bool AskStartupInformation(HWND owner, StartupRecord& record) {
    // The dialog works on a copy of its own: the record changes only after OK.
    StartupRecord chosen = record.Copy();
    ActivationScope scope;
    const INT_PTR result = DialogBoxParamW(ResourceInstance(), MAKEINTRESOURCEW(IDD_CON_STARTUP), owner, DialogProc,
                                           reinterpret_cast<LPARAM>(&chosen));
    if (result != IDOK) return false;
    record = std::move(chosen);
    return true;
}

}  // namespace vantrel
