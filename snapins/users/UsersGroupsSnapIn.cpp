#include "snapins/users/UsersGroupsSnapIn.h"

#include "framework/Module.h"
#include "framework/Text.h"
#include "framework/text/Base64.h"
#include "framework/text/SecureWipe.h"
#include "framework/text/TextCompare.h"
#include "framework/xml/Xml.h"
#include "snapins/users/HtmlHelp.h"
#include "snapins/users/UsersDialogs.h"
#include "snapins/users/UsersIds.h"

#include <algorithm>
#include <iterator>

static_assert(vantrel::CUsersGroupsSnapIn::kId == IDS_SNAPIN_USERS);
static_assert(vantrel::CUsersGroupsSnapIn::kId == IDR_USR_SNAPIN);

namespace vantrel {
namespace {

namespace wire = users::protocol;
using users::RowId;
using Kind = CUsersGroupsSnapIn::Kind;

constexpr DWORD kListExStyle = LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP;
constexpr UINT kHelpCommand = 0xE142;
// Posted when a read of properties is complete: the sheet opens from the
// message loop, after the read's busy state has ended.
constexpr UINT kOpenPropertiesMessage = WM_APP + 0x152;
constexpr int kUserImage = 0, kDisabledUserImage = 1, kGroupImage = 2;
constexpr DWORD kUsersHelp = IDH_USR_USERS, kGroupsHelp = IDH_USR_GROUPS;

constexpr ReportColumn kUserColumns[] = {{users::kUserColumnName, IDS_USR_COLUMN_NAME, 150},
                                         {users::kUserColumnFullName, IDS_USR_COLUMN_FULL_NAME, 200},
                                         {users::kUserColumnDescription, IDS_USR_COLUMN_DESCRIPTION, 300}};
constexpr ReportColumn kGroupColumns[] = {{users::kGroupColumnName, IDS_USR_COLUMN_GROUP_NAME, 150},
                                          {users::kGroupColumnDescription, IDS_USR_COLUMN_DESCRIPTION, 300}};

constexpr ToolBarImage kToolBarImages[] = {{ID_USR_REFRESH, 0},    {ID_USR_NEW, 1},          {ID_USR_DELETE, 2},
                                           {ID_USR_PROPERTIES, 9}, {ID_USR_SET_PASSWORD, 26}};

size_t IndexOf(Kind kind) { return kind == Kind::Users ? 0 : 1; }

const ListingWire kUsersWire = {wire::kListUsersCommand, wire::kUsersNode,  wire::kUsersElement,
                                wire::kUsersNode,        ContinueFrom::UpToPlusOne, SuccessValue::Zero,
                                /*shortRetValue=*/true};
const ListingWire kGroupsWire = {wire::kListGroupsCommand, wire::kGroupsNode, wire::kGroupsElement,
                                 wire::kGroupsNode,        ContinueFrom::UpToPlusOne, SuccessValue::Zero, true};
const ListingWire kUserPropertiesWire = {wire::kReadUserCommand, wire::kUserNode, wire::kUserElement,
                                         wire::kUserNode,        ContinueFrom::UpToPlusOne, SuccessValue::Zero, true};
const ListingWire kGroupPropertiesWire = {wire::kReadGroupCommand, wire::kGroupNode, wire::kGroupElement,
                                          wire::kGroupNode,        ContinueFrom::UpToPlusOne, SuccessValue::Zero, true};

void EnableCommand(HMENU menu, UINT command, bool enabled) {
    EnableMenuItem(menu, command, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

}  // namespace

// ---- the lists' models and the listings' clients -------------------------------------------

class CUsersGroupsSnapIn::ListSource final : public IReportSource {
public:
    ListSource(CUsersGroupsSnapIn& snapIn, Kind kind) : snapIn_(snapIn), kind_(kind) {}
    std::wstring CellText(LPARAM key, int column) override { return snapIn_.CellText(kind_, key, column); }
    int CompareRecords(LPARAM a, LPARAM b, int column) override { return snapIn_.Compare(kind_, a, b, column); }
    void OnSelectionChanged() override { snapIn_.UpdateCommands(); }
    void OnItemActivated(LPARAM) override { snapIn_.OnCommand(ID_USR_PROPERTIES); }
    std::wstring RecordIdentity(LPARAM key) override { return snapIn_.NameOf(kind_, static_cast<RowId>(key)); }

private:
    CUsersGroupsSnapIn& snapIn_;
    Kind kind_;
};

class CUsersGroupsSnapIn::ListingClient final : public IListingClient {
public:
    ListingClient(CUsersGroupsSnapIn& snapIn, Kind kind) : snapIn_(snapIn), kind_(kind) {}
    void OnListingStarted() override { snapIn_.OnListingStarted(kind_); }
    bool MergePage(const CXmlElement& root) override { return snapIn_.MergePage(kind_, root); }
    void OnListingEnded(ListingEnd end) override { snapIn_.OnListingEnded(kind_, end); }
    bool CanShowListing() const override { return snapIn_.ListOf(kind_).Handle() != nullptr; }

private:
    CUsersGroupsSnapIn& snapIn_;
    Kind kind_;
};

class CUsersGroupsSnapIn::PropertiesClient final : public IListingClient {
public:
    PropertiesClient(CUsersGroupsSnapIn& snapIn, Kind kind) : snapIn_(snapIn), kind_(kind) {}
    void AddRequestAttributes(CXmlElement& element) override {
        element.AddAttribute(wire::kAttrName, EncodeUtf16Base64(snapIn_.read_.name));
    }
    void OnListingStarted() override {
        snapIn_.read_.firstPage = true;
        snapIn_.read_.complete = false;
    }
    bool MergePage(const CXmlElement& root) override {
        PropertiesRead& read = snapIn_.read_;
        if (kind_ == Kind::Users)
            users::MergeUserPropertiesPage(read.user, root, read.firstPage);
        else
            users::MergeGroupPropertiesPage(read.group, root, read.firstPage);
        read.firstPage = false;
        return true;
    }
    void OnListingEnded(ListingEnd end) override { snapIn_.OnPropertiesRead(kind_, end); }
    bool CanShowListing() const override { return snapIn_.Window() != nullptr; }

private:
    CUsersGroupsSnapIn& snapIn_;
    Kind kind_;
};

CUsersGroupsSnapIn::CUsersGroupsSnapIn(ISnapInHost* host)
    : CSnapInBase(host),
      usersSource_(std::make_unique<ListSource>(*this, Kind::Users)),
      groupsSource_(std::make_unique<ListSource>(*this, Kind::Groups)),
      usersList_(std::make_unique<CReportList>(*usersSource_, L"UsersList")),
      groupsList_(std::make_unique<CReportList>(*groupsSource_, L"GroupsList")),
      usersClient_(std::make_unique<ListingClient>(*this, Kind::Users)),
      groupsClient_(std::make_unique<ListingClient>(*this, Kind::Groups)),
      usersListing_(std::make_unique<CPagedListing>(*this, *usersClient_, kUsersWire)),
      groupsListing_(std::make_unique<CPagedListing>(*this, *groupsClient_, kGroupsWire)),
      userPropertiesClient_(std::make_unique<PropertiesClient>(*this, Kind::Users)),
      groupPropertiesClient_(std::make_unique<PropertiesClient>(*this, Kind::Groups)),
      userProperties_(std::make_unique<CPagedListing>(*this, *userPropertiesClient_, kUserPropertiesWire)),
      groupProperties_(std::make_unique<CPagedListing>(*this, *groupPropertiesClient_, kGroupPropertiesWire)),
      pickers_(*this),
      answerEvent_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    RegisterReportList(*usersList_);
    RegisterReportList(*groupsList_);
}

CUsersGroupsSnapIn::~CUsersGroupsSnapIn() {
    // Whatever waits in a modal loop below this call learns that the snap-in
    // has gone before it looks at it again.
    life_.reset();
    if (currentWait_) currentWait_->ownerGone = true;
    const std::vector<CUsersDialog*> open = dialogs_;
    for (CUsersDialog* dialog : open) dialog->OnOwnerGone();
    DestroySnapInWindow();
}

// ---- window ---------------------------------------------------------------------------------

HWND CUsersGroupsSnapIn::Create(HWND parent) { return CreateWindowOnce(parent); }

void CUsersGroupsSnapIn::OnCreateWindow() {
    pane_ = CreateMainDialog(IDD_USR_PANE);
    if (!pane_) return;
    SetWindowContextHelpId(pane_, kUsersHelp);
    tabs_ = SetUpTabs(pane_, IDC_USR_TABS, {IDS_USR_TAB_USERS, IDS_USR_TAB_GROUPS});
    CreateLists();
    CreateToolBar(kToolBarImages, static_cast<int32_t>(std::size(kToolBarImages)));
    ShowTab(Kind::Users);
    LayoutMainDialog();
    UpdateCommands();
}

void CUsersGroupsSnapIn::CreateLists() {
    usersList_->Attach(GetDlgItem(pane_, IDC_USR_USERS), kListExStyle);
    usersList_->SetColumns(kUserColumns);
    groupsList_->Attach(GetDlgItem(pane_, IDC_USR_GROUPS), kListExStyle);
    groupsList_->SetColumns(kGroupColumns);
    for (CReportList* list : {usersList_.get(), groupsList_.get()}) {
        list->SetImages(LoadImageStrip(L"IDB_SNAP_USR_ACCOUNTS", 16, ILC_COLOR24), nullptr);
        list->LoadSortArrows();
    }
}

void CUsersGroupsSnapIn::LayoutMainDialog() {
    if (!pane_) return;
    RECT client = {};
    GetClientRect(pane_, &client);
    const int tabHeight = PlaceTabRow(tabs_, client);
    const int height = std::max<int>(0, client.bottom - tabHeight);
    for (CReportList* list : {usersList_.get(), groupsList_.get()})
        if (list->Handle()) MoveWindow(list->Handle(), 0, tabHeight, client.right, height, TRUE);
}

void CUsersGroupsSnapIn::ShowTab(Kind kind) {
    kind_ = kind;
    if (tabs_ && ::SendMessageW(tabs_, TCM_GETCURSEL, 0, 0) != (kind == Kind::Users ? 0 : 1))
        ::SendMessageW(tabs_, TCM_SETCURSEL, kind == Kind::Users ? 0 : 1, 0);
    if (usersList_->Handle()) ShowWindow(usersList_->Handle(), kind == Kind::Users ? SW_SHOWNA : SW_HIDE);
    if (groupsList_->Handle()) ShowWindow(groupsList_->Handle(), kind == Kind::Groups ? SW_SHOWNA : SW_HIDE);
    if (pane_) SetWindowContextHelpId(pane_, kind == Kind::Users ? kUsersHelp : kGroupsHelp);
    UpdateCommands();
}

LRESULT CUsersGroupsSnapIn::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NOTIFY: {
        const auto header = reinterpret_cast<const NMHDR*>(lParam);
        if (header && tabs_ && header->hwndFrom == tabs_ && header->code == TCN_SELCHANGE) {
            const Kind kind = ::SendMessageW(tabs_, TCM_GETCURSEL, 0, 0) == 1 ? Kind::Groups : Kind::Users;
            ShowTab(kind);
            if (!listed_[IndexOf(kind)]) Refresh(kind);
            return 0;
        }
        LRESULT result = 0;
        if (header && OnListNotify(header, &result)) return result;
        break;
    }
    case WM_SETFOCUS:
        if (ListOf(kind_).Handle()) {
            SetFocus(ListOf(kind_).Handle());
            return 0;
        }
        break;
    case kSetAnswerTimeoutMessage:
        answerTimeout_ = static_cast<DWORD>(wParam);
        return 0;
    case kOpenPropertiesMessage:
        OpenPropertySheet();
        return 0;
    case WM_DESTROY:
        pane_ = nullptr;
        tabs_ = nullptr;
        break;
    default:
        break;
    }
    return CSnapInBase::WindowProc(message, wParam, lParam);
}

