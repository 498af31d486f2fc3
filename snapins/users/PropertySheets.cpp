// The property sheets of a user (General, Member Of, Profile) and of a group
// (General). They show what a complete read brought and, when confirmed,
// hand back the properties as edited; pages the user never opened keep what
// was read.
#include "framework/Module.h"
#include "framework/Text.h"
#include "framework/text/TextCompare.h"
#include "framework/xml/Xml.h"
#include "snapins/picker/AccountPicker.h"
#include "snapins/users/DialogControls.h"
#include "snapins/users/UsersDialogs.h"
#include "snapins/users/UsersGroupsSnapIn.h"
#include "snapins/users/UsersIds.h"

#include <iterator>
#include <vector>

namespace vantrel {
namespace {

namespace wire = users::protocol;
constexpr size_t kMaxPickedAccounts = 1000;

// What both sheets share: the pages, the sheet window and its end.
class CSheet : public CUsersDialog {
public:
    CSheet(CUsersGroupsSnapIn& owner, const std::u16string& name, UINT titleId)
        : CUsersDialog(owner), title_(FormatMessageString(LoadStringW(titleId), ToWide(name))), name_(name) {}

    bool Confirmed() const { return confirmed_ && !OwnerGone(); }

protected:
    using PageProc = INT_PTR(CALLBACK*)(HWND, UINT, WPARAM, LPARAM);

    void AddPage(UINT templateId, PageProc proc) {
        PROPSHEETPAGEW page = {};
        page.dwSize = sizeof(page);
        page.hInstance = ResourceInstance();
        page.pszTemplate = MAKEINTRESOURCEW(templateId);
        page.pfnDlgProc = proc;
        page.lParam = reinterpret_cast<LPARAM>(this);
        pages_.push_back(page);
    }

    void RunSheet(HWND parent) {
        PROPSHEETHEADERW header = {};
        header.dwSize = sizeof(header);
        header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW;
        header.hwndParent = parent;
        header.hInstance = ResourceInstance();
        header.pszCaption = title_.c_str();
        header.nPages = static_cast<UINT>(pages_.size());
        header.ppsp = pages_.data();
        ActivationScope scope;
        PropertySheetW(&header);
    }

    // The page's sheet object, from the page's own lParam.
    template <typename Sheet>
    static Sheet* SheetOf(HWND page, UINT message, LPARAM lParam) {
        const LPARAM self = message == WM_INITDIALOG ? reinterpret_cast<const PROPSHEETPAGEW*>(lParam)->lParam : 0;
        return dialogs::Attach<Sheet>(page, message, self);
    }

    // Every page: the sheet's window, help, and what a page cannot change
    // while the properties may not be edited.
    void OnPageInit(HWND page) {
        if (!window_) window_ = GetParent(page);
        if (!editable_) dialogs::EnableAllBut(page, 0, false);
        if (OwnerGone()) EndWindow();
    }
    static bool IsApply(LPARAM lParam) { return reinterpret_cast<const NMHDR*>(lParam)->code == PSN_APPLY; }
    void Applied(HWND page) {
        confirmed_ = true;
        SetWindowLongPtrW(page, DWLP_MSGRESULT, PSNRET_NOERROR);
    }

    void EndWindow() override {
        if (window_) PostMessageW(window_, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    }

    std::wstring title_;
    std::u16string name_;
    bool editable_ = true;
    bool confirmed_ = false;
    std::vector<PROPSHEETPAGEW> pages_;
};

// The accounts the picker returns, or none when it was cancelled or the
// snap-in has gone (then nothing of it may be touched).
std::vector<picker::PickedAccount> PickAccounts(CUsersGroupsSnapIn* owner, HWND parent) {
    std::vector<picker::PickedAccount> accounts;
    if (!owner) return accounts;
    const CAccountPickers::Result result = owner->Pickers().Choose(parent, kMaxPickedAccounts);
    if (result.outcome != CAccountPickers::Result::Outcome::Chosen) return accounts;
    for (int i = 0; i < result.accounts->GetChildCount(); ++i)
        accounts.push_back(picker::ReadPickedAccount(*result.accounts->GetChild(i)));
    return accounts;
}

// ---- the user's sheet ----------------------------------------------------------------------------

class CUserSheet final : public CSheet {
public:
    CUserSheet(CUsersGroupsSnapIn& owner, const std::u16string& name, users::UserProperties& properties)
        : CSheet(owner, name, IDS_USR_USER_PROPERTIES), properties_(properties), readFlags_(properties.flags),
          groups_(properties.groups) {
        // A membership cut short by the cap would drop the rest when written.
        editable_ = properties.groups.size() < users::kMaxMembers;
        AddPage(IDD_USR_USER_GENERAL, &GeneralProc);
        AddPage(IDD_USR_MEMBER_OF, &MemberOfProc);
        AddPage(IDD_USR_PROFILE, &ProfileProc);
    }

