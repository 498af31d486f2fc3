// Set Password, New User and New Group.
#include "framework/Module.h"
#include "framework/Text.h"
#include "framework/text/SecureWipe.h"
#include "framework/text/TextCompare.h"
#include "framework/xml/Xml.h"
#include "snapins/picker/AccountPicker.h"
#include "snapins/users/DialogControls.h"
#include "snapins/users/HtmlHelp.h"
#include "snapins/users/UsersDialogs.h"
#include "snapins/users/UsersGroupsSnapIn.h"
#include "snapins/users/UsersIds.h"

#include <algorithm>
#include <vector>

namespace vantrel {

using Kind = CUsersGroupsSnapIn::Kind;

// ---- the base of the snap-in's dialogs --------------------------------------------------------

CUsersDialog::CUsersDialog(CUsersGroupsSnapIn& owner) : owner_(&owner) { owner.DialogOpened(*this); }

CUsersDialog::~CUsersDialog() {
    if (owner_) owner_->DialogClosed(*this);
}

void CUsersDialog::OnOwnerGone() {
    owner_ = nullptr;
    if (wait_) wait_->ownerGone = true;
    EndWindow();
}

namespace {

// Passwords are read into a buffer of our own that is wiped at once.
std::u16string ReadSecret(HWND dialog, int id) {
    wchar_t buffer[dialogs::kTextBuffer] = {};
    const int length = GetDlgItemTextW(dialog, id, buffer, static_cast<int>(std::size(buffer)));
    std::u16string secret(buffer, buffer + std::max(length, 0));
    SecureWipe(buffer, sizeof(buffer));
    return secret;
}

// ---- Set Password -------------------------------------------------------------------------------

class CSetPasswordDialog final : public CUsersDialog {
public:
    CSetPasswordDialog(CUsersGroupsSnapIn& owner, std::u16string& password) : CUsersDialog(owner), password_(password) {}

    INT_PTR Run(HWND parent) {
        ActivationScope scope;
        return DialogBoxParamW(ResourceInstance(), MAKEINTRESOURCEW(IDD_USR_SET_PASSWORD), parent, &Proc,
                               reinterpret_cast<LPARAM>(this));
    }

private:
    void EndWindow() override {
        if (window_) EndDialog(window_, IDCANCEL);
    }

    static INT_PTR CALLBACK Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
        auto self = dialogs::Attach<CSetPasswordDialog>(dialog, message, lParam);
        if (!self) return FALSE;
        switch (message) {
        case WM_INITDIALOG:
            self->window_ = dialog;
            dialogs::LimitTexts(dialog, {IDC_USR_PASSWORD, IDC_USR_CONFIRM_PASSWORD});
            if (self->OwnerGone()) self->EndWindow();
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) self->OnOk();
            if (LOWORD(wParam) == IDCANCEL) EndDialog(dialog, IDCANCEL);
            return TRUE;
        case WM_HELP:
            dialogs::ShowHelp(dialog, lParam);
            return TRUE;
        case WM_NCDESTROY:
            self->window_ = nullptr;
            return FALSE;
        default:
            return FALSE;
        }
    }

    void OnOk() {
        if (OwnerGone()) return;
        std::u16string password = ReadSecret(window_, IDC_USR_PASSWORD);
        std::u16string confirmed = ReadSecret(window_, IDC_USR_CONFIRM_PASSWORD);
        const bool same = password == confirmed;
        SecureWipe(confirmed);
        if (!same) {
            SecureWipe(password);
            Owner()->Message(window_, IDS_USR_PASSWORDS_DIFFER, {}, MB_ICONERROR);
            if (IsWindow(window_)) SetFocus(GetDlgItem(window_, IDC_USR_PASSWORD));
            return;
        }
        // A copy, then a wipe: a moved short text would leave its characters behind.
        password_ = password;
        SecureWipe(password);
        EndDialog(window_, IDOK);
    }

    std::u16string& password_;
};

// ---- what New User and New Group share: the request and the wait -------------------------------

class CCreateDialog : public CUsersDialog {
public:
    CCreateDialog(CUsersGroupsSnapIn& owner, Kind kind, UINT templateId)
        : CUsersDialog(owner), kind_(kind), templateId_(templateId) {}

    void Run(HWND parent) {
        ActivationScope scope;
        DialogBoxParamW(ResourceInstance(), MAKEINTRESOURCEW(templateId_), parent, &Proc, reinterpret_cast<LPARAM>(this));
    }

protected:
    virtual void OnInit() = 0;
    virtual void OnControl(UINT id, UINT code) = 0;
    virtual bool OnNotify(const NMHDR*) { return false; }
    // Reads and checks the fields; the request's text, or empty to stay.
    virtual std::string BuildRequest(std::u16string& name) = 0;
    virtual void ClearFields() = 0;
    // Enables what the fields' states allow.
    virtual void UpdateControls() = 0;

