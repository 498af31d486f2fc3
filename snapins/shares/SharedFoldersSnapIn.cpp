#include "snapins/shares/SharedFoldersSnapIn.h"

#include "framework/Module.h"
#include "framework/Text.h"
#include "framework/text/Base64.h"
#include "snapins/picker/model/Protocol.h"
#include "snapins/shares/SharesIds.h"

#include <algorithm>
#include <numeric>
#include <iterator>

static_assert(vantrel::CSharedFoldersSnapIn::kId == IDS_SNAPIN_SHARES);

namespace vantrel {
namespace {

namespace wire = shares::protocol;
using shares::Tab;

const ListingWire kSharesWire = {wire::kSharesCommand, wire::kSharesNode,   wire::kSharesElement,
                                 wire::kSharesNode,    ContinueFrom::UpTo,  SuccessValue::One,
                                 /*shortRetValue=*/true};
const ListingWire kSessionsWire = {wire::kSessionsCommand, wire::kSessionsNode, wire::kSessionsElement,
                                   wire::kSessionsNode,    ContinueFrom::UpTo,  SuccessValue::One,
                                   /*shortRetValue=*/true};
const ListingWire kFilesWire = {wire::kFilesCommand, wire::kFilesNode,  wire::kFilesElement,
                                wire::kFilesNode,    ContinueFrom::UpTo, SuccessValue::One,
                                /*shortRetValue=*/true};

constexpr DWORD kListExStyle = LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP | LVS_EX_INFOTIP;

constexpr ReportColumn kShareColumns[] = {
    {shares::kShareName, IDS_SHR_COLUMN_SHARE_NAME, 100},
    {shares::kShareFolderPath, IDS_SHR_COLUMN_FOLDER_PATH, 140},
    {shares::kShareType, IDS_SHR_COLUMN_TYPE, 80, LVCFMT_RIGHT},
    {shares::kShareConnections, IDS_SHR_COLUMN_CONNECTIONS, 120},
    {shares::kShareDescription, IDS_SHR_COLUMN_DESCRIPTION, 100}};
constexpr ReportColumn kSessionColumns[] = {
    {shares::kSessionUser, IDS_SHR_COLUMN_USER, 100},
    {shares::kSessionComputer, IDS_SHR_COLUMN_COMPUTER, 100},
    {shares::kSessionType, IDS_SHR_COLUMN_CLIENT_TYPE, 100},
    {shares::kSessionTransport, IDS_SHR_COLUMN_TRANSPORT, 100},
    {shares::kSessionOpenFiles, IDS_SHR_COLUMN_OPEN_FILES, 80},
    {shares::kSessionConnectedTime, IDS_SHR_COLUMN_CONNECTED, 110},
    {shares::kSessionIdleTime, IDS_SHR_COLUMN_IDLE, 60},
    {shares::kSessionGuest, IDS_SHR_COLUMN_GUEST, 50}};
constexpr ReportColumn kFileColumns[] = {{shares::kFilePath, IDS_SHR_COLUMN_OPEN_FILE, 140},
                                         {shares::kFileAccessedBy, IDS_SHR_COLUMN_ACCESSED_BY, 100},
                                         {shares::kFileLocks, IDS_SHR_COLUMN_LOCKS, 60},
                                         {shares::kFileMode, IDS_SHR_COLUMN_MODE, 60}};

// By ShareTypeText.
constexpr UINT kTypeStrings[] = {IDS_SHR_TYPE_DISK, IDS_SHR_TYPE_PRINT,  IDS_SHR_TYPE_DEVICE,
                                 IDS_SHR_TYPE_IPC,  IDS_SHR_TYPE_HIDDEN, IDS_SHR_TYPE_UNKNOWN};
static_assert(std::size(kTypeStrings) == static_cast<size_t>(shares::ShareTypeText::Unknown) + 1);

// Images of the strip: by share type, then a session and an open file.
constexpr int kImageFolder = 0, kImagePrinter = 1, kImageDevice = 2, kImageHidden = 3, kImageSession = 4,
              kImageFile = 5;

constexpr ToolBarImage kToolBarImages[] = {
    {ID_SHR_REFRESH, 0}, {ID_SHR_ADD, 1}, {ID_SHR_REMOVE, 2}, {ID_SHR_PROPERTIES, 9}};

std::u16string ToU16(std::wstring_view text) { return std::u16string(text.begin(), text.end()); }

int SessionImage(const shares::SessionRecord&) { return kImageSession; }
int FileImage(const shares::OpenFileRecord&) { return kImageFile; }

int ShareImage(const shares::ShareRecord& share) {
    switch (shares::TypeTextOf(share)) {
    case shares::ShareTypeText::PrintQueue:
        return kImagePrinter;
    case shares::ShareTypeText::Device:
    case shares::ShareTypeText::Ipc:
        return kImageDevice;
    case shares::ShareTypeText::Hidden:
        return kImageHidden;
    default:
        return kImageFolder;
    }
}

void EnableCommand(HMENU menu, UINT command, bool enabled) {
    EnableMenuItem(menu, command, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

}  // namespace

// ---- the lists' models -------------------------------------------------------------
// The lists are owner-data: a row is a place in `order_`, which names a
// position in the store; the store is only cleared after its list has no rows.

template <typename Record>
class CSharedFoldersSnapIn::ListSource final : public IVirtualListSource {
public:
    using Cell = std::u16string (*)(const Record&, int, const shares::CellTexts&);
    using Compare = int (*)(const Record&, const Record&, int, const shares::CellTexts&);
    using Image = int (*)(const Record&);

    ListSource(CSharedFoldersSnapIn& owner, const shares::Store<Record>& store, Cell cell, Compare compare, Image image)
        : owner_(owner), store_(store), cell_(cell), compare_(compare), image_(image) {}

    void Bind(CVirtualReportList& list) { list_ = &list; }

    // Shows every record of the store in the list's order; the record
    // selected before stays selected when it is still there.
    void Show() {
        if (!list_ || !list_->Handle()) return;
        const std::optional<std::string> selected = SelectedElement();
        order_.resize(store_.Count());
        std::iota(order_.begin(), order_.end(), size_t{0});
        SortOrder();
        list_->SetRowCount(static_cast<int>(order_.size()));
        Redraw();
        Reselect(selected);
    }
    // No rows: the store may be cleared afterwards.
    void Empty() {
        order_.clear();
        if (list_ && list_->Handle()) list_->SetRowCount(0);
    }
    std::optional<size_t> SelectedPosition() const {
        const std::optional<int> row = list_ ? list_->SelectedRow() : std::nullopt;
        if (!row || *row < 0 || static_cast<size_t>(*row) >= order_.size()) return std::nullopt;
        return order_[static_cast<size_t>(*row)];
    }

    std::wstring CellText(int row, int column) override {
        const Record* record = RecordAt(row);
        return record ? ToWide(cell_(*record, column, owner_.texts_)) : std::wstring();
    }
    int RowImage(int row) override {
        const Record* record = RecordAt(row);
        return record ? image_(*record) : I_IMAGENONE;
    }
    void OnSortChanged(listview::SortState) override {
        const std::optional<std::string> selected = SelectedElement();
        SortOrder();
        Redraw();
        Reselect(selected);
    }
    void OnSelectionChanged() override { owner_.UpdateCommands(); }
    void OnRowActivated(int) override { owner_.OnItemActivated(); }

private:
    // Every row may show another record: the shown ones are drawn again
    // (asking for each of a hundred thousand rows would take seconds).
    void Redraw() { InvalidateRect(list_->Handle(), nullptr, FALSE); }
    const Record* RecordAt(int row) const {
        return row >= 0 && static_cast<size_t>(row) < order_.size() ? store_.At(order_[static_cast<size_t>(row)])
                                                                    : nullptr;
    }
    // Names repeat across sessions and files; the element as sent does not.
    std::optional<std::string> SelectedElement() const {
        const std::optional<size_t> position = SelectedPosition();
        const Record* record = position ? store_.At(*position) : nullptr;
        return record ? std::optional(record->element) : std::nullopt;
    }
    void Reselect(const std::optional<std::string>& element) {
        int row = -1;
        for (size_t i = 0; element && i < order_.size() && row < 0; ++i)
            if (store_.At(order_[i])->element == *element) row = static_cast<int>(i);
        // Clearing a selection touches every row: only when there is one.
        if (row >= 0 || list_->SelectedRow()) list_->SelectRow(row);
    }
    void SortOrder() {
        const std::optional<listview::SortState> sort = list_->Sort();
        if (!sort) return;
        const int column = list_->ModelColumn(sort->column);
        const bool ascending = sort->ascending;
        std::stable_sort(order_.begin(), order_.end(), [&](size_t a, size_t b) {
            const int order = compare_(*store_.At(a), *store_.At(b), column, owner_.texts_);
            return ascending ? order < 0 : order > 0;
        });
    }

    CSharedFoldersSnapIn& owner_;
    const shares::Store<Record>& store_;
    Cell cell_;
    Compare compare_;
    Image image_;
    CVirtualReportList* list_ = nullptr;
    std::vector<size_t> order_;
};

// ---- construction -------------------------------------------------------------------

CSharedFoldersSnapIn::CSharedFoldersSnapIn(ISnapInHost* host)
    : CSnapInBase(host),
      sharesSource_(std::make_unique<ListSource<shares::ShareRecord>>(*this, shares_, &shares::ShareCell,
                                                                       &shares::CompareShares, &ShareImage)),
      sessionsSource_(std::make_unique<ListSource<shares::SessionRecord>>(
          *this, sessions_, &shares::SessionCell, &shares::CompareSessions, &SessionImage)),
      filesSource_(std::make_unique<ListSource<shares::OpenFileRecord>>(*this, files_, &shares::FileCell,
                                                                        &shares::CompareFiles, &FileImage)),
      sharesList_(*sharesSource_, L"SharesList"),
      sessionsList_(*sessionsSource_, L"SessionsList"),
      filesList_(*filesSource_, L"FilesList"),
      chain_(*this, *this, {kSharesWire, kSessionsWire, kFilesWire}),
      pickers_(*this) {
    sharesSource_->Bind(sharesList_);
    sessionsSource_->Bind(sessionsList_);
    filesSource_->Bind(filesList_);
}

CSharedFoldersSnapIn::~CSharedFoldersSnapIn() {
    *lifetime_ = false;
    DestroySnapInWindow();
}

// ---- window --------------------------------------------------------------------------

void CSharedFoldersSnapIn::OnCreateWindow() {
    dialog_ = CreateMainDialog(IDD_SHR_MAIN);
    if (!dialog_) return;
    ReadCellTexts();
    tabs_ = SetUpTabs(dialog_, IDC_SHR_TABS, {IDS_SHR_TAB_SHARES, IDS_SHR_TAB_SESSIONS, IDS_SHR_TAB_FILES});
    PrepareList(sharesList_, IDC_SHR_SHARES, kShareColumns);
    PrepareList(sessionsList_, IDC_SHR_SESSIONS, kSessionColumns);
    PrepareList(filesList_, IDC_SHR_FILES, kFileColumns);
    CreateToolBar(kToolBarImages, static_cast<int32_t>(std::size(kToolBarImages)));
    LayoutMainDialog();
    ShowTab(Tab::Shares);
}

void CSharedFoldersSnapIn::PrepareList(CVirtualReportList& list, int controlId, std::span<const ReportColumn> columns) {
    HWND control = GetDlgItem(dialog_, controlId);
    if (!control) return;
    list.Attach(control, kListExStyle);
    list.SetColumns(columns);
    list.SetImages(LoadImageStrip(L"IDB_SNAP_SHRF_ICONS", 16, ILC_COLOR24));
    list.LoadSortArrows();
}

void CSharedFoldersSnapIn::OnMainDialogDestroyed() {
    dialog_ = nullptr;
    tabs_ = nullptr;
}

void CSharedFoldersSnapIn::LayoutMainDialog() {
    if (!dialog_) return;
    RECT client = {};
    GetClientRect(dialog_, &client);
    const int tabHeight = PlaceTabRow(tabs_, client);
    const int height = std::max<int>(client.bottom - tabHeight, 0);
    for (CVirtualReportList* list : {&sharesList_, &sessionsList_, &filesList_})
        if (HWND handle = list->Handle()) MoveWindow(handle, 0, tabHeight, client.right, height, TRUE);
}

Tab CSharedFoldersSnapIn::CurrentTab() const {
    const auto current = tabs_ ? ::SendMessageW(tabs_, TCM_GETCURSEL, 0, 0) : 0;
    return current == 1 ? Tab::Sessions : current == 2 ? Tab::Files : Tab::Shares;
}

void CSharedFoldersSnapIn::ShowTab(Tab tab) {
    if (tabs_) ::SendMessageW(tabs_, TCM_SETCURSEL, static_cast<WPARAM>(tab), 0);
    for (Tab each : {Tab::Shares, Tab::Sessions, Tab::Files})
        if (HWND list = ListOfTab(each).Handle()) ShowWindow(list, each == tab ? SW_SHOWNA : SW_HIDE);
    UpdateCommands();
}

CVirtualReportList& CSharedFoldersSnapIn::ListOfTab(Tab tab) {
    return tab == Tab::Sessions ? sessionsList_ : tab == Tab::Files ? filesList_ : sharesList_;
}

std::optional<size_t> CSharedFoldersSnapIn::SelectedPosition(Tab tab) const {
    return tab == Tab::Sessions ? sessionsSource_->SelectedPosition()
           : tab == Tab::Files  ? filesSource_->SelectedPosition()
                                : sharesSource_->SelectedPosition();
}

void CSharedFoldersSnapIn::ReadCellTexts() {
    for (size_t i = 0; i < std::size(kTypeStrings); ++i) texts_.typeTexts[i] = ToU16(LoadStringW(kTypeStrings[i]));
    texts_.yes = ToU16(LoadStringW(IDS_SHR_YES));
    texts_.no = ToU16(LoadStringW(IDS_SHR_NO));
    texts_.modeNames[0] = ToU16(LoadStringW(IDS_SHR_MODE_READ));
    texts_.modeNames[1] = ToU16(LoadStringW(IDS_SHR_MODE_WRITE));
    texts_.modeNames[2] = ToU16(LoadStringW(IDS_SHR_MODE_CREATE));
    texts_.timeSeparator = UserLocaleText(LOCALE_STIME, u":");
}

LRESULT CSharedFoldersSnapIn::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY && lParam) {
        auto header = reinterpret_cast<const NMHDR*>(lParam);
        if (tabs_ && header->hwndFrom == tabs_ && header->code == TCN_SELCHANGE) {
            ShowTab(CurrentTab());
            return 0;
        }
        LRESULT result = 0;
        for (CVirtualReportList* list : {&sharesList_, &sessionsList_, &filesList_})
            if (list->HandleNotify(header, &result)) return result;
    }
    if (message == WM_CONTEXTMENU) {
        for (CVirtualReportList* list : {&sharesList_, &sessionsList_, &filesList_}) {
            if (list->Handle() && reinterpret_cast<HWND>(wParam) == list->Handle()) {
                ShowContextMenu(list->ContextMenuPoint(lParam));
                return 0;
            }
        }
    }
    return CSnapInBase::WindowProc(message, wParam, lParam);
}

// ---- the refresh chain ----------------------------------------------------------------

void CSharedFoldersSnapIn::Refresh() {
    if (!dialog_) return;
    // A refresh asked for while the chain runs starts once it has ended.
    chain_.Start();
    UpdateCommands();
}

// The store is replaced when our own first page is on its way, whatever
// "StartAt" the answer claims: a peer that echoes 0 must not double the rows.
void CSharedFoldersSnapIn::OnChainListingStarted(size_t link) {
    // Rows go before their records. A refresh begins with the shares and
    // empties all three lists: sessions and files of before would not match.
    if (link == kSharesLink) {
        ReadCellTexts();
        computerName_.clear();
    }
    if (link == kSharesLink) sharesSource_->Empty(), shares_.Clear();
    if (link <= kSessionsLink) sessionsSource_->Empty(), sessions_.Clear();
    filesSource_->Empty();
    files_.Clear();
}

bool CSharedFoldersSnapIn::MergeChainPage(size_t link, const CXmlElement& root) {
    switch (link) {
    case kSharesLink:
        // The first page names the machine.
        if (shares_.Count() == 0 && computerName_.empty()) computerName_ = shares::ReadPcName(root);
        shares_.MergePage(root);
        break;
    case kSessionsLink:
        sessions_.MergePage(root);
        break;
    default:
        files_.MergePage(root);
        break;
    }
    return true;
}

void CSharedFoldersSnapIn::OnChainListingEnded(size_t link, ListingEnd) {
    // Each list shows its records as soon as its part of the chain is over:
    // a failure further on hides nothing that arrived.
    if (!dialog_) return;
    if (link == kSharesLink) sharesSource_->Show();
    if (link == kSessionsLink) sessionsSource_->Show();
    if (link == kFilesLink) filesSource_->Show();
}

// ---- answers ----------------------------------------------------------------------------

void CSharedFoldersSnapIn::HandleAnswer(uint32_t command, IHostMessage& answer, IMessageNode& root) {
    switch (command) {
    case kSupportedCommand:
        OnSupportedAnswer(answer, root);
        break;
    case wire::kSharesCommand:
    case wire::kSessionsCommand:
    case wire::kFilesCommand:
        chain_.OnAnswer(command, answer, root);
        break;
    case wire::kAddShareCommand:
    case wire::kDeleteShareCommand:
    case wire::kCloseSessionCommand:
    case wire::kCloseFileCommand:
    case wire::kChangeShareCommand:
        OnChangeAnswer(answer, root);
        break;
    case wire::kFileExistsCommand:
        OnFolderAnswer(answer, root);
        break;
    case picker::protocol::kAccountCommand:
        pickers_.OnAnswer(answer, root);
        break;
    default:
        CSnapInBase::HandleAnswer(command, answer, root);
        break;
    }
    UpdateCommands();
}

void CSharedFoldersSnapIn::OnSupportedAnswer(IHostMessage& answer, IMessageNode& root) {
    CSnapInBase::HandleAnswer(kSupportedCommand, answer, root);
    if (!root.Child(kSupportedNode)->GetBool()) return;
    security_.isWinNt = root.Child(wire::kIsWinNtNode)->GetBool() != 0;
    security_.isUserLevel = root.Child(wire::kIsUserLevelNode)->GetBool() != 0;
    const char* server = root.Child(wire::kUsersServerNode)->GetString();
    security_.usersServer = ToU16(AnsiToWide(server ? server : ""));
}

void CSharedFoldersSnapIn::OnChangeAnswer(IHostMessage& answer, IMessageNode& root) {
    if (!AnswerSucceeded(answer, root, RetValueWidth::Short)) return;
    EndBusy(IDS_STATUS_SUCCESS);
    Refresh();
}

void CSharedFoldersSnapIn::OnFolderAnswer(IHostMessage&, IMessageNode& root) {
    IFolderCheckClient* client = nullptr;
    if (!folderChecks_.empty()) {
        client = folderChecks_.front();
        folderChecks_.pop_front();
    }
    if (!client) {
        // The dialog that asked has gone.
        EndBusy(IDS_STATUS_CANCELED);
        return;
    }
    IMessageNode* retValue = root.Child(kRetValueNode);
    const bool answered = retValue && retValue->GetShort() == wire::kSuccess;
    const bool exists = answered && root.Child(wire::kFileExistNode)->GetShort() == 1;
    const std::wstring path = DecodeWideText(root.Child(wire::kFileNameNode)->GetString());
    const std::wstring error = exists ? std::wstring() : ErrorTextOf(root);
    EndBusy(answered ? IDS_STATUS_SUCCESS : IDS_STATUS_FAILED);
    client->OnFolderChecked(exists, path, error);
}

// ---- commands ----------------------------------------------------------------------------

shares::CommandStates CSharedFoldersSnapIn::CurrentStates() const {
    const Tab tab = CurrentTab();
    return shares::AllowedCommands(tab, SelectedPosition(tab).has_value(), Working());
}

void CSharedFoldersSnapIn::ApplyStates(HMENU menu, const shares::CommandStates& states) const {
    if (!menu) return;
    EnableCommand(menu, ID_SHR_ADD, states.add);
    EnableCommand(menu, ID_SHR_REMOVE, states.remove);
    EnableCommand(menu, ID_SHR_REFRESH, states.refresh);
    EnableCommand(menu, ID_SHR_PROPERTIES, states.properties);
}

void CSharedFoldersSnapIn::UpdateCommands() {
    if (!dialog_) return;
    const shares::CommandStates states = CurrentStates();
    if (HMENU menu = SnapInMenu()) ApplyStates(GetSubMenu(menu, 0), states);
    if (HWND toolBar = ToolBar()) {
        const std::pair<UINT, bool> buttons[] = {{ID_SHR_REFRESH, states.refresh},
                                                 {ID_SHR_ADD, states.add},
                                                 {ID_SHR_REMOVE, states.remove},
                                                 {ID_SHR_PROPERTIES, states.properties}};
        for (const auto& [command, enabled] : buttons)
            ::SendMessageW(toolBar, TB_ENABLEBUTTON, command, MAKELONG(enabled, 0));
    }
}

void CSharedFoldersSnapIn::OnCommand(UINT command) {
    // Accelerators and context menus come here too: each command checks
    // again what the tab, the selection and the busy state allow.
    const shares::CommandStates states = CurrentStates();
    switch (command) {
    case ID_SHR_REFRESH:
        if (states.refresh) Refresh();
        break;
    case ID_SHR_ADD:
        if (states.add) AddShare();
        break;
    case ID_SHR_REMOVE:
        if (states.remove) RemoveSelected();
        break;
    case ID_SHR_PROPERTIES:
        if (states.properties) ShowProperties();
        break;
    default:
        break;
    }
}

void CSharedFoldersSnapIn::OnItemActivated() {
    if (CurrentTab() == Tab::Shares) OnCommand(ID_SHR_PROPERTIES);
}

std::optional<std::string> CSharedFoldersSnapIn::SelectedElement(Tab tab) const {
    const std::optional<size_t> selected = SelectedPosition(tab);
    if (!selected) return std::nullopt;
    const size_t position = *selected;
    switch (tab) {
    case Tab::Sessions:
        if (const auto* session = sessions_.At(position)) return session->element;
        break;
    case Tab::Files:
        if (const auto* file = files_.At(position)) return file->element;
        break;
    case Tab::Shares:
        if (const auto* share = shares_.At(position)) return share->element;
        break;
    }
    return std::nullopt;
}

bool CSharedFoldersSnapIn::ConfirmDelete() {
    const std::wstring text = LoadStringW(IDS_SHR_CONFIRM_DELETE);
    const std::wstring caption = LoadStringW(IDS_SHR_CAPTION);
    ActivationScope scope;
    return MessageBoxW(Window(), text.c_str(), caption.c_str(), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

void CSharedFoldersSnapIn::RemoveSelected() {
    const Tab tab = CurrentTab();
    // What is removed is decided now, by value: a refresh under the box may
    // refill the lists.
    const std::optional<std::string> element = SelectedElement(tab);
    if (!element) return;
    const std::weak_ptr<bool> alive = lifetime_;
    if (!ConfirmDelete() || alive.expired() || Working()) return;
    constexpr uint32_t kCommands[] = {wire::kDeleteShareCommand, wire::kCloseSessionCommand, wire::kCloseFileCommand};
    SendShare(kCommands[static_cast<int>(tab)], *element);
}

bool CSharedFoldersSnapIn::SendShare(uint32_t command, const std::string& elementText) {
    // One change at a time, and none while the lists are being read.
    if (Working()) return false;
    const char* node = command == wire::kCloseSessionCommand ? wire::kSessionNode
                       : command == wire::kCloseFileCommand  ? wire::kFileNode
                                                             : wire::kShareNode;
    Request request(*this, command, 1);
    request.Field(node).SetString(elementText.c_str());
    if (!request.Send()) return false;
    BeginBusy(IDS_STATUS_IN_PROGRESS);
    UpdateCommands();
    return true;
}

bool CSharedFoldersSnapIn::CheckFolder(const std::u16string& path, IFolderCheckClient& client) {
    Request request(*this, wire::kFileExistsCommand, 1);
    request.Field(wire::kFileNameNode).SetString(EncodeUtf16Base64(path).c_str());
    if (!request.Send()) return false;
    // The dialog's check holds its own busy state, ended by its answer.
    folderChecks_.push_back(&client);
    BeginBusy(IDS_STATUS_IN_PROGRESS);
    return true;
}

void CSharedFoldersSnapIn::ForgetFolderCheck(IFolderCheckClient& client) {
    std::replace(folderChecks_.begin(), folderChecks_.end(), &client, static_cast<IFolderCheckClient*>(nullptr));
}

void CSharedFoldersSnapIn::AddShare() {
    RunShareWizard(*this, lifetime_, Window(), ToWide(computerName_));
}

void CSharedFoldersSnapIn::ShowProperties() {
    const std::optional<std::string> element = SelectedElement(Tab::Shares);
    if (element) RunShareProperties(*this, lifetime_, Window(), *element);
}

void CSharedFoldersSnapIn::ShowContextMenu(POINT screen) {
    UniqueMenu menu = LoadMenuResource(IDM_SHR_CONTEXT);
    HMENU popup = menu ? GetSubMenu(menu.get(), 0) : nullptr;
    if (!popup) return;
    ApplyStates(popup, CurrentStates());
    TrackMenu(popup, screen);
}

BOOL CSharedFoldersSnapIn::OnContextMenuKey() {
    // The key belongs to a list only while it has the focus.
    CVirtualReportList& list = ListOfTab(CurrentTab());
    if (!list.Handle() || GetFocus() != list.Handle()) return FALSE;
    ShowContextMenu(list.ContextMenuPoint(-1));
    return TRUE;
}

// ---- settings ------------------------------------------------------------------------------

ISettingsList* CSharedFoldersSnapIn::SettingsSection() {
    ISettingsNode* settings = Host()->GetSnapInSettings(kId);
    return settings ? settings->Items() : nullptr;
}

void CSharedFoldersSnapIn::OnFirstActivate() {
    Host()->LoadSettings();
    if (ISettingsList* section = SettingsSection()) {
        // The stored arrows sort the rows when they arrive.
        sharesList_.LoadLayout(section);
        sessionsList_.LoadLayout(section);
        filesList_.LoadLayout(section);
    }
    Refresh();
}

void CSharedFoldersSnapIn::SaveViewSettings() {
    if (!dialog_) return;  // nothing to save: keep what is stored
    Host()->LoadSettings();
    if (ISettingsList* section = SettingsSection()) {
        sharesList_.SaveLayout(section);
        sessionsList_.SaveLayout(section);
        filesList_.SaveLayout(section);
    }
    Host()->SaveSettings();
}

}  // namespace vantrel