    void Run(HWND parent) { RunSheet(parent); }

private:
    // ---- General ----
    static INT_PTR CALLBACK GeneralProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
        CUserSheet* self = SheetOf<CUserSheet>(page, message, lParam);
        if (!self) return FALSE;
        switch (message) {
        case WM_INITDIALOG:
            self->InitGeneral(page);
            self->OnPageInit(page);
            return TRUE;
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED && self->editable_) dialogs::UpdatePasswordBoxes(page);
            return TRUE;
        case WM_NOTIFY:
            if (!IsApply(lParam)) return FALSE;
            self->ApplyGeneral(page);
            self->Applied(page);
            return TRUE;
        case WM_HELP:
            dialogs::ShowHelp(page, lParam);
            return TRUE;
        default:
            return FALSE;
        }
    }

    void InitGeneral(HWND page) {
        dialogs::LimitTexts(page, {IDC_USR_FULL_NAME, IDC_USR_DESCRIPTION});
        dialogs::SetText(page, IDC_USR_NAME, name_);
        dialogs::SetText(page, IDC_USR_FULL_NAME, properties_.fullName);
        dialogs::SetText(page, IDC_USR_DESCRIPTION, properties_.description);
        const users::FlagChoices flags = users::FlagChoicesOf(readFlags_);
        CheckDlgButton(page, IDC_USR_MUST_CHANGE, properties_.passwordExpired ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(page, IDC_USR_CANNOT_CHANGE, flags.cannotChange ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(page, IDC_USR_NEVER_EXPIRES, flags.neverExpires ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(page, IDC_USR_DISABLED, flags.disabled ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(page, IDC_USR_LOCKED_OUT, flags.lockedOut ? BST_CHECKED : BST_UNCHECKED);
        dialogs::UpdatePasswordBoxes(page);
        // A lockout can only be ended here.
        EnableWindow(GetDlgItem(page, IDC_USR_LOCKED_OUT), flags.lockedOut);
    }

    void ApplyGeneral(HWND page) {
        if (!editable_) return;
        properties_.fullName = dialogs::Text(page, IDC_USR_FULL_NAME);
        properties_.description = dialogs::Text(page, IDC_USR_DESCRIPTION);
        users::FlagChoices choices;
        choices.cannotChange = IsDlgButtonChecked(page, IDC_USR_CANNOT_CHANGE) == BST_CHECKED;
        choices.neverExpires = IsDlgButtonChecked(page, IDC_USR_NEVER_EXPIRES) == BST_CHECKED;
        choices.disabled = IsDlgButtonChecked(page, IDC_USR_DISABLED) == BST_CHECKED;
        choices.lockedOut = IsDlgButtonChecked(page, IDC_USR_LOCKED_OUT) == BST_CHECKED;
        properties_.flags = users::EditedFlags(readFlags_, choices);
        properties_.passwordExpired = IsDlgButtonChecked(page, IDC_USR_MUST_CHANGE) == BST_CHECKED;
    }

    // ---- Member Of ----
    static INT_PTR CALLBACK MemberOfProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
        CUserSheet* self = SheetOf<CUserSheet>(page, message, lParam);
        if (!self) return FALSE;
        HWND list = GetDlgItem(page, IDC_USR_MEMBERS);
        switch (message) {
        case WM_INITDIALOG:
            self->images_ = dialogs::PrepareNameList(list);
            for (const std::u16string& group : self->groups_) dialogs::AddName(list, group, dialogs::kGroupImage);
            self->OnPageInit(page);
            self->UpdateRemove(page);
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDC_USR_ADD_GROUP) self->AddGroups(page);
            if (LOWORD(wParam) == IDC_USR_REMOVE_GROUP) {
                dialogs::RemoveSelectedName(list);
                self->UpdateRemove(page);
            }
            return TRUE;
        case WM_NOTIFY: {
            const auto header = reinterpret_cast<const NMHDR*>(lParam);
            if (header->hwndFrom == list && header->code == LVN_ITEMCHANGED) self->UpdateRemove(page);
            if (!IsApply(lParam)) return FALSE;
            if (self->editable_) self->properties_.groups = dialogs::Names(list);
            self->Applied(page);
            return TRUE;
        }
        case WM_HELP:
            dialogs::ShowHelp(page, lParam);
            return TRUE;
        default:
            return FALSE;
        }
    }

    void UpdateRemove(HWND page) {
        EnableWindow(GetDlgItem(page, IDC_USR_REMOVE_GROUP),
                     editable_ && dialogs::SelectedItem(GetDlgItem(page, IDC_USR_MEMBERS)) >= 0);
    }

    void AddGroups(HWND page) {
        if (OwnerGone() || !editable_) return;
        // A user is a member of groups only.
        for (const picker::PickedAccount& account : PickAccounts(Owner(), window_ ? window_ : page))
            if (account.group) dialogs::AddName(GetDlgItem(page, IDC_USR_MEMBERS), account.QualifiedName(), dialogs::kGroupImage);
    }

    // ---- Profile ----
    static INT_PTR CALLBACK ProfileProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
        CUserSheet* self = SheetOf<CUserSheet>(page, message, lParam);
        if (!self) return FALSE;
        switch (message) {
        case WM_INITDIALOG:
            self->InitProfile(page);
            self->OnPageInit(page);
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDC_USR_LOCAL_PATH || LOWORD(wParam) == IDC_USR_CONNECT) self->UpdateHomeFolder(page);
            return TRUE;
        case WM_NOTIFY:
            if (!IsApply(lParam)) return FALSE;
            self->ApplyProfile(page);
            self->Applied(page);
            return TRUE;
        case WM_HELP:
            dialogs::ShowHelp(page, lParam);
            return TRUE;
        default:
            return FALSE;
        }
    }

