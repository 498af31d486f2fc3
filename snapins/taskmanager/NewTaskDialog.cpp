#include "snapins/taskmanager/NewTaskDialog.h"

#include "framework/Module.h"
#include "snapins/taskmanager/TaskManagerIds.h"

namespace vantrel {
namespace {

// The edit field of the combo box takes a path of MAX_PATH - 1 characters.
constexpr int kMaxCommandLength = 259;

struct DialogState {
    const std::vector<std::u16string>* history;
    std::u16string command;
};

std::u16string CommandText(HWND dialog) {
    wchar_t buffer[kMaxCommandLength + 1] = {};
    GetDlgItemTextW(dialog, IDC_TM_COMMAND, buffer, kMaxCommandLength + 1);
    return std::u16string(buffer, buffer + wcslen(buffer));
}

// OK runs a command; without one there is nothing to run.
void EnableOk(HWND dialog, bool hasCommand) { EnableWindow(GetDlgItem(dialog, IDOK), hasCommand); }

void OnInitDialog(HWND dialog, DialogState& state) {
    SetWindowContextHelpId(dialog, IDH_TM_NEW_TASK);
    HWND combo = GetDlgItem(dialog, IDC_TM_COMMAND);
    ::SendMessageW(combo, CB_LIMITTEXT, kMaxCommandLength, 0);
    for (const std::u16string& command : *state.history) {
        std::wstring text(command.begin(), command.end());
        ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    EnableOk(dialog, false);
}

void OnComboChange(HWND dialog, WORD code) {
    HWND combo = GetDlgItem(dialog, IDC_TM_COMMAND);
    if (code == CBN_EDITCHANGE) {
        EnableOk(dialog, GetWindowTextLengthW(combo) > 0);
    } else if (code == CBN_SELCHANGE) {
        // The edit field takes the chosen text only after this notification.
        const auto chosen = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
        EnableOk(dialog, chosen != CB_ERR && ::SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(chosen), 0) > 0);
    }
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto state = reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        OnInitDialog(dialog, *reinterpret_cast<DialogState*>(lParam));
        return TRUE;
    case WM_COMMAND:
        if (!state) return FALSE;
        if (LOWORD(wParam) == IDC_TM_COMMAND) {
            OnComboChange(dialog, HIWORD(wParam));
            return TRUE;
        }
        if (LOWORD(wParam) == IDOK) {
            state->command = CommandText(dialog);
            if (state->command.empty()) return TRUE;
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    case WM_HELP:
        return TRUE;  // the help id is set; there is no help file of this tool to open
    default:
        return FALSE;
    }
}

}  // namespace

std::optional<std::u16string> ShowNewTaskDialog(HWND owner, const std::vector<std::u16string>& history) {
    DialogState state{&history, {}};
    ActivationScope scope;
    const INT_PTR result = DialogBoxParamW(ResourceInstance(), MAKEINTRESOURCEW(IDD_TM_NEW_TASK), owner, &DialogProc,
                                           reinterpret_cast<LPARAM>(&state));
    if (result != IDOK || state.command.empty()) return std::nullopt;
    return state.command;
}

}  // namespace vantrel