bool CUsersGroupsSnapIn::OnListNotify(const NMHDR* header, LRESULT* result) {
    for (Kind kind : {Kind::Users, Kind::Groups}) {
        if (header->hwndFrom != ListOf(kind).Handle()) continue;
        if (header->code == LVN_BEGINLABELEDITW) {
            // Renaming waits while a request is on its way.
            *result = IsBusy() ? TRUE : FALSE;
            return true;
        }
        if (header->code == LVN_ENDLABELEDITW) {
            OnLabelEdited(kind, *reinterpret_cast<const NMLVDISPINFOW*>(header));
            *result = FALSE;  // the row takes the name the answer gives
            return true;
        }
    }
    return false;
}

// ---- the lists' records ------------------------------------------------------------------------

std::wstring CUsersGroupsSnapIn::CellText(Kind kind, LPARAM key, int column) const {
    const auto id = static_cast<RowId>(key);
    if (kind == Kind::Users) {
        const users::UserRecord* user = users_.Find(id);
        return user ? ToWide(users::UserColumnText(*user, column)) : std::wstring();
    }
    const users::GroupRecord* group = groups_.Find(id);
    return group ? ToWide(users::GroupColumnText(*group, column)) : std::wstring();
}

int CUsersGroupsSnapIn::Compare(Kind kind, LPARAM a, LPARAM b, int column) const {
    if (kind == Kind::Users) {
        const users::UserRecord* x = users_.Find(static_cast<RowId>(a));
        const users::UserRecord* y = users_.Find(static_cast<RowId>(b));
        return x && y ? users::CompareUsers(*x, *y, column) : 0;
    }
    const users::GroupRecord* x = groups_.Find(static_cast<RowId>(a));
    const users::GroupRecord* y = groups_.Find(static_cast<RowId>(b));
    return x && y ? users::CompareGroups(*x, *y, column) : 0;
}