    // The name field with blanks trimmed, or empty after the refusal was shown.
    std::u16string AcceptedName() {
        const std::u16string name = users::TrimBlanks(dialogs::Text(window_, IDC_USR_NAME));
        if (name.empty()) return {};
        if (users::IsAcceptableAccountName(name)) return name;
        Owner()->Message(window_, IDS_USR_BAD_NAME, ToWide(name), MB_ICONERROR);
        if (IsWindow(window_)) SetFocus(GetDlgItem(window_, IDC_USR_NAME));
        return {};
    }
    void UpdateCreateButton() {
        EnableWindow(GetDlgItem(window_, IDOK), !users::TrimBlanks(dialogs::Text(window_, IDC_USR_NAME)).empty());
    }

private:
    void EndWindow() override {
        closing_ = true;
        if (window_) EndDialog(window_, IDCANCEL);
    }

    static INT_PTR CALLBACK Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
        auto self = dialogs::Attach<CCreateDialog>(dialog, message, lParam);
        if (!self) return FALSE;
        try {
            switch (message) {
            case WM_INITDIALOG:
                self->window_ = dialog;
                dialogs::LimitTexts(dialog, {IDC_USR_NAME, IDC_USR_FULL_NAME, IDC_USR_DESCRIPTION, IDC_USR_PASSWORD,
                                             IDC_USR_CONFIRM_PASSWORD});
                self->OnInit();
                self->UpdateControls();
                if (self->OwnerGone()) self->EndWindow();
                return TRUE;
            case WM_COMMAND:
                if (LOWORD(wParam) == IDCANCEL) {
                    // Also while waiting: the wait sees it and stops.
                    self->closing_ = true;
                    EndDialog(dialog, IDCANCEL);
                } else if (LOWORD(wParam) == IDOK) {
                    self->Create();
                } else if (!self->OwnerGone()) {
                    self->OnControl(LOWORD(wParam), HIWORD(wParam));
                }
                return TRUE;
            case WM_NOTIFY:
                return !self->OwnerGone() && self->OnNotify(reinterpret_cast<const NMHDR*>(lParam));
            case WM_HELP:
                dialogs::ShowHelp(dialog, lParam);
                return TRUE;
            case WM_NCDESTROY:
                self->window_ = nullptr;
                return FALSE;
            default:
                return FALSE;
            }
        } catch (...) {
            return FALSE;
        }
    }

    void Create() {
        if (OwnerGone() || waiting_ || !IsWindowEnabled(GetDlgItem(window_, IDOK))) return;
        std::u16string name;
        std::string text = BuildRequest(name);
        if (text.empty() || OwnerGone()) return;
        AnswerWait wait;
        const bool sent = Owner()->SendCreate(kind_, text, name, wait);
        SecureWipe(text);
        if (!sent) return;
        Wait(wait);
    }

    // The request is out: the fields wait with it, Close stays usable.
    void Wait(AnswerWait& wait) {
        waiting_ = true;
        wait_ = &wait;
        dialogs::EnableAllBut(window_, IDCANCEL, false);
        HWND window = window_;
        const WaitEnd end = PumpUntilAnswered(wait, window, closing_, Owner()->AnswerTimeout());
        wait_ = nullptr;
        waiting_ = false;
        // Released meanwhile: the snap-in is gone and this window is ending.
        if (end == WaitEnd::OwnerGone || OwnerGone()) return;
        if (end != WaitEnd::Answered) Owner()->AbandonCreate(wait, end);
        if (!IsWindow(window) || closing_) return;
        dialogs::EnableAllBut(window, IDCANCEL, true);
        if (end == WaitEnd::Answered && wait.succeeded) ClearFields();
        UpdateControls();
        SetFocus(GetDlgItem(window, IDC_USR_NAME));
    }

    Kind kind_;
    UINT templateId_;
    bool waiting_ = false;
    bool closing_ = false;
};

// ---- New User -----------------------------------------------------------------------------------

class CNewUserDialog final : public CCreateDialog {
public:
    explicit CNewUserDialog(CUsersGroupsSnapIn& owner) : CCreateDialog(owner, Kind::Users, IDD_USR_NEW_USER) {}

private:
    void OnInit() override {}

    void OnControl(UINT id, UINT code) override {
        if (id == IDC_USR_NAME && code == EN_CHANGE) UpdateCreateButton();
        if ((id == IDC_USR_MUST_CHANGE || id == IDC_USR_CANNOT_CHANGE || id == IDC_USR_NEVER_EXPIRES) && code == BN_CLICKED)
            dialogs::UpdatePasswordBoxes(window_);
    }

    void UpdateControls() override {
        UpdateCreateButton();
        dialogs::UpdatePasswordBoxes(window_);
    }

