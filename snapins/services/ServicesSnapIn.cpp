#include "snapins/services/ServicesSnapIn.h"

#include "framework/Module.h"
#include "framework/Text.h"
#include "framework/xml/Xml.h"
#include "snapins/services/ServicesIds.h"
#include "snapins/services/StopDependentsDialog.h"
#include "snapins/services/model/ServiceProperties.h"

#include <algorithm>
#include <iterator>

static_assert(vantrel::CServicesSnapIn::kId == IDS_SNAPIN_SERVICES);
static_assert(vantrel::CServicesSnapIn::kId == IDR_SRV_SNAPIN);

namespace vantrel {
namespace {

namespace protocol = services::protocol;
using services::CommandStates;
using services::ServiceRecord;

constexpr DWORD kListExStyle = LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_HEADERDRAGDROP;
constexpr int kPaneWidth = 200;  // at 96 dots per inch

const ListingWire kListingWire = {protocol::kListCommand, protocol::kListNode, protocol::kListElement,
                                  protocol::kListNode,    ContinueFrom::UpTo, SuccessValue::One,
                                  /*shortRetValue=*/true};

// The general platform shows every column; the device platform the first three.
constexpr ReportColumn kColumns[] = {
    {services::kColumnName, IDS_SRV_COLUMN_NAME, 150},
    {services::kColumnDescription, IDS_SRV_COLUMN_DESCRIPTION, 100},
    {services::kColumnStatus, IDS_SRV_COLUMN_STATUS, 100},
    {services::kColumnStartupType, IDS_SRV_COLUMN_STARTUP_TYPE, 100},
    {services::kColumnLogOnAs, IDS_SRV_COLUMN_LOG_ON_AS, 100}};
constexpr size_t kDeviceColumnCount = 3;

// The string of each text of the Status and Startup Type columns, in the
// order of services::StatusText and services::StartupText.
constexpr UINT kStatusStrings[] = {IDS_SRV_STATE_STOPPED,    IDS_SRV_STATE_STARTING, IDS_SRV_STATE_STOPPING,
                                   IDS_SRV_STATE_STARTED,    IDS_SRV_STATE_CONTINUING, IDS_SRV_STATE_PAUSING,
                                   IDS_SRV_STATE_PAUSED,     IDS_SRV_UNKNOWN};
static_assert(std::size(kStatusStrings) == static_cast<size_t>(services::StatusText::Unknown) + 1);
constexpr UINT kStartupStrings[] = {IDS_SRV_STARTUP_BOOT,   IDS_SRV_STARTUP_SYSTEM, IDS_SRV_STARTUP_AUTOMATIC,
                                    IDS_SRV_STARTUP_MANUAL, IDS_SRV_STARTUP_DISABLED, IDS_SRV_UNKNOWN};
static_assert(std::size(kStartupStrings) == static_cast<size_t>(services::StartupText::Unknown) + 1);

constexpr ToolBarImage kToolBarImages[] = {{ID_SRV_REFRESH, 0}, {ID_SRV_ADD, 1},   {ID_SRV_REMOVE, 2},
                                           {ID_SRV_START, 20},  {ID_SRV_STOP, 21}, {ID_SRV_PAUSE, 23},
                                           {ID_SRV_RESTART, 22}};

std::wstring DisplayNameOf(const ServiceRecord& service) {
    return ToWide(service.displayName.empty() ? service.name : service.displayName);
}

void EnableCommand(HMENU menu, UINT command, bool enabled) {
    EnableMenuItem(menu, command, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

}  // namespace

CServicesSnapIn::CServicesSnapIn(ISnapInHost* host)
    : CSnapInBase(host), list_(*this, L"ServicesList"), listing_(*this, *this, kListingWire), pickers_(*this) {
    RegisterReportList(list_);
}

CServicesSnapIn::~CServicesSnapIn() {
    CloseDialogs();
    DestroySnapInWindow();
}

// ---- window ---------------------------------------------------------------------

HWND CServicesSnapIn::Create(HWND parent) { return CreateWindowOnce(parent); }

void CServicesSnapIn::OnCreateWindow() {
    SetWindowContextHelpId(Window(), IDH_SRV_WINDOW);
    dialog_ = CreateMainDialog(IDD_SRV_MAIN);
    if (!dialog_) return;
    tabs_ = SetUpTabs(dialog_, IDC_SRV_TABS, {IDS_SRV_TAB_EXTENDED, IDS_SRV_TAB_STANDARD});
    CreateList();
    pane_.Create(dialog_, Window());
    CreateToolBar(kToolBarImages, static_cast<int32_t>(std::size(kToolBarImages)));
    LayoutMainDialog();
    UpdateCommands();
}

void CServicesSnapIn::CreateList() {
    HWND list = GetDlgItem(dialog_, IDC_SRV_LIST);
    if (!list) return;
    list_.Attach(list, kListExStyle);
    // The platform the columns are made for is fixed with the window.
    const size_t columns = Host()->GetRemotePlatform() == 2 ? kDeviceColumnCount : std::size(kColumns);
    list_.SetColumns(std::span(kColumns, columns));
    list_.SetImages(LoadImageStrip(L"IDB_SNAP_SRC_SERVICE", 16, ILC_COLOR24), nullptr);
    list_.LoadSortArrows();
}

void CServicesSnapIn::LayoutMainDialog() {
    if (!dialog_) return;
    RECT client = {};
    GetClientRect(dialog_, &client);
    const int tabHeight = PlaceTabRow(tabs_, client);
    const int height = std::max<int>(0, client.bottom - tabHeight);
    const bool extended = view_ == View::Extended && pane_.Handle();
    const int paneWidth = extended ? std::min<int>(listview::ScaleForDpi(dialog_, kPaneWidth), client.right) : 0;
    if (HWND pane = pane_.Handle()) {
        if (extended) MoveWindow(pane, 0, tabHeight, paneWidth, height, TRUE);
        ShowWindow(pane, extended ? SW_SHOWNA : SW_HIDE);
    }
    if (list_.Handle()) MoveWindow(list_.Handle(), paneWidth, tabHeight, client.right - paneWidth, height, TRUE);
}

void CServicesSnapIn::SelectView(View view) {
    if (tabs_) ::SendMessageW(tabs_, TCM_SETCURSEL, view == View::Extended ? 0 : 1, 0);
    ShowView(view);
}

void CServicesSnapIn::ShowView(View view) {
    if (view == view_) return;  // the mode already shown
    view_ = view;
    LayoutMainDialog();
}

LRESULT CServicesSnapIn::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NOTIFY: {
        auto header = reinterpret_cast<const NMHDR*>(lParam);
        if (header && tabs_ && header->hwndFrom == tabs_ && header->code == TCN_SELCHANGE) {
            ShowView(::SendMessageW(tabs_, TCM_GETCURSEL, 0, 0) == 1 ? View::Standard : View::Extended);
            return 0;
        }
        break;
    }
    case WM_SETFOCUS:
        if (list_.Handle()) {
            SetFocus(list_.Handle());
            return 0;
        }
        break;
    case WM_DESTROY:
        CloseDialogs();
        dialog_ = nullptr;
        tabs_ = nullptr;
        break;
    default:
        break;
    }
    return CSnapInBase::WindowProc(message, wParam, lParam);
}

// ---- the list's model ---------------------------------------------------------------

std::wstring CServicesSnapIn::CellText(LPARAM key, int modelColumn) {
    const ServiceRecord* service = store_.Find(static_cast<services::ServiceId>(key));
    if (!service) return {};
    switch (modelColumn) {
    case services::kColumnStatus:
        return LoadStringW(kStatusStrings[static_cast<size_t>(services::StatusTextOf(service->state))]);
    case services::kColumnStartupType:
        return LoadStringW(kStartupStrings[static_cast<size_t>(services::StartupTextOf(service->startupType))]);
    default:
        return ToWide(services::ColumnText(*service, modelColumn));
    }
}

int CServicesSnapIn::CompareRecords(LPARAM a, LPARAM b, int modelColumn) {
    const ServiceRecord* x = store_.Find(static_cast<services::ServiceId>(a));
    const ServiceRecord* y = store_.Find(static_cast<services::ServiceId>(b));
    return x && y ? services::CompareServices(*x, *y, modelColumn) : 0;
}

std::wstring CServicesSnapIn::RecordIdentity(LPARAM key) {
    const ServiceRecord* service = store_.Find(static_cast<services::ServiceId>(key));
    return service ? ToWide(service->name) : std::wstring();
}

void CServicesSnapIn::OnSelectionChanged() { UpdateCommands(); }

void CServicesSnapIn::OnItemActivated(LPARAM) { OnCommand(ID_SRV_PROPERTIES); }

const ServiceRecord* CServicesSnapIn::SelectedService() const {
    const auto key = list_.SelectedKey();
    return key ? store_.Find(static_cast<services::ServiceId>(*key)) : nullptr;
}

void CServicesSnapIn::FillList() {
    std::vector<CReportList::Row> rows;
    rows.reserve(store_.Count());
    for (size_t i = 0; i < store_.Count(); ++i) rows.push_back({static_cast<LPARAM>(store_.IdAt(i)), 0});
    list_.Fill(rows);  // sorted again as it was, the selection kept
}

// ---- enabling -------------------------------------------------------------------------

CommandStates CServicesSnapIn::CurrentStates() const {
    // A control whose answer, or the update that follows it, is still on its
    // way keeps the controls off, also should a refill end busy meanwhile.
    const bool controlPending = Outstanding(protocol::kControlCommand) > 0 || Outstanding(protocol::kServiceCommand) > 0;
    return services::AllowedCommands(SelectedService(), IsBusy(), controlPending);
}

void CServicesSnapIn::ApplyStates(HMENU menu, const CommandStates& states) const {
    if (!menu) return;
    EnableCommand(menu, ID_SRV_ADD, states.add);
    EnableCommand(menu, ID_SRV_REMOVE, states.remove);
    EnableCommand(menu, ID_SRV_START, states.start);
    EnableCommand(menu, ID_SRV_STOP, states.stop);
    EnableCommand(menu, ID_SRV_PAUSE, states.pause);
    EnableCommand(menu, ID_SRV_RESUME, states.resume);
    EnableCommand(menu, ID_SRV_RESTART, states.restart);
    EnableCommand(menu, ID_SRV_REFRESH, states.refresh);
    EnableCommand(menu, ID_SRV_PROPERTIES, states.properties);
}

void CServicesSnapIn::UpdateCommands() {
    if (!list_.Handle()) return;
    const CommandStates states = CurrentStates();
    if (HMENU menu = SnapInMenu()) ApplyStates(GetSubMenu(menu, 0), states);
    if (HWND toolBar = ToolBar()) {
        const std::pair<UINT, bool> buttons[] = {
            {ID_SRV_REFRESH, states.refresh}, {ID_SRV_ADD, states.add},   {ID_SRV_REMOVE, states.remove},
            {ID_SRV_START, states.startButton}, {ID_SRV_STOP, states.stop}, {ID_SRV_PAUSE, states.pause},
            {ID_SRV_RESTART, states.restart}};
        for (const auto& [command, enabled] : buttons)
            ::SendMessageW(toolBar, TB_ENABLEBUTTON, command, MAKELONG(enabled, 0));
    }
    pane_.ShowService(SelectedService(), states);
    // The dialogs' service buttons wait for controls like the menu does.
    for (const auto& dialog : propertyDialogs_) dialog->UpdateServiceButtons();
}

void CServicesSnapIn::BeginBusy(uint32_t textId) {
    CSnapInBase::BeginBusy(textId);
    UpdateCommands();  // the pane's links go with the menu and the toolbar
}

template <typename Info, typename Char>
BOOL CServicesSnapIn::StartButtonToolTip(Info* info, Char* buffer, size_t capacity) {
    if (!info || (info->uFlags & TTF_IDISHWND) || capacity == 0) return FALSE;
    // No TTF_DI_SETITEM: the text changes with the selected service.
    const std::wstring tip = LoadStringW(CurrentStates().startButtonResumes ? IDS_SRV_TIP_RESUME : IDS_SRV_TIP_START);
    if constexpr (sizeof(Char) == 1) {
        const std::string ansi = WideToAnsi(tip);
        const size_t n = std::min(ansi.size(), capacity - 1);
        std::copy_n(ansi.data(), n, buffer);
        buffer[n] = 0;
    } else {
        const size_t n = std::min(tip.size(), capacity - 1);
        std::copy_n(tip.data(), n, buffer);
        buffer[n] = 0;
    }
    return TRUE;
}

BOOL CServicesSnapIn::OnToolTipTextA(UINT id, NMTTDISPINFOA* info) {
    if (id == ID_SRV_START && info) return StartButtonToolTip(info, info->szText, std::size(info->szText));
    return CSnapInBase::OnToolTipTextA(id, info);
}

BOOL CServicesSnapIn::OnToolTipTextW(UINT id, NMTTDISPINFOW* info) {
    if (id == ID_SRV_START && info) return StartButtonToolTip(info, info->szText, std::size(info->szText));
    return CSnapInBase::OnToolTipTextW(id, info);
}

// ---- commands and menus ------------------------------------------------------------------

void CServicesSnapIn::OnCommand(UINT command) {
    // Accelerators and context menus come here too: every command checks
    // again what the selection and the busy state allow.
    const CommandStates states = CurrentStates();
    switch (command) {
    case ID_SRV_REFRESH:
        if (states.refresh) Refresh();
        break;
    case ID_SRV_START:  // also the toolbar's Start, which resumes a paused service
        if (states.startButton) ControlSelected(protocol::kActionStart);
        break;
    case ID_SRV_RESUME:
        if (states.resume) ControlSelected(protocol::kActionStart);
        break;
    case ID_SRV_STOP:
        if (states.stop) ControlSelected(protocol::kActionStop);
        break;
    case ID_SRV_PAUSE:
        if (states.pause) ControlSelected(protocol::kActionPause);
        break;
    case ID_SRV_RESTART:
        if (states.restart) ControlSelected(protocol::kActionRestart);
        break;
    case ID_SRV_REMOVE:
        if (states.remove) RemoveSelected();
        break;
    case ID_SRV_ADD:
        if (states.add || wizard_) OpenWizard();
        break;
    case ID_SRV_PROPERTIES:
        if (states.properties) OpenProperties();
        break;
    default:
        break;
    }
}

void CServicesSnapIn::OnListContextMenu(CReportList&, POINT screen) {
    UniqueMenu menu = LoadMenuResource(IDM_SRV_CONTEXT);
    HMENU popup = menu ? GetSubMenu(menu.get(), 0) : nullptr;
    if (!popup) return;
    ApplyStates(popup, CurrentStates());
    TrackMenu(popup, screen);
}

BOOL CServicesSnapIn::OnContextMenuKey() {
    // The key belongs to the list only while the list has the focus.
    if (!list_.Handle() || GetFocus() != list_.Handle()) return FALSE;
    OnListContextMenu(list_, list_.ContextMenuPoint(-1));
    return TRUE;
}

// ---- requests ------------------------------------------------------------------------------

bool CServicesSnapIn::Send(const services::ServiceRequest& wire) {
    Request request(*this, wire.command, 1);
    for (const services::RequestField& field : wire.fields) request.Field(field.node).SetString(field.text.c_str());
    return request.Send();
}

void CServicesSnapIn::Refresh() { listing_.Start(); }

bool CServicesSnapIn::SendControl(const std::u16string& name, int32_t action, const std::string& params) {
    if (!Send(services::ControlRequest(name, action, params))) return false;
    controls_.Sent(name);
    // Each control is paired with its own end of busy: on its failure or on
    // the answer to the update that follows it.
    BeginBusy(IDS_STATUS_IN_PROGRESS);
    return true;
}

bool CServicesSnapIn::RequestUpdate(const std::u16string& name) {
    if (!Send(services::ServiceUpdateRequest(name))) return false;
    updates_.Sent(name);
    return true;
}

void CServicesSnapIn::ControlSelected(int32_t action) {
    if (const ServiceRecord* service = SelectedService()) ControlService(service->name, action, {});
}

bool CServicesSnapIn::ControlPending() const {
    return Outstanding(protocol::kControlCommand) > 0 || Outstanding(protocol::kServiceCommand) > 0;
}

void CServicesSnapIn::ControlService(const std::u16string& name, int32_t action, const std::string& params) {
    const ServiceRecord* service = store_.FindByName(name);
    if (!service) return;
    std::vector<std::u16string> dependents;
    if (action == protocol::kActionStop || action == protocol::kActionRestart) {
        dependents = services::RunningDependents(store_, name);
        // The console's own host is never stopped from here, also not as a
        // dependent: the machine then refuses the stop itself and says why.
        std::erase_if(dependents, [](const std::u16string& dependent) {
            return services::SameServiceName(dependent, protocol::kHostServiceName);
        });
    }
    if (!dependents.empty()) {
        std::vector<std::wstring> shown;
        for (const std::u16string& dependent : dependents) {
            const ServiceRecord* record = store_.FindByName(dependent);
            shown.push_back(record ? DisplayNameOf(*record) : ToWide(dependent));
        }
        if (!AskToStopDependents(Window(), DisplayNameOf(*service), shown)) return;
        // Answers may have come in while the dialog was open.
        if (IsBusy() || !store_.FindByName(name)) return;
        for (const std::u16string& dependent : dependents) SendControl(dependent, protocol::kActionStop);
    }
    if (SendControl(name, action, params)) RefreshPropertyDialog(name);
}

void CServicesSnapIn::RemoveSelected() {
    const ServiceRecord* service = SelectedService();
    if (!service) return;
    const std::u16string name = service->name;
    const std::wstring text = LoadStringW(IDS_SRV_CONFIRM_REMOVE);
    const std::wstring caption = LoadStringW(IDS_SRV_SERVICE_MANAGER);
    MSGBOXPARAMSW box = {};
    box.cbSize = sizeof(box);
    box.hwndOwner = Window();
    box.lpszText = text.c_str();
    box.lpszCaption = caption.c_str();
    box.dwStyle = MB_YESNO | MB_DEFBUTTON2 | MB_ICONQUESTION | MB_HELP;
    box.dwContextHelpId = IDH_SRV_CONFIRM_REMOVE;  // Help reaches the console as WM_HELP
    int answer = 0;
    {
        ActivationScope scope;
        answer = MessageBoxIndirectW(&box);
    }
    if (answer != IDYES) return;
    // The box let answers in: look again.
    if (IsBusy() || !store_.FindByName(name)) return;
    if (Send(services::RemoveRequest(name))) BeginBusy(IDS_STATUS_IN_PROGRESS);
}

// ---- property dialogs and the install wizard -----------------------------------------------

void CServicesSnapIn::OpenProperties() {
    const ServiceRecord* service = SelectedService();
    if (!service || !Window()) return;
    if (CServicePropertyDialog* open = PropertyDialogOf(service->name)) {
        open->BringForward();
        return;
    }
    auto dialog = std::make_shared<CServicePropertyDialog>(*this, *service, Host()->GetRemotePlatform() == 2);
    propertyDialogs_.push_back(dialog);
    if (!dialog->Create(Window())) std::erase(propertyDialogs_, dialog);
}

void CServicesSnapIn::OpenWizard() {
    if (wizard_) {
        wizard_->BringForward();
        return;
    }
    if (!Window()) return;
    wizard_ = std::make_shared<CInstallWizard>(*this, Host()->GetRemotePlatform() == 2);
    if (!wizard_->Create(Window())) wizard_.reset();
}

CServicePropertyDialog* CServicesSnapIn::PropertyDialogOf(std::u16string_view name) const {
    for (const auto& dialog : propertyDialogs_)
        if (services::SameServiceName(dialog->Name(), name)) return dialog.get();
    return nullptr;
}

void CServicesSnapIn::RefreshPropertyDialogs() {
    // A copy: a refresh cannot close a dialog, but nothing is left to chance.
    const auto dialogs = propertyDialogs_;
    for (const auto& dialog : dialogs) dialog->Refresh(store_.FindByName(dialog->Name()));
}

void CServicesSnapIn::RefreshPropertyDialog(std::u16string_view name) {
    if (CServicePropertyDialog* dialog = PropertyDialogOf(name)) dialog->Refresh(store_.FindByName(name));
}

void CServicesSnapIn::OnPropertyDialogClosed(CServicePropertyDialog* dialog) {
    std::erase_if(propertyDialogs_, [dialog](const auto& open) { return open.get() == dialog; });
}

void CServicesSnapIn::OnWizardClosed(CInstallWizard* wizard) {
    if (wizard_.get() == wizard) wizard_.reset();
}

void CServicesSnapIn::CloseDialogs() {
    // Closed without calling back: answers that come later find no dialog.
    auto dialogs = std::move(propertyDialogs_);
    propertyDialogs_.clear();
    for (const auto& dialog : dialogs) dialog->CloseForOwner();
    if (auto wizard = std::move(wizard_)) wizard->CloseForOwner();
}

BOOL CServicesSnapIn::TranslateAccelerator(MSG* message) {
    bool handled = false;
    Guarded([&] {
        if (!message || message->message < WM_KEYFIRST || message->message > WM_KEYLAST) return;
        const auto dialogs = propertyDialogs_;
        for (const auto& dialog : dialogs)
            if (!handled) handled = dialog->OfferMessage(message);
        if (!handled && wizard_) {
            const auto wizard = wizard_;
            handled = wizard->OfferMessage(message);
        }
    });
    return handled ? TRUE : CSnapInBase::TranslateAccelerator(message);
}

bool CServicesSnapIn::SendServiceText(uint32_t command, const std::string& text) {
    Request request(*this, command, 1);
    request.Field(protocol::kServiceNode).SetString(text.c_str());
    if (!request.Send()) return false;
    BeginBusy(IDS_STATUS_IN_PROGRESS);
    return true;
}

bool CServicesSnapIn::SendChange(const std::u16string& name, const std::string& text) {
    if (!SendServiceText(protocol::kChangeCommand, text)) return false;
    changes_.Sent(name);
    changing_.push_back(name);
    return true;
}

bool CServicesSnapIn::ChangeInProgress(std::u16string_view name) const {
    return std::any_of(changing_.begin(), changing_.end(),
                       [name](const std::u16string& changing) { return services::SameServiceName(changing, name); });
}

void CServicesSnapIn::EndChange(std::u16string_view name) {
    const auto found = std::find_if(changing_.begin(), changing_.end(), [name](const std::u16string& changing) {
        return services::SameServiceName(changing, name);
    });
    if (found != changing_.end()) changing_.erase(found);
}

bool CServicesSnapIn::SendInstall(const std::string& text) { return SendServiceText(protocol::kInstallCommand, text); }

bool CServicesSnapIn::CheckFile(const std::u16string& path) {
    if (!Send(services::FileCheckRequest(path))) return false;
    fileChecks_.Sent(path);
    BeginBusy(IDS_STATUS_IN_PROGRESS);
    return true;
}

// ---- answers -----------------------------------------------------------------------------

void CServicesSnapIn::HandleAnswer(uint32_t command, IHostMessage& answer, IMessageNode& root) {
    switch (command) {
    case protocol::kListCommand:
        listing_.OnAnswer(answer, root);
        break;
    case protocol::kControlCommand:
        OnControlAnswer(answer, root);
        break;
    case protocol::kServiceCommand:
        OnUpdateAnswer(answer, root);
        break;
    case protocol::kRemoveCommand:
        OnRemoveAnswer(answer, root);
        break;
    case protocol::kChangeCommand:
        OnChangeAnswer(answer, root);
        break;
    case protocol::kInstallCommand:
        OnInstallAnswer(answer, root);
        break;
    case protocol::kFileExistsCommand:
        OnFileAnswer(answer, root);
        break;
    case protocol::kAccountCommand:
        // The account picker judges its own answers (0 is its success).
        pickers_.OnAnswer(answer, root);
        break;
    default:
        CSnapInBase::HandleAnswer(command, answer, root);
        break;
    }
}

void CServicesSnapIn::OnControlAnswer(IHostMessage& answer, IMessageNode& root) {
    const std::u16string answered = services::DecodeServiceName(root.Child(protocol::kServiceNameNode)->GetString());
    const services::PendingNames::Taken taken = controls_.Take(answered);
    if (!AnswerSucceeded(answer, root, RetValueWidth::Short)) {
        RefreshPropertyDialogs();
        return;
    }
    // The service that was asked for, whatever the answer names.
    if (!RequestUpdate(taken.sent)) {
        EndBusy(IDS_STATUS_FAILED);
        RefreshPropertyDialogs();
    }
}

void CServicesSnapIn::OnChangeAnswer(IHostMessage& answer, IMessageNode& root) {
    const services::ServiceAnswer parsed =
        services::ParseServiceAnswer(root.Child(protocol::kServiceNode)->GetString());
    const services::PendingNames::Taken taken = changes_.Take(parsed.ok ? parsed.record.name : std::u16string());
    if (!AnswerSucceeded(answer, root, RetValueWidth::Short)) {
        EndChange(taken.sent);
        RefreshPropertyDialogs();  // their buttons come back
        return;
    }
    // The update follows for the service that was changed, whatever the answer names.
    if (!RequestUpdate(taken.sent)) {
        EndChange(taken.sent);
        EndBusy(IDS_STATUS_FAILED);
        RefreshPropertyDialogs();
    }
}

void CServicesSnapIn::OnInstallAnswer(IHostMessage& answer, IMessageNode& root) {
    if (!AnswerSucceeded(answer, root, RetValueWidth::Short)) return;
    EndBusy(IDS_STATUS_SUCCESS);
    Refresh();
}

void CServicesSnapIn::OnFileAnswer(IHostMessage&, IMessageNode& root) {
    const std::u16string answered = services::DecodeServiceName(root.Child(protocol::kFileNameNode)->GetString());
    const services::PendingNames::Taken taken = fileChecks_.Take(answered);
    const bool exists = root.Child(protocol::kFileExistNode)->GetShort() == 1;
    const std::wstring error = exists ? std::wstring() : ErrorTextOf(root);
    EndBusy(IDS_STATUS_SUCCESS);
    // The wizard judges whether it is still waiting for this path.
    if (wizard_) {
        const auto wizard = wizard_;
        wizard->OnFileChecked(taken.sent, taken.matched, exists, error);
    }
}

void CServicesSnapIn::OnUpdateAnswer(IHostMessage& answer, IMessageNode& root) {
    // A failed answer carries no service: it takes the oldest name that waits.
    services::ServiceAnswer parsed = services::ParseServiceAnswer(root.Child(protocol::kServiceNode)->GetString());
    const services::PendingNames::Taken taken = updates_.Take(parsed.ok ? parsed.record.name : std::u16string());
    EndChange(taken.sent);  // a change ends with the update that follows it
    if (!AnswerSucceeded(answer, root, RetValueWidth::Short)) {
        RefreshPropertyDialogs();
        return;
    }
    // An answer about another service than the one asked for is as unreadable as a broken one.
    if (!parsed.ok || !taken.matched) {
        EndBusyUnreadable();
        RefreshPropertyDialogs();
        return;
    }
    // A service that left the store with a refresh meanwhile changes nothing.
    const std::u16string name = parsed.record.name;
    const services::ReplaceOutcome outcome = store_.Replace(std::move(parsed.record));
    if (outcome.id != services::kNoService) list_.RefreshKey(static_cast<LPARAM>(outcome.id));
    RefreshPropertyDialog(name);
    UpdateCommands();
    EndBusy(IDS_STATUS_SUCCESS);
    if (outcome.logonChangedWhileRunning && PropertyDialogOpen(name)) {
        const std::wstring text = LoadStringW(IDS_SRV_LOGON_NAME_CHANGED);
        const std::wstring caption = LoadStringW(IDS_SRV_SERVICE_MANAGER);
        ActivationScope scope;
        MessageBoxW(Window(), text.c_str(), caption.c_str(), MB_ICONEXCLAMATION);
    }
}

void CServicesSnapIn::OnRemoveAnswer(IHostMessage& answer, IMessageNode& root) {
    if (!AnswerSucceeded(answer, root, RetValueWidth::Short)) return;
    EndBusy(IDS_STATUS_SUCCESS);
    Refresh();
}

// ---- the listing ------------------------------------------------------------------------------

void CServicesSnapIn::OnListingStarted() {
    // Records and items go together: no item may outlive its record.
    list_.Clear();
    store_.Clear();
}

bool CServicesSnapIn::MergePage(const CXmlElement& root) {
    store_.MergePage(root);
    return true;
}

void CServicesSnapIn::OnListingEnded(ListingEnd) {
    FillList();
    RefreshPropertyDialogs();
}

// ---- settings ----------------------------------------------------------------------------------

void CServicesSnapIn::OnFirstActivate() {
    Host()->LoadSettings();
    if (ISettingsNode* settings = Host()->GetSnapInSettings(kId)) {
        ISettingsList* items = settings->Items();
        if (ISettingsNode* extended = items->Find(L"ExtendedView"))
            SelectView(extended->GetValue() != 0 ? View::Extended : View::Standard);
        list_.LoadLayout(items);
    }
    listing_.Start();
}

void CServicesSnapIn::SaveViewSettings() {
    if (!list_.Handle()) return;  // nothing to save: keep what is stored
    Host()->LoadSettings();
    if (ISettingsNode* settings = Host()->GetSnapInSettings(kId)) {
        ISettingsList* items = settings->Items();
        items->SetNamedValue(L"ExtendedView", view_ == View::Extended ? 1 : 0);
        list_.SaveLayout(items);
    }
    Host()->SaveSettings();
}

}  // namespace vantrel