std::wstring CUsersGroupsSnapIn::NameOf(Kind kind, RowId id) const {
    if (kind == Kind::Users) {
        const users::UserRecord* user = users_.Find(id);
        return user ? ToWide(user->name) : std::wstring();
    }
    const users::GroupRecord* group = groups_.Find(id);
    return group ? ToWide(group->name) : std::wstring();
}

std::optional<RowId> CUsersGroupsSnapIn::SelectedRow() const {
    const auto key = ListOf(kind_).SelectedKey();
    if (!key) return std::nullopt;
    const auto id = static_cast<RowId>(*key);
    const bool known = kind_ == Kind::Users ? users_.Find(id) != nullptr : groups_.Find(id) != nullptr;
    return known ? std::optional(id) : std::nullopt;
}

void CUsersGroupsSnapIn::SetRowImage(RowId id, int image) {
    const int item = usersList_->FindItem(static_cast<LPARAM>(id));
    if (item < 0) return;
    LVITEMW lv = {};
    lv.mask = LVIF_IMAGE;
    lv.iItem = item;
    lv.iImage = image;
    ::SendMessageW(usersList_->Handle(), LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&lv));
}

int CUsersGroupsSnapIn::ImageOf(const users::UserRecord& user) const {
    return users::ShowsDisabledImage(user.flags) ? kDisabledUserImage : kUserImage;
}

