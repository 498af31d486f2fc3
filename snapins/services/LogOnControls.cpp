#include "snapins/services/LogOnControls.h"

#include "framework/Module.h"
#include "framework/Text.h"
#include "framework/text/SecureWipe.h"
#include "framework/xml/Xml.h"
#include "snapins/picker/AccountPicker.h"

#include <algorithm>
#include <iterator>

namespace vantrel {
namespace {

// Account names and passwords of the service manager are at most 256 characters.
constexpr int kMaxText = 256;

void Check(HWND page, int id, bool on) { CheckDlgButton(page, id, on ? BST_CHECKED : BST_UNCHECKED); }

}  // namespace

void ShowLogOn(HWND page, const LogOnControls& ids, const services::LogOn& logOn) {
    for (int id : {ids.account, ids.password, ids.confirmation})
        ::SendMessageW(GetDlgItem(page, id), EM_LIMITTEXT, kMaxText, 0);
    Check(page, ids.localSystem, logOn.localSystem);
    Check(page, ids.thisAccount, !logOn.localSystem);
    Check(page, ids.interact, logOn.localSystem && logOn.allowInteract);
    SetDlgItemTextW(page, ids.account, ToWide(logOn.account).c_str());
    SetDlgItemTextW(page, ids.password, L"");
    SetDlgItemTextW(page, ids.confirmation, L"");
    EnableLogOnControls(page, ids);
}

services::LogOn ReadLogOn(HWND page, const LogOnControls& ids) {
    services::LogOn logOn;
    logOn.localSystem = IsDlgButtonChecked(page, ids.thisAccount) != BST_CHECKED;
    if (logOn.localSystem)
        logOn.allowInteract = IsDlgButtonChecked(page, ids.interact) == BST_CHECKED;
    else
        logOn.account = ControlText(page, ids.account);
    return logOn;
}

void EnableLogOnControls(HWND page, const LogOnControls& ids) {
    const bool named = IsDlgButtonChecked(page, ids.thisAccount) == BST_CHECKED;
    EnableWindow(GetDlgItem(page, ids.interact), !named);
    for (int id : {ids.account, ids.password, ids.confirmation, ids.browse}) EnableWindow(GetDlgItem(page, id), named);
}

std::u16string ControlText(HWND dialog, int id) {
    wchar_t buffer[kMaxText + 1] = {};
    const int length = GetDlgItemTextW(dialog, id, buffer, static_cast<int>(std::size(buffer)));
    return std::u16string(buffer, buffer + std::max(length, 0));
}

std::u16string ControlSecret(HWND dialog, int id) {
    wchar_t buffer[kMaxText + 1] = {};
    const int length = GetDlgItemTextW(dialog, id, buffer, static_cast<int>(std::size(buffer)));
    std::u16string secret;
    secret.reserve(kMaxText + 1);  // no reallocation leaves a copy behind
    secret.assign(buffer, buffer + std::max(length, 0));
    SecureWipe(buffer, sizeof(buffer));
    return secret;
}

std::optional<std::u16string> PickAccount(CAccountPickers& pickers, HWND parent, bool& picking) {
    if (picking) return std::nullopt;
    picking = true;
    const CAccountPickers::Result result = pickers.Choose(parent, 1);
    // After OwnerGone nothing of the snap-in, the dialog's owner, may be touched.
    if (result.outcome == CAccountPickers::Result::Outcome::OwnerGone) return std::nullopt;
    picking = false;
    if (result.outcome != CAccountPickers::Result::Outcome::Chosen || !result.accounts ||
        result.accounts->GetChildCount() == 0)
        return std::nullopt;
    return picker::ReadPickedAccount(*result.accounts->GetChild(0)).QualifiedName();
}

void ShowPickedAccount(HWND page, const LogOnControls& ids, const std::u16string& account) {
    CheckRadioButton(page, ids.localSystem, ids.thisAccount, ids.thisAccount);
    EnableLogOnControls(page, ids);
    SetDlgItemTextW(page, ids.account, ToWide(account).c_str());
}

void ShowDialogError(HWND owner, UINT textId, UINT captionId) { ShowDialogError(owner, LoadStringW(textId), captionId); }

void ShowDialogError(HWND owner, const std::wstring& text, UINT captionId) {
    const std::wstring caption = LoadStringW(captionId);
    ActivationScope scope;
    MessageBoxW(owner, text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
}

}  // namespace vantrel