    std::string BuildRequest(std::u16string& name) override {
        name = AcceptedName();
        if (name.empty()) return {};
        users::NewUser user;
        user.password = ReadSecret(window_, IDC_USR_PASSWORD);
        std::u16string confirmed = ReadSecret(window_, IDC_USR_CONFIRM_PASSWORD);
        const bool same = user.password == confirmed;
        SecureWipe(confirmed);
        if (!same) {
            SecureWipe(user.password);
            Owner()->Message(window_, IDS_USR_PASSWORDS_DIFFER, {}, MB_ICONERROR);
            if (IsWindow(window_)) SetFocus(GetDlgItem(window_, IDC_USR_PASSWORD));
            return {};
        }
        user.name = name;
        user.fullName = dialogs::Text(window_, IDC_USR_FULL_NAME);
        user.description = dialogs::Text(window_, IDC_USR_DESCRIPTION);
        user.choices = dialogs::PasswordChoicesOf(window_);
        user.disabled = IsDlgButtonChecked(window_, IDC_USR_DISABLED) == BST_CHECKED;
        std::string text = users::CreateUserRequestText(user);
        SecureWipe(user.password);
        return text;
    }

    void ClearFields() override {
        for (int id : {IDC_USR_NAME, IDC_USR_FULL_NAME, IDC_USR_DESCRIPTION, IDC_USR_PASSWORD, IDC_USR_CONFIRM_PASSWORD})
            SetDlgItemTextW(window_, id, L"");
        for (int id : {IDC_USR_MUST_CHANGE, IDC_USR_CANNOT_CHANGE, IDC_USR_NEVER_EXPIRES, IDC_USR_DISABLED})
            CheckDlgButton(window_, id, BST_UNCHECKED);
    }
};

// ---- New Group -----------------------------------------------------------------------------------

constexpr size_t kMaxPickedAccounts = 1000;

class CNewGroupDialog final : public CCreateDialog {
public:
    explicit CNewGroupDialog(CUsersGroupsSnapIn& owner) : CCreateDialog(owner, Kind::Groups, IDD_USR_NEW_GROUP) {}

private:
    HWND Members() const { return GetDlgItem(window_, IDC_USR_MEMBERS); }

    void OnInit() override { images_ = dialogs::PrepareNameList(Members()); }

    void OnControl(UINT id, UINT code) override {
        if (id == IDC_USR_NAME && code == EN_CHANGE) UpdateCreateButton();
        if (id == IDC_USR_ADD_MEMBER) AddMembers();
        if (id == IDC_USR_REMOVE_MEMBER) {
            dialogs::RemoveSelectedName(Members());
            UpdateControls();
        }
    }

    bool OnNotify(const NMHDR* header) override {
        if (header && header->hwndFrom == Members() && header->code == LVN_ITEMCHANGED) UpdateControls();
        return false;
    }

    void UpdateControls() override {
        UpdateCreateButton();
        EnableWindow(GetDlgItem(window_, IDC_USR_REMOVE_MEMBER), dialogs::SelectedItem(Members()) >= 0);
    }

    void AddMembers() {
        const CAccountPickers::Result picked = Owner()->Pickers().Choose(window_, kMaxPickedAccounts);
        if (picked.outcome != CAccountPickers::Result::Outcome::Chosen) return;
        for (int i = 0; i < picked.accounts->GetChildCount(); ++i) {
            const picker::PickedAccount account = picker::ReadPickedAccount(*picked.accounts->GetChild(i));
            dialogs::AddName(Members(), account.QualifiedName(), account.group ? dialogs::kGroupImage : dialogs::kUserImage);
        }
        UpdateControls();
    }

    std::string BuildRequest(std::u16string& name) override {
        name = AcceptedName();
        if (name.empty()) return {};
        return users::CreateGroupRequestText(name, dialogs::Text(window_, IDC_USR_DESCRIPTION), dialogs::Names(Members()));
    }

    void ClearFields() override {
        SetDlgItemTextW(window_, IDC_USR_NAME, L"");
        SetDlgItemTextW(window_, IDC_USR_DESCRIPTION, L"");
        ::SendMessageW(Members(), LVM_DELETEALLITEMS, 0, 0);
    }

    UniqueImageList images_;
};

}  // namespace

bool RunSetPasswordDialog(CUsersGroupsSnapIn& owner, HWND parent, std::u16string& password) {
    CSetPasswordDialog dialog(owner, password);
    const INT_PTR ended = dialog.Run(parent);
    return !dialog.OwnerGone() && ended == IDOK;
}

void RunNewUserDialog(CUsersGroupsSnapIn& owner, HWND parent) {
    CNewUserDialog dialog(owner);
    dialog.Run(parent);
}

void RunNewGroupDialog(CUsersGroupsSnapIn& owner, HWND parent) {
    CNewGroupDialog dialog(owner);
    dialog.Run(parent);
}

}  // namespace vantrel