void CUsersGroupsSnapIn::FillList(Kind kind) {
    std::vector<CReportList::Row> rows;
    if (kind == Kind::Users) {
        rows.reserve(users_.Count());
        for (const users::UserRecord& user : users_.Rows()) rows.push_back({static_cast<LPARAM>(user.id), ImageOf(user)});
    } else {
        rows.reserve(groups_.Count());
        for (const users::GroupRecord& group : groups_.Rows()) rows.push_back({static_cast<LPARAM>(group.id), kGroupImage});
    }
    ListOf(kind).Fill(rows);  // sorted again as it was, the selection kept
}

// ---- listings ----------------------------------------------------------------------------------------

void CUsersGroupsSnapIn::Refresh(Kind kind) {
    listed_[IndexOf(kind)] = true;
    (kind == Kind::Users ? *usersListing_ : *groupsListing_).Start();
}

void CUsersGroupsSnapIn::OnListingStarted(Kind kind) {
    // The rows shown stay until the first page of this listing arrives.
    clearOnPage_[IndexOf(kind)] = true;
}

bool CUsersGroupsSnapIn::MergePage(Kind kind, const CXmlElement& root) {
    if (std::exchange(clearOnPage_[IndexOf(kind)], false)) {
        // Items and records go together: no item may outlive its record.
        ListOf(kind).Clear();
        if (kind == Kind::Users)
            users_.Clear();
        else
            groups_.Clear();
    }
    std::vector<CReportList::Row> rows;
    if (kind == Kind::Users) {
        const size_t first = users_.Count();
        users::MergeUsersPage(users_, root);
        for (size_t i = first; i < users_.Count(); ++i)
            rows.push_back({static_cast<LPARAM>(users_.Rows()[i].id), ImageOf(users_.Rows()[i])});
    } else {
        const size_t first = groups_.Count();
        users::MergeGroupsPage(groups_, root);
        for (size_t i = first; i < groups_.Count(); ++i) rows.push_back({static_cast<LPARAM>(groups_.Rows()[i].id), kGroupImage});
    }
    ListOf(kind).Append(rows);
    return true;
}

void CUsersGroupsSnapIn::OnListingEnded(Kind kind, ListingEnd) {
    // A listing whose first page never came leaves the list as it was.
    if (std::exchange(clearOnPage_[IndexOf(kind)], false)) return;
    FillList(kind);
    UpdateCommands();
}

// ---- enabling and menus ----------------------------------------------------------------------------------

void CUsersGroupsSnapIn::UpdateMenu(HMENU menu) const {
    if (!menu) return;
    const bool idle = !IsBusy();
    const bool selected = SelectedRow().has_value();
    EnableCommand(menu, ID_USR_NEW, idle);
    EnableCommand(menu, ID_USR_REFRESH, idle);
    EnableCommand(menu, ID_USR_SET_PASSWORD, idle && selected && kind_ == Kind::Users);
    EnableCommand(menu, ID_USR_DELETE, idle && selected);
    EnableCommand(menu, ID_USR_RENAME, idle && selected);
    EnableCommand(menu, ID_USR_PROPERTIES, idle && selected);
    SetMenuDefaultItem(menu, ID_USR_PROPERTIES, FALSE);
}

void CUsersGroupsSnapIn::UpdateCommands() {
    const bool idle = !IsBusy();
    const bool selected = SelectedRow().has_value();
    if (HMENU menu = SnapInMenu()) {
        HMENU popup = GetSubMenu(menu, 0);
        const UINT text = kind_ == Kind::Users ? IDS_USR_NEW_USER_SHORTCUT : IDS_USR_NEW_GROUP_SHORTCUT;
        ModifyMenuW(popup, ID_USR_NEW, MF_BYCOMMAND | MF_STRING, ID_USR_NEW, LoadStringW(text).c_str());
        UpdateMenu(popup);
    }
    if (HWND toolBar = ToolBar()) {
        const auto enable = [toolBar](UINT command, bool on) {
            ::SendMessageW(toolBar, TB_ENABLEBUTTON, command, MAKELONG(on, 0));
        };
        enable(ID_USR_REFRESH, idle);
        enable(ID_USR_NEW, idle);
        enable(ID_USR_DELETE, idle && selected);
        enable(ID_USR_PROPERTIES, idle && selected);
        enable(ID_USR_SET_PASSWORD, idle && selected && kind_ == Kind::Users);
    }
}

void CUsersGroupsSnapIn::OnListContextMenu(CReportList&, POINT screen) {
    UniqueMenu menu = LoadMenuResource(IDM_USR_CONTEXT);
    HMENU popup = menu ? GetSubMenu(menu.get(), 0) : nullptr;
    if (!popup) return;
    const UINT text = kind_ == Kind::Users ? IDS_USR_NEW_USER : IDS_USR_NEW_GROUP;
    ModifyMenuW(popup, ID_USR_NEW, MF_BYCOMMAND | MF_STRING, ID_USR_NEW, LoadStringW(text).c_str());
    UpdateMenu(popup);
    TrackMenu(popup, screen);
}