    void InitProfile(HWND page) {
        dialogs::LimitTexts(page, {IDC_USR_PROFILE_PATH, IDC_USR_LOGON_SCRIPT, IDC_USR_LOCAL_PATH_TEXT, IDC_USR_NETWORK_PATH});
        dialogs::SetText(page, IDC_USR_PROFILE_PATH, properties_.profilePath);
        dialogs::SetText(page, IDC_USR_LOGON_SCRIPT, properties_.logonScript);
        const users::HomeFolder home = users::HomeFolderOf(properties_);
        dialogs::SetText(page, IDC_USR_LOCAL_PATH_TEXT, home.localPath);
        dialogs::SetText(page, IDC_USR_NETWORK_PATH, home.networkPath);
        HWND drives = GetDlgItem(page, IDC_USR_DRIVE);
        for (wchar_t letter = L'C'; letter <= L'Z'; ++letter) {
            const wchar_t drive[3] = {letter, L':', 0};
            ::SendMessageW(drives, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(drive));
        }
        // A drive the list lacks is kept as it was read.
        std::wstring drive = ToWide(home.drive.empty() ? u"Z:" : home.drive);
        auto index = ::SendMessageW(drives, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(drive.c_str()));
        if (index == CB_ERR) index = ::SendMessageW(drives, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(drive.c_str()));
        ::SendMessageW(drives, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        CheckRadioButton(page, IDC_USR_LOCAL_PATH, IDC_USR_CONNECT, home.network ? IDC_USR_CONNECT : IDC_USR_LOCAL_PATH);
        UpdateHomeFolder(page);
    }

    void UpdateHomeFolder(HWND page) {
        const bool network = IsDlgButtonChecked(page, IDC_USR_CONNECT) == BST_CHECKED;
        EnableWindow(GetDlgItem(page, IDC_USR_LOCAL_PATH_TEXT), editable_ && !network);
        EnableWindow(GetDlgItem(page, IDC_USR_DRIVE), editable_ && network);
        EnableWindow(GetDlgItem(page, IDC_USR_NETWORK_PATH), editable_ && network);
    }

    void ApplyProfile(HWND page) {
        if (!editable_) return;
        properties_.profilePath = dialogs::Text(page, IDC_USR_PROFILE_PATH);
        properties_.logonScript = dialogs::Text(page, IDC_USR_LOGON_SCRIPT);
        users::HomeFolder home;
        home.network = IsDlgButtonChecked(page, IDC_USR_CONNECT) == BST_CHECKED;
        home.localPath = dialogs::Text(page, IDC_USR_LOCAL_PATH_TEXT);
        home.networkPath = dialogs::Text(page, IDC_USR_NETWORK_PATH);
        wchar_t drive[8] = {};
        GetDlgItemTextW(page, IDC_USR_DRIVE, drive, static_cast<int>(std::size(drive)));
        home.drive.assign(drive, drive + wcslen(drive));
        users::ApplyHomeFolder(properties_, home);
    }

    users::UserProperties& properties_;
    const uint32_t readFlags_;
    std::vector<std::u16string> groups_;
    UniqueImageList images_;
};

// ---- the group's sheet ---------------------------------------------------------------------------

class CGroupSheet final : public CSheet {
public:
    CGroupSheet(CUsersGroupsSnapIn& owner, const std::u16string& name, users::GroupProperties& properties)
        : CSheet(owner, name, IDS_USR_GROUP_PROPERTIES), properties_(properties), members_(properties.members) {
        editable_ = properties.members.size() < users::kMaxMembers;
        AddPage(IDD_USR_GROUP_GENERAL, &GeneralProc);
    }

