// The log-on choice as the Log On page and the install wizard show it: the
// local system account (with interaction) or a named account with password
// and confirmation; texts of the dialogs' controls; the account picker.
#pragma once

#include "host/SnapInHost.h"
#include "snapins/services/model/ServiceProperties.h"

#include <optional>
#include <string>

namespace vantrel {

class CAccountPickers;

struct LogOnControls {
    int localSystem;
    int interact;
    int thisAccount;
    int account;
    int password;
    int confirmation;
    int browse;
};

void ShowLogOn(HWND page, const LogOnControls& ids, const services::LogOn& logOn);
services::LogOn ReadLogOn(HWND page, const LogOnControls& ids);
// Enables what belongs to the chosen kind of account.
void EnableLogOnControls(HWND page, const LogOnControls& ids);

std::u16string ControlText(HWND dialog, int id);
// Read into a buffer that is wiped at once; the caller wipes the result.
std::u16string ControlSecret(HWND dialog, int id);

// One account from the picker, written "domain\name"; one picker at a time
// per dialog (`picking` guards it). Nothing when none was chosen or the
// snap-in has gone; the caller checks that its window is still there.
std::optional<std::u16string> PickAccount(CAccountPickers& pickers, HWND parent, bool& picking);
// Shows a chosen account under "This account:".
void ShowPickedAccount(HWND page, const LogOnControls& ids, const std::u16string& account);

// A message box of the Services dialogs with an error icon.
void ShowDialogError(HWND owner, UINT textId, UINT captionId);
void ShowDialogError(HWND owner, const std::wstring& text, UINT captionId);

}  // namespace vantrel