BOOL CUsersGroupsSnapIn::OnContextMenuKey() {
    // The key belongs to the list only while the list has the focus.
    HWND list = ListOf(kind_).Handle();
    if (!list || GetFocus() != list) return FALSE;
    OnListContextMenu(ListOf(kind_), ListOf(kind_).ContextMenuPoint(-1));
    return TRUE;
}

// ---- commands -----------------------------------------------------------------------------------------------

void CUsersGroupsSnapIn::OnCommand(UINT command) {
    // Accelerators and context menus come here too: each command looks at the
    // busy state and the selection again.
    switch (command) {
    case ID_USR_REFRESH:
        if (!IsBusy()) Refresh(kind_);
        break;
    case ID_USR_NEW:
        NewAccount();
        break;
    case ID_USR_DELETE:
        DeleteSelected();
        break;
    case ID_USR_RENAME:
        RenameSelected();
        break;
    case ID_USR_SET_PASSWORD:
        SetPasswordOfSelected();
        break;
    case ID_USR_PROPERTIES:
        PropertiesOfSelected();
        break;
    case kHelpCommand:
        ShowHelp();
        break;
    default:
        break;
    }
}

void CUsersGroupsSnapIn::ShowHelp() {
    if (pane_) ShowContextHelp(GetWindowContextHelpId(pane_));
}

int CUsersGroupsSnapIn::Message(HWND owner, UINT textId, const std::wstring& insert, UINT flags) {
    const std::wstring pattern = LoadStringW(textId);
    const std::wstring text = insert.empty() ? pattern : FormatMessageString(pattern, insert);
    const std::wstring caption = LoadStringW(IDS_USR_CAPTION);
    ActivationScope scope;
    return MessageBoxW(owner ? owner : Window(), text.c_str(), caption.c_str(), flags);
}

bool CUsersGroupsSnapIn::SendText(uint32_t command, const char* node, const std::string& text) {
    Request request(*this, command, 1);
    request.Field(node).SetString(text.c_str());
    return request.Send();
}

void CUsersGroupsSnapIn::DeleteSelected() {
    const std::optional<RowId> id = SelectedRow();
    if (!id || IsBusy()) return;
    const Kind kind = kind_;
    const std::wstring name = NameOf(kind, *id);
    const auto alive = LifeToken();
    const int answer = Message(Window(), kind == Kind::Users ? IDS_USR_CONFIRM_DELETE_USER : IDS_USR_CONFIRM_DELETE_GROUP,
                               name, MB_YESNO | MB_ICONQUESTION);
    if (alive.expired() || answer != IDYES) return;
    // The box let answers in: look again.
    if (IsBusy() || NameOf(kind, *id).empty()) return;
    const std::u16string wireName(name.begin(), name.end());
    const char* element = kind == Kind::Users ? wire::kUserElement : wire::kGroupElement;
    const uint32_t command = kind == Kind::Users ? wire::kDeleteUserCommand : wire::kDeleteGroupCommand;
    if (!SendText(command, kind == Kind::Users ? wire::kUserNode : wire::kGroupNode,
                  users::DeleteRequestText(element, wireName, *id)))
        return;
    deletes_[IndexOf(kind)].Sent({*id, wireName, {}, {}, 0});
    BeginBusy(IDS_STATUS_IN_PROGRESS);
}

void CUsersGroupsSnapIn::RenameSelected() {
    const std::optional<RowId> id = SelectedRow();
    if (!id || IsBusy()) return;
    CReportList& list = ListOf(kind_);
    const int item = list.FindItem(static_cast<LPARAM>(*id));
    if (item < 0) return;
    SetFocus(list.Handle());
    ::SendMessageW(list.Handle(), LVM_EDITLABELW, static_cast<WPARAM>(item), 0);
}

void CUsersGroupsSnapIn::OnLabelEdited(Kind kind, const NMLVDISPINFOW& info) {
    // No text: the edit was cancelled, and nothing is sent.
    if (!info.item.pszText || !info.item.pszText[0]) return;
    const auto key = ListOf(kind).KeyOfItem(info.item.iItem);
    if (!key) return;
    const auto id = static_cast<RowId>(*key);
    const std::wstring oldName = NameOf(kind, id);
    if (oldName.empty()) return;
    const std::wstring edited(info.item.pszText);
    const std::u16string newName(edited.begin(), edited.end());
    const char* element = kind == Kind::Users ? wire::kUserElement : wire::kGroupElement;
    const uint32_t command = kind == Kind::Users ? wire::kRenameUserCommand : wire::kRenameGroupCommand;
    if (!SendText(command, kind == Kind::Users ? wire::kUserNode : wire::kGroupNode,
                  users::RenameRequestText(element, std::u16string(oldName.begin(), oldName.end()), newName, id)))
        return;
    renames_[IndexOf(kind)].Sent({id, newName, {}, {}, 0});
    BeginBusy(IDS_STATUS_IN_PROGRESS);
}