    void Run(HWND parent) { RunSheet(parent); }

private:
    static INT_PTR CALLBACK GeneralProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
        CGroupSheet* self = SheetOf<CGroupSheet>(page, message, lParam);
        if (!self) return FALSE;
        HWND list = GetDlgItem(page, IDC_USR_MEMBERS);
        switch (message) {
        case WM_INITDIALOG:
            self->Init(page, list);
            self->OnPageInit(page);
            self->UpdateRemove(page);
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDC_USR_ADD_MEMBER) self->AddMembers(page, list);
            if (LOWORD(wParam) == IDC_USR_REMOVE_MEMBER) self->RemoveMember(page, list);
            return TRUE;
        case WM_NOTIFY: {
            const auto header = reinterpret_cast<const NMHDR*>(lParam);
            if (header->hwndFrom == list && header->code == LVN_ITEMCHANGED) self->UpdateRemove(page);
            if (!IsApply(lParam)) return FALSE;
            if (self->editable_) {
                self->properties_.description = dialogs::Text(page, IDC_USR_DESCRIPTION);
                self->properties_.members = self->members_;
            }
            self->Applied(page);
            return TRUE;
        }
        case WM_HELP:
            dialogs::ShowHelp(page, lParam);
            return TRUE;
        default:
            return FALSE;
        }
    }

    static int ImageOf(const users::GroupMember& member) {
        return member.sidUse == wire::kSidUser ? dialogs::kUserImage : dialogs::kGroupImage;
    }

    void Init(HWND page, HWND list) {
        dialogs::LimitTexts(page, {IDC_USR_DESCRIPTION});
        dialogs::SetText(page, IDC_USR_NAME, name_);
        dialogs::SetText(page, IDC_USR_DESCRIPTION, properties_.description);
        images_ = dialogs::PrepareNameList(list);
        // The list and members_ stay in the same order: a member listed twice
        // by the machine is shown and kept once.
        std::vector<users::GroupMember> shown;
        for (const users::GroupMember& member : members_)
            if (dialogs::AddName(list, member.Shown(), ImageOf(member))) shown.push_back(member);
        members_ = std::move(shown);
    }

    void UpdateRemove(HWND page) {
        EnableWindow(GetDlgItem(page, IDC_USR_REMOVE_MEMBER),
                     editable_ && dialogs::SelectedItem(GetDlgItem(page, IDC_USR_MEMBERS)) >= 0);
    }

    void AddMembers(HWND page, HWND list) {
        if (OwnerGone() || !editable_) return;
        for (const picker::PickedAccount& account : PickAccounts(Owner(), window_ ? window_ : page)) {
            users::GroupMember member;
            member.name = account.name;
            member.sidName = account.QualifiedName();
            member.computer = account.domain;
            member.sidUse = account.group ? wire::kSidGroup : wire::kSidUser;
            if (dialogs::AddName(list, member.Shown(), ImageOf(member))) members_.push_back(std::move(member));
        }
        UpdateRemove(page);
    }

    void RemoveMember(HWND page, HWND list) {
        const int item = dialogs::SelectedItem(list);
        if (item < 0 || static_cast<size_t>(item) >= members_.size()) return;
        dialogs::RemoveSelectedName(list);
        members_.erase(members_.begin() + item);
        UpdateRemove(page);
    }

    users::GroupProperties& properties_;
    std::vector<users::GroupMember> members_;
    UniqueImageList images_;
};

}  // namespace

bool RunUserPropertySheet(CUsersGroupsSnapIn& owner, HWND parent, const std::u16string& name,
                          users::UserProperties& properties) {
    CUserSheet sheet(owner, name, properties);
    sheet.Run(parent);
    return sheet.Confirmed();
}

bool RunGroupPropertySheet(CUsersGroupsSnapIn& owner, HWND parent, const std::u16string& name,
                           users::GroupProperties& properties) {
    CGroupSheet sheet(owner, name, properties);
    sheet.Run(parent);
    return sheet.Confirmed();
}

}  // namespace vantrel