void CUsersGroupsSnapIn::SetPasswordOfSelected() {
    const std::optional<RowId> id = SelectedRow();
    if (!id || IsBusy() || kind_ != Kind::Users) return;
    const auto alive = LifeToken();
    std::u16string password;
    const bool confirmed = RunSetPasswordDialog(*this, Window(), password);
    if (alive.expired()) return;
    const users::UserRecord* user = users_.Find(*id);
    if (confirmed && user && !IsBusy()) {
        std::string text = users::SetPasswordRequestText(user->name, password);
        const bool sent = SendText(wire::kSetPasswordCommand, wire::kUserNode, text);
        SecureWipe(text);
        if (sent) {
            ++passwordsPending_;
            BeginBusy(IDS_STATUS_IN_PROGRESS);
        }
    }
    SecureWipe(password);
}

void CUsersGroupsSnapIn::NewAccount() {
    if (IsBusy() || currentWait_ || !Window()) return;
    const auto alive = LifeToken();
    if (kind_ == Kind::Users)
        RunNewUserDialog(*this, Window());
    else
        RunNewGroupDialog(*this, Window());
    if (alive.expired()) return;
    UpdateCommands();
}

void CUsersGroupsSnapIn::PropertiesOfSelected() {
    // A second request while a read is on its way is ignored.
    if (userProperties_->Running() || groupProperties_->Running() || IsBusy()) return;
    const std::optional<RowId> id = SelectedRow();
    if (!id) return;
    const std::wstring name = NameOf(kind_, *id);
    read_ = {};
    read_.kind = kind_;
    read_.id = *id;
    read_.name.assign(name.begin(), name.end());
    (kind_ == Kind::Users ? *userProperties_ : *groupProperties_).Start();
}

// ---- the create dialogs' requests -------------------------------------------------------------------------

void CUsersGroupsSnapIn::DialogOpened(CUsersDialog& dialog) { dialogs_.push_back(&dialog); }

void CUsersGroupsSnapIn::DialogClosed(CUsersDialog& dialog) { std::erase(dialogs_, &dialog); }

bool CUsersGroupsSnapIn::SendCreate(Kind kind, const std::string& text, const std::u16string& name, AnswerWait& wait) {
    if (currentWait_ || !answerEvent_) return false;
    // Reset before sending: the answer may come as soon as the request is out.
    ResetEvent(answerEvent_.get());
    const uint32_t command = kind == Kind::Users ? wire::kCreateUserCommand : wire::kCreateGroupCommand;
    if (!SendText(command, kind == Kind::Users ? wire::kUserNode : wire::kGroupNode, text)) return false;
    wait = {};
    wait.event = answerEvent_.get();
    creates_[IndexOf(kind)].Sent({name, &wait});
    currentWait_ = &wait;
    BeginBusy(IDS_STATUS_IN_PROGRESS);
    return true;
}

void CUsersGroupsSnapIn::AbandonCreate(AnswerWait& wait, WaitEnd end) {
    if (currentWait_ != &wait) return;
    currentWait_ = nullptr;
    for (auto& pending : creates_)
        for (CreateRequest& request : pending.Entries())
            if (request.wait == &wait) request.wait = nullptr;
    EndBusy(end == WaitEnd::TimedOut ? IDS_STATUS_FAILED : IDS_STATUS_CANCELED);
}

// ---- answers --------------------------------------------------------------------------------------------------

void CUsersGroupsSnapIn::HandleAnswer(uint32_t command, IHostMessage& answer, IMessageNode& root) {
    switch (command) {
    case wire::kAccountCommand:
        pickers_.OnAnswer(answer, root);
        break;
    case wire::kListUsersCommand:
        usersListing_->OnAnswer(answer, root);
        break;
    case wire::kListGroupsCommand:
        groupsListing_->OnAnswer(answer, root);
        break;
    case wire::kDeleteUserCommand:
    case wire::kDeleteGroupCommand:
        OnDeleteAnswer(command == wire::kDeleteUserCommand ? Kind::Users : Kind::Groups, answer, root);
        break;
    case wire::kRenameUserCommand:
    case wire::kRenameGroupCommand:
        OnRenameAnswer(command == wire::kRenameUserCommand ? Kind::Users : Kind::Groups, answer, root);
        break;
    case wire::kSetPasswordCommand:
        OnSetPasswordAnswer(answer, root);
        break;
    case wire::kCreateUserCommand:
    case wire::kCreateGroupCommand:
        OnCreateAnswer(command == wire::kCreateUserCommand ? Kind::Users : Kind::Groups, answer, root);
        break;
    case wire::kReadUserCommand:
        userProperties_->OnAnswer(answer, root);
        break;
    case wire::kReadGroupCommand:
        groupProperties_->OnAnswer(answer, root);
        break;
    case wire::kWriteUserCommand:
    case wire::kWriteGroupCommand:
        OnWriteAnswer(command == wire::kWriteUserCommand ? Kind::Users : Kind::Groups, answer, root);
        break;
    default:
        CSnapInBase::HandleAnswer(command, answer, root);
        break;
    }
}

namespace {

// The element of an answer's XML node, when there is a readable one.
bool ReadAnswerElement(IMessageNode& root, const char* node, CXmlElement& element) {
    return ParseAnswer(root.Child(node)->GetString(), element) == AnswerText::Parsed;
}

}  // namespace

void CUsersGroupsSnapIn::OnDeleteAnswer(Kind kind, IHostMessage& answer, IMessageNode& root) {
    CXmlElement element;
    const bool readable = ReadAnswerElement(root, kind == Kind::Users ? wire::kUserNode : wire::kGroupNode, element);
    const RowId answered = readable ? users::ReadRowId(element) : users::kNoRow;
    const auto taken = deletes_[IndexOf(kind)].Take([answered](const RowRequest& r) { return r.id == answered; });
    if (!AnswerSucceeded(answer, root, RetValueWidth::Short)) return;
    // Only a row this snap-in asked to delete, named by the id it sent.
    if (!taken || !taken->matched) {
        EndBusyUnreadable();
        return;
    }
    const int item = ListOf(kind).FindItem(static_cast<LPARAM>(answered));
    if (item >= 0) ::SendMessageW(ListOf(kind).Handle(), LVM_DELETEITEM, static_cast<WPARAM>(item), 0);
    if (kind == Kind::Users)
        users_.Remove(answered);
    else
        groups_.Remove(answered);
    EndBusy(IDS_STATUS_SUCCESS);
}

void CUsersGroupsSnapIn::OnRenameAnswer(Kind kind, IHostMessage& answer, IMessageNode& root) {
    CXmlElement element;
    const bool readable = ReadAnswerElement(root, kind == Kind::Users ? wire::kUserNode : wire::kGroupNode, element);
    const RowId answered = readable ? users::ReadRowId(element) : users::kNoRow;
    const auto taken = renames_[IndexOf(kind)].Take([answered](const RowRequest& r) { return r.id == answered; });
    if (!AnswerSucceeded(answer, root, RetValueWidth::Short)) return;
    if (!taken || !taken->matched) {
        EndBusyUnreadable();
        return;
    }
    std::u16string name = ReadText(element, wire::kAttrName);
    if (name.empty()) name = taken->entry.name;
    if (kind == Kind::Users) {
        if (users::UserRecord* user = users_.Find(answered)) user->name = std::move(name);
    } else if (users::GroupRecord* group = groups_.Find(answered)) {
        group->name = std::move(name);
    }
    ListOf(kind).RefreshKey(static_cast<LPARAM>(answered));
    EndBusy(IDS_STATUS_SUCCESS);
}

void CUsersGroupsSnapIn::OnSetPasswordAnswer(IHostMessage& answer, IMessageNode& root) {
    if (passwordsPending_ > 0) --passwordsPending_;
    if (!AnswerSucceeded(answer, root, RetValueWidth::Short)) return;
    EndBusy(IDS_STATUS_SUCCESS);
    Message(Window(), IDS_USR_PASSWORD_CHANGED, {}, MB_ICONINFORMATION);
}

RowId CUsersGroupsSnapIn::AddRow(Kind kind, const CXmlElement& element) {
    if (kind == Kind::Users) {
        const RowId id = users_.Add(users::ReadUserElement(element));
        if (const users::UserRecord* user = users_.Find(id)) ListOf(kind).Append({{static_cast<LPARAM>(id), ImageOf(*user)}});
        return id;
    }
    const RowId id = groups_.Add(users::ReadGroupElement(element));
    if (id != users::kNoRow) ListOf(kind).Append({{static_cast<LPARAM>(id), kGroupImage}});
    return id;
}

void CUsersGroupsSnapIn::OnCreateAnswer(Kind kind, IHostMessage& answer, IMessageNode& root) {
    const bool ok = root.Child(kRetValueNode)->GetShort() == wire::kSuccess;
    CXmlElement element;
    const bool readable = ok && ReadAnswerElement(root, kind == Kind::Users ? wire::kUserNode : wire::kGroupNode, element) &&
                          !ReadText(element, wire::kAttrName).empty();
    const std::u16string name = readable ? ReadText(element, wire::kAttrName) : std::u16string();
    // A failure names nobody: it is taken for the oldest create.
    const auto taken = creates_[IndexOf(kind)].Take(
        [&](const CreateRequest& r) { return readable && EqualsNoCase(r.name, name); });
    if (readable && Window()) {
        const RowId id = AddRow(kind, element);
        ListOf(kind).Resort();
        ListOf(kind).Select(static_cast<LPARAM>(id));
    }
    AnswerWait* wait = taken ? taken->entry.wait : nullptr;
    // A dialog that stopped waiting has ended this request's busy state.
    if (!wait) return;
    currentWait_ = nullptr;
    wait->answered = true;
    wait->succeeded = readable;
    SetEvent(wait->event);
    if (!ok) {
        EndBusy(IDS_STATUS_FAILED);
        ShowAnswerError(&answer, 0, 0);
    } else if (!readable) {
        EndBusyUnreadable();
    } else {
        EndBusy(IDS_STATUS_SUCCESS);
    }
}

void CUsersGroupsSnapIn::OnWriteAnswer(Kind kind, IHostMessage& answer, IMessageNode& root) {
    const RowId answered = users::ParseRowId(root.Child(wire::kRowIdNode)->GetString());
    const auto taken = writes_[IndexOf(kind)].Take([answered](const RowRequest& r) { return r.id == answered; });
    if (!AnswerSucceeded(answer, root, RetValueWidth::Short)) return;
    if (!taken || !taken->matched) {
        EndBusyUnreadable();
        return;
    }
    // What was sent, whatever the answer says.
    if (kind == Kind::Users) {
        if (users::UserRecord* user = users_.Find(answered)) {
            user->fullName = taken->entry.fullName;
            user->description = taken->entry.description;
            user->flags = taken->entry.flags;
            SetRowImage(answered, ImageOf(*user));
        }
    } else if (users::GroupRecord* group = groups_.Find(answered)) {
        group->description = taken->entry.description;
    }
    ListOf(kind).RefreshKey(static_cast<LPARAM>(answered));
    EndBusy(IDS_STATUS_SUCCESS);
}

// ---- properties ----------------------------------------------------------------------------------------------

void CUsersGroupsSnapIn::OnPropertiesRead(Kind, ListingEnd end) {
    // Only a complete read opens the sheet: writing what a failed read left
    // out would take it away on the machine.
    if (end != ListingEnd::Done || !Window()) return;
    read_.complete = true;
    PostMessageW(Window(), kOpenPropertiesMessage, 0, 0);
}

void CUsersGroupsSnapIn::OpenPropertySheet() {
    // A read started since this one was complete has taken its place.
    if (!std::exchange(read_.complete, false)) return;
    const PropertiesRead read = read_;
    if (read.kind == Kind::Users ? !users_.Find(read.id) : !groups_.Find(read.id)) return;
    const auto alive = LifeToken();
    if (read.kind == Kind::Users) {
        users::UserProperties properties = read.user;
        const bool confirmed = RunUserPropertySheet(*this, Window(), read.name, properties);
        if (alive.expired() || !confirmed) return;
        SendUserProperties(read.id, read.name, properties);
    } else {
        users::GroupProperties properties = read.group;
        const bool confirmed = RunGroupPropertySheet(*this, Window(), read.name, properties);
        if (alive.expired() || !confirmed) return;
        SendGroupProperties(read.id, read.name, properties);
    }
}

void CUsersGroupsSnapIn::SendUserProperties(RowId id, const std::u16string& name, const users::UserProperties& properties) {
    Request request(*this, wire::kWriteUserCommand, 1);
    request.Field(wire::kUserNode).SetString(users::WriteUserRequestText(properties).c_str());
    request.Field(wire::kNameNode).SetString(EncodeUtf16Base64(name).c_str());
    request.Field(wire::kRowIdNode).SetString(std::to_string(id).c_str());
    if (!request.Send()) return;
    writes_[IndexOf(Kind::Users)].Sent({id, name, properties.fullName, properties.description, properties.flags});
    BeginBusy(IDS_STATUS_IN_PROGRESS);
}

void CUsersGroupsSnapIn::SendGroupProperties(RowId id, const std::u16string& name,
                                             const users::GroupProperties& properties) {
    Request request(*this, wire::kWriteGroupCommand, 1);
    request.Field(wire::kGroupNode).SetString(users::WriteGroupRequestText(properties).c_str());
    request.Field(wire::kNameNode).SetString(EncodeUtf16Base64(name).c_str());
    request.Field(wire::kRowIdNode).SetString(std::to_string(id).c_str());
    if (!request.Send()) return;
    writes_[IndexOf(Kind::Groups)].Sent({id, name, {}, properties.description, 0});
    BeginBusy(IDS_STATUS_IN_PROGRESS);
}

// ---- settings ----------------------------------------------------------------------------------------------------

void CUsersGroupsSnapIn::OnFirstActivate() {
    Host()->LoadSettings();
    if (ISettingsNode* settings = Host()->GetSnapInSettings(kId)) {
        usersList_->LoadLayout(settings->Items());
        groupsList_->LoadLayout(settings->Items());
    }
    ShowTab(Kind::Users);
    Refresh(Kind::Users);
}

void CUsersGroupsSnapIn::SaveViewSettings() {
    if (!usersList_->Handle()) return;  // nothing to save: keep what is stored
    Host()->LoadSettings();
    if (ISettingsNode* settings = Host()->GetSnapInSettings(kId)) {
        usersList_->SaveLayout(settings->Items());
        groupsList_->SaveLayout(settings->Items());
    }
    Host()->SaveSettings();
}

}  // namespace vantrel
