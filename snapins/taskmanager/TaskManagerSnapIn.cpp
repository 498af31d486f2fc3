#include "snapins/taskmanager/TaskManagerSnapIn.h"

#include "framework/Module.h"
#include "framework/Text.h"
#include "framework/text/Base64.h"
#include "snapins/taskmanager/NewTaskDialog.h"
#include "snapins/taskmanager/TaskManagerIds.h"
#include "snapins/taskmanager/model/RunHistory.h"

#include <algorithm>
#include <iterator>

static_assert(vantrel::CTaskManagerSnapIn::kId == IDS_SNAPIN_TASKMANAGER);

namespace vantrel {
namespace {

namespace wire = taskmanager::protocol;
using namespace taskmanager;

constexpr DWORD kListStyle = WS_TABSTOP | WS_CLIPSIBLINGS | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
                             LVS_SHAREIMAGELISTS;
constexpr DWORD kListExStyle = LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP | LVS_EX_INFOTIP;
constexpr wchar_t kSplitterPosition[] = L"SplitterPos";

const ListingWire kApplicationsWire = {wire::kApplicationsCommand, wire::kApplicationsNode, wire::kApplicationsElement,
                                       wire::kApplicationsNode,    ContinueFrom::UpTo,      SuccessValue::Zero,
                                       /*shortRetValue=*/false,    StartAtForm::Unsigned32, IDS_TM_LIST_FAILED};
const ListingWire kProcessesWire = {wire::kProcessesCommand, wire::kProcessesNode, wire::kProcessesElement,
                                    wire::kProcessesNode,    ContinueFrom::UpTo,   SuccessValue::Zero,
                                    /*shortRetValue=*/false, StartAtForm::Unsigned32, IDS_TM_LIST_FAILED};
const ListingWire kThreadsWire = {wire::kThreadsCommand,  wire::kThreadsNode, wire::kThreadsElement,
                                  wire::kThreadsNode,     ContinueFrom::UpTo, SuccessValue::Zero,
                                  /*shortRetValue=*/false, StartAtForm::Unsigned32, IDS_TM_LIST_FAILED};

constexpr ReportColumn kApplicationColumns[] = {{kAppTask, IDS_TM_COLUMN_TASK, 400},
                                                {kAppStatus, IDS_TM_COLUMN_STATUS, 100}};
// The device platform shows the first seven: no "Mem Usage".
constexpr ReportColumn kProcessColumns[] = {
    {kProcImageName, IDS_TM_COLUMN_IMAGE_NAME, 100},
    {kProcId, IDS_TM_COLUMN_PID, 60, LVCFMT_RIGHT},
    {kProcCpuUsage, IDS_TM_COLUMN_CPU_USAGE, 80, LVCFMT_RIGHT},
    {kProcTime, IDS_TM_COLUMN_TIME, 100, LVCFMT_RIGHT},
    {kProcKernelTime, IDS_TM_COLUMN_KERNEL_TIME, 80, LVCFMT_RIGHT},
    {kProcUserTime, IDS_TM_COLUMN_USER_TIME, 80, LVCFMT_RIGHT},
    {kProcThreads, IDS_TM_COLUMN_THREADS, 80, LVCFMT_RIGHT},
    {kProcMemUsage, IDS_TM_COLUMN_MEM_USAGE, 100, LVCFMT_RIGHT},
};
constexpr size_t kDeviceProcessColumns = 7;
constexpr ReportColumn kThreadColumns[] = {
    {kThreadId, IDS_TM_COLUMN_ID, 100},
    {kThreadTime, IDS_TM_COLUMN_TIME, 100, LVCFMT_RIGHT},
    {kThreadKernelTime, IDS_TM_COLUMN_KERNEL_TIME, 80, LVCFMT_RIGHT},
    {kThreadUserTime, IDS_TM_COLUMN_USER_TIME, 80, LVCFMT_RIGHT},
    {kThreadPriority, IDS_TM_COLUMN_PRIORITY, 80, LVCFMT_RIGHT},
};

// The string of each AppStatus, in its order.
constexpr UINT kStatusStrings[] = {IDS_TM_STATE_UNKNOWN, IDS_TM_STATE_RUNNING, IDS_TM_STATE_NOT_RESPONDING,
                                   IDS_TM_STATE_GHOST};
static_assert(std::size(kStatusStrings) == static_cast<size_t>(AppStatus::Ghost) + 1);

const ToolBarImage kToolBarImages[] = {{ID_TM_REFRESH, 0}, {ID_TM_NEW_TASK, 1}, {ID_TM_END_TASK, 2}};

std::u16string ToU16(std::wstring_view text) { return std::u16string(text.begin(), text.end()); }

UINT FailureTextOf(uint32_t command) {
    switch (command) {
    case wire::kNewTaskCommand:
        return IDS_TM_START_FAILED;
    case wire::kEndTaskCommand:
        return IDS_TM_END_TASK_FAILED;
    case wire::kEndProcessCommand:
        return IDS_TM_END_PROCESS_FAILED;
    default:
        return IDS_TM_COMMAND_FAILED;
    }
}

uint32_t IdOf(LPARAM key) { return static_cast<uint32_t>(key); }
LPARAM KeyOf(uint32_t id) { return static_cast<LPARAM>(id); }

template <typename Info, typename Char>
void CopyToolTip(Info* info, Char* buffer, size_t capacity, const std::wstring& text) {
    info->uFlags |= TTF_DI_SETITEM;
    if constexpr (sizeof(Char) == 1) {
        const std::string ansi = WideToAnsi(text);
        const size_t n = std::min(ansi.size(), capacity - 1);
        std::copy_n(ansi.data(), n, buffer);
        buffer[n] = 0;
    } else {
        const size_t n = std::min(text.size(), capacity - 1);
        std::copy_n(text.data(), n, buffer);
        buffer[n] = 0;
    }
}

}  // namespace

// ---- the lists' models ----------------------------------------------------------
// Item keys are window handles, process ids and thread ids; each is looked up
// again whenever a cell is shown.

class CTaskManagerSnapIn::ApplicationsList final : public IReportSource {
public:
    explicit ApplicationsList(CTaskManagerSnapIn& owner) : owner_(owner) {}

    std::wstring CellText(LPARAM key, int column) override {
        const ApplicationRecord* application = owner_.applications_.Find(IdOf(key));
        if (!application) return {};
        if (column == kAppStatus) return LoadStringW(kStatusStrings[static_cast<size_t>(StatusOf(application->state))]);
        return ToWide(ApplicationCellText(*application, column));
    }
    int CompareRecords(LPARAM a, LPARAM b, int column) override {
        const ApplicationRecord* x = owner_.applications_.Find(IdOf(a));
        const ApplicationRecord* y = owner_.applications_.Find(IdOf(b));
        return x && y ? CompareApplications(*x, *y, column) : 0;
    }
    void OnSelectionChanged() override { owner_.UpdateCommands(); }
    std::wstring RecordIdentity(LPARAM key) override { return std::to_wstring(IdOf(key)); }

private:
    CTaskManagerSnapIn& owner_;
};

class CTaskManagerSnapIn::ProcessesList final : public IReportSource {
public:
    explicit ProcessesList(CTaskManagerSnapIn& owner) : owner_(owner) {}

    std::wstring CellText(LPARAM key, int column) override {
        const ProcessRecord* process = owner_.processes_.Find(IdOf(key));
        return process ? ToWide(ProcessCellText(*process, column, owner_.cells_)) : std::wstring();
    }
    int CompareRecords(LPARAM a, LPARAM b, int column) override {
        const ProcessRecord* x = owner_.processes_.Find(IdOf(a));
        const ProcessRecord* y = owner_.processes_.Find(IdOf(b));
        return x && y ? CompareProcesses(*x, *y, column, owner_.cells_) : 0;
    }
    void OnSelectionChanged() override {
        owner_.FillThreadsOfSelection(false);
        owner_.UpdateCommands();
    }
    // Image names repeat; the process id does not.
    std::wstring RecordIdentity(LPARAM key) override { return std::to_wstring(IdOf(key)); }

private:
    CTaskManagerSnapIn& owner_;
};

class CTaskManagerSnapIn::ThreadsList final : public IReportSource {
public:
    explicit ThreadsList(CTaskManagerSnapIn& owner) : owner_(owner) {}

    std::wstring CellText(LPARAM key, int column) override {
        const ThreadRecord* thread = Find(key);
        return thread ? ToWide(ThreadCellText(*thread, column, owner_.cells_)) : std::wstring();
    }
    int CompareRecords(LPARAM a, LPARAM b, int column) override {
        const ThreadRecord* x = Find(a);
        const ThreadRecord* y = Find(b);
        return x && y ? CompareThreads(*x, *y, column) : 0;
    }
    std::wstring RecordIdentity(LPARAM key) override { return std::to_wstring(IdOf(key)); }

private:
    const ThreadRecord* Find(LPARAM key) const {
        const auto& shown = owner_.threadsShownOf_;
        return shown ? owner_.processes_.FindThread(*shown, IdOf(key)) : nullptr;
    }
    CTaskManagerSnapIn& owner_;
};

// ---- construction ----------------------------------------------------------------

CTaskManagerSnapIn::CTaskManagerSnapIn(ISnapInHost* host)
    : CSnapInBase(host),
      applicationsSource_(std::make_unique<ApplicationsList>(*this)),
      processesSource_(std::make_unique<ProcessesList>(*this)),
      threadsSource_(std::make_unique<ThreadsList>(*this)),
      applicationsList_(*applicationsSource_, L"ApplicationsList"),
      processesList_(*processesSource_, L"ProcessesList"),
      threadsList_(*threadsSource_, L"ThreadsList"),
      chain_(*this, *this, {kApplicationsWire, kProcessesWire, kThreadsWire}) {
    RegisterReportList(applicationsList_);
    RegisterReportList(processesList_);
    RegisterReportList(threadsList_);
}

CTaskManagerSnapIn::~CTaskManagerSnapIn() {
    *lifetime_ = false;
    DestroySnapInWindow();
}

// ---- window ------------------------------------------------------------------------

void CTaskManagerSnapIn::OnCreateWindow() {
    dialog_ = CreateMainDialog(IDD_TM_MAIN);
    if (!dialog_) return;
    ReadLocaleTexts();
    tabs_ = SetUpTabs(dialog_, IDC_TM_TABS, {IDS_TM_TAB_APPLICATIONS, IDS_TM_TAB_PROCESSES});
    CreateApplicationsList();
    CreateProcessesPage();
    CreateToolBar(kToolBarImages, static_cast<int32_t>(std::size(kToolBarImages)));
    LayoutMainDialog();
    ShowTab(Tab::Applications);
}

void CTaskManagerSnapIn::CreateApplicationsList() {
    HWND list = GetDlgItem(dialog_, IDC_TM_APPLICATIONS);
    if (!list) return;
    applicationsList_.Attach(list, kListExStyle);
    applicationsList_.SetColumns(kApplicationColumns);
    applicationsList_.SetImages(LoadImageStrip(L"IDB_SNAP_TMS_APPSTATE", 16, ILC_COLOR24), nullptr);
    applicationsList_.LoadSortArrows();
}

void CTaskManagerSnapIn::CreateProcessesPage() {
    // What the two lists report goes straight to the snap-in's window.
    if (!splitter_.Create(dialog_, IDC_TM_PROCESSES_PAGE, Window())) return;
    HWND page = splitter_.Handle();
    if (!processesList_.Create(page, IDC_TM_PROCESSES, kListStyle, kListExStyle) ||
        !threadsList_.Create(page, IDC_TM_THREADS, kListStyle, kListExStyle))
        return;
    // The platform the columns are made for is fixed with the window.
    const size_t processColumns = Host()->GetRemotePlatform() == 2 ? kDeviceProcessColumns : std::size(kProcessColumns);
    processesList_.SetColumns(std::span(kProcessColumns, processColumns));
    processesList_.LoadSortArrows();
    threadsList_.SetColumns(kThreadColumns);
    threadsList_.LoadSortArrows();
    splitter_.SetPanes(processesList_.Handle(), threadsList_.Handle());
    splitter_.SetPosition(splitterPosition_);
}

void CTaskManagerSnapIn::OnMainDialogDestroyed() {
    dialog_ = nullptr;
    tabs_ = nullptr;
}

void CTaskManagerSnapIn::LayoutMainDialog() {
    if (!dialog_) return;
    RECT client = {};
    GetClientRect(dialog_, &client);
    const int tabHeight = PlaceTabRow(tabs_, client);
    const int height = std::max<int>(client.bottom - tabHeight, 0);
    if (HWND list = applicationsList_.Handle()) MoveWindow(list, 0, tabHeight, client.right, height, TRUE);
    if (HWND page = splitter_.Handle()) MoveWindow(page, 0, tabHeight, client.right, height, TRUE);
}

CTaskManagerSnapIn::Tab CTaskManagerSnapIn::CurrentTab() const {
    const auto current = tabs_ ? ::SendMessageW(tabs_, TCM_GETCURSEL, 0, 0) : 0;
    return current == 1 ? Tab::Processes : Tab::Applications;
}

void CTaskManagerSnapIn::ShowTab(Tab tab) {
    if (tabs_) ::SendMessageW(tabs_, TCM_SETCURSEL, tab == Tab::Processes ? 1 : 0, 0);
    if (HWND list = applicationsList_.Handle()) ShowWindow(list, tab == Tab::Applications ? SW_SHOWNA : SW_HIDE);
    if (HWND page = splitter_.Handle()) ShowWindow(page, tab == Tab::Processes ? SW_SHOWNA : SW_HIDE);
    UpdateCommands();
}

CReportList& CTaskManagerSnapIn::ListOfTab(Tab tab) {
    return tab == Tab::Applications ? applicationsList_ : processesList_;
}

std::optional<LPARAM> CTaskManagerSnapIn::SelectedOfTab(Tab tab) const {
    return tab == Tab::Applications ? applicationsList_.SelectedKey() : processesList_.SelectedKey();
}

void CTaskManagerSnapIn::ReadLocaleTexts() {
    cells_.timeSeparator = UserLocaleText(LOCALE_STIME, u":");
    cells_.thousandsSeparator = UserLocaleText(LOCALE_STHOUSAND, u",");
    cells_.idleProcessName = ToU16(LoadStringW(IDS_TM_IDLE_PROCESS));
}

LRESULT CTaskManagerSnapIn::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY && lParam) {
        auto header = reinterpret_cast<const NMHDR*>(lParam);
        if (tabs_ && header->hwndFrom == tabs_ && header->code == TCN_SELCHANGE) {
            ShowTab(CurrentTab());
            return 0;
        }
    }
    return CSnapInBase::WindowProc(message, wParam, lParam);
}

// ---- the refresh chain: 401, then 402, then 403 ----------------------------------------

void CTaskManagerSnapIn::Refresh() {
    if (IsBusy()) return;
    StartChain();
}

void CTaskManagerSnapIn::StartChain() {
    if (!dialog_) return;
    // While the chain runs, it starts again once it has ended.
    chain_.Start();
}

void CTaskManagerSnapIn::OnChainListingStarted(size_t link) {
    switch (static_cast<Chain>(link)) {
    case Chain::Applications:
        ReadLocaleTexts();
        applicationsList_.Clear();
        applications_.Clear();
        break;
    case Chain::Processes:
        // The threads list names threads of the stored processes: it goes first.
        threadsList_.Clear();
        threadsShownOf_.reset();
        processesList_.Clear();
        processes_.Clear();
        break;
    case Chain::Threads:
        break;  // threads are added to the processes listed just before
    }
}

bool CTaskManagerSnapIn::MergeChainPage(size_t link, const CXmlElement& root) {
    std::vector<CReportList::Row> rows;
    switch (static_cast<Chain>(link)) {
    case Chain::Applications:
        for (uint32_t window : applications_.MergePage(root))
            rows.push_back({KeyOf(window), StatusImage(applications_.Find(window)->state)});
        applicationsList_.Append(rows);
        break;
    case Chain::Processes:
        for (uint32_t processId : processes_.MergeProcessesPage(root)) rows.push_back({KeyOf(processId)});
        processesList_.Append(rows);
        break;
    case Chain::Threads:
        processes_.MergeThreadsPage(root);
        break;
    }
    return true;
}

void CTaskManagerSnapIn::OnChainListingEnded(size_t link, ListingEnd end) {
    const Chain chain = static_cast<Chain>(link);
    const bool done = end == ListingEnd::Done;
    switch (chain) {
    case Chain::Applications:
        if (done) applicationsList_.Resort();
        break;
    case Chain::Processes:
        if (done) processesList_.Resort();
        FillThreadsOfSelection(true);
        break;
    case Chain::Threads:
        FillThreadsOfSelection(true);
        if (done) ShowProcessStatus();
        break;
    }
    // The Threads column shows the threads stored by now, whatever ended.
    if (HWND list = processesList_.Handle()) InvalidateRect(list, nullptr, FALSE);
}

void CTaskManagerSnapIn::ShowProcessStatus() {
    const std::wstring text = FormatMessageNumbers(LoadStringW(IDS_TM_STATUS), static_cast<unsigned long>(processes_.Count()),
                                                   StatusCpuUsage(processes_.TotalCpuUsage()));
    SetStatusPart(0, text);
}

void CTaskManagerSnapIn::FillThreadsOfSelection(bool always) {
    const std::optional<LPARAM> key = processesList_.SelectedKey();
    const std::optional<uint32_t> processId = key ? std::optional(IdOf(*key)) : std::nullopt;
    if (!always && processId == threadsShownOf_) return;
    // Items go before the process they belong to changes.
    threadsList_.Clear();
    threadsShownOf_ = processId;
    std::vector<CReportList::Row> rows;
    if (const ProcessRecord* process = processId ? processes_.Find(*processId) : nullptr) {
        rows.reserve(process->threads.size());
        for (const ThreadRecord& thread : process->threads) rows.push_back({KeyOf(thread.threadId)});
    }
    threadsList_.Fill(rows);
}

void CTaskManagerSnapIn::HandleAnswer(uint32_t command, IHostMessage& answer, IMessageNode& root) {
    switch (command) {
    case wire::kApplicationsCommand:
    case wire::kProcessesCommand:
    case wire::kThreadsCommand:
        chain_.OnAnswer(command, answer, root);
        break;
    case wire::kNewTaskCommand:
    case wire::kEndTaskCommand:
    case wire::kEndProcessCommand:
        OnCommandAnswer(command, answer, root);
        break;
    default:
        CSnapInBase::HandleAnswer(command, answer, root);
        break;
    }
}

// ---- commands -------------------------------------------------------------------------------

void CTaskManagerSnapIn::OnCommand(UINT command) {
    switch (command) {
    case ID_TM_REFRESH:
        Refresh();
        break;
    case ID_TM_NEW_TASK:
        NewTask();
        break;
    case ID_TM_END_TASK:
        EndSelected();
        break;
    default:
        break;
    }
}

void CTaskManagerSnapIn::NewTask() {
    // Menus and toolbar are grayed while busy; accelerators and context menus are not.
    if (IsBusy() || !dialog_) return;
    std::vector<std::u16string> history;
    Host()->LoadSettings();
    if (ISettingsList* section = SettingsSection()) {
        if (ISettingsNode* list = section->Find(kRunHistoryName)) history = RunHistoryCommands(*list->Items());
    }
    const std::weak_ptr<bool> alive = lifetime_;
    const std::optional<std::u16string> command = ShowNewTaskDialog(Window(), history);
    if (alive.expired() || !command) return;
    // The store is looked up again: nothing of it is kept across the dialog.
    Host()->LoadSettings();
    if (ISettingsList* section = SettingsSection()) {
        if (ISettingsNode* list = section->SetNamedValue(kRunHistoryName, 0)) RememberCommand(*list->Items(), *command);
    }
    Host()->SaveSettings();
    Request request(*this, wire::kNewTaskCommand, 1);
    request.Field(wire::kCommandNode).SetString(EncodeUtf16Base64(*command).c_str());
    if (request.Send()) BeginBusy(IDS_STATUS_IN_PROGRESS);
}

void CTaskManagerSnapIn::EndSelected() {
    if (IsBusy() || !dialog_) return;
    const Tab tab = CurrentTab();
    const std::optional<LPARAM> key = SelectedOfTab(tab);
    if (!key) return;
    // What is ended is decided now: a refresh under the confirmation box may
    // refill the lists and select another item.
    const uint32_t target = IdOf(*key);
    const std::weak_ptr<bool> alive = lifetime_;
    if (!Confirm(tab) || alive.expired()) return;
    if (tab == Tab::Applications)
        SendEndTask(target);
    else
        SendEndProcess(target);
}

bool CTaskManagerSnapIn::Confirm(Tab tab) {
    const bool application = tab == Tab::Applications;
    const std::wstring text = LoadStringW(application ? IDS_TM_CONFIRM_END_APP : IDS_TM_CONFIRM_END_PROCESS);
    const std::wstring caption = LoadStringW(application ? IDS_TM_END_APP_CAPTION : IDS_TM_END_PROCESS_CAPTION);
    MSGBOXPARAMSW box = {};
    box.cbSize = sizeof(box);
    box.hwndOwner = Window();
    box.lpszText = text.c_str();
    box.lpszCaption = caption.c_str();
    box.dwStyle = MB_YESNO | MB_ICONEXCLAMATION | MB_HELP;
    box.dwContextHelpId = application ? IDH_TM_END_APP : IDH_TM_END_PROCESS;
    ActivationScope scope;
    return MessageBoxIndirectW(&box) == IDYES;
}

void CTaskManagerSnapIn::SendEndTask(uint32_t window) {
    Request request(*this, wire::kEndTaskCommand, 1);
    request.Field(wire::kWindowNode).SetLong(static_cast<int32_t>(window));
    if (request.Send()) BeginBusy(IDS_STATUS_IN_PROGRESS);
}

void CTaskManagerSnapIn::SendEndProcess(uint32_t processId) {
    Request request(*this, wire::kEndProcessCommand, 1);
    request.Field(wire::kProcessIdNode).SetLong(static_cast<int32_t>(processId));
    if (request.Send()) BeginBusy(IDS_STATUS_IN_PROGRESS);
}

void CTaskManagerSnapIn::OnCommandAnswer(uint32_t command, IHostMessage& answer, IMessageNode& root) {
    if (!dialog_) {  // the window has gone: nothing to show or refresh
        EndBusy(IDS_STATUS_CANCELED);
        return;
    }
    if (root.Child(kRetValueNode)->GetLong() == wire::kSuccess) {
        EndBusy(IDS_STATUS_SUCCESS);
        StartChain();
        return;
    }
    EndBusy(IDS_STATUS_FAILED);
    ShowAnswerError(&answer, FailureTextOf(command), 0);
}

// ---- menus, toolbar, tooltips --------------------------------------------------------------

void CTaskManagerSnapIn::UpdateMenuItems(HMENU menu) {
    if (!menu) return;
    const Tab tab = CurrentTab();
    std::wstring text = LoadStringW(tab == Tab::Applications ? IDS_TM_MENU_END_TASK : IDS_TM_MENU_END_PROCESS);
    MENUITEMINFOW item = {};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_STRING;
    item.dwTypeData = text.data();
    SetMenuItemInfoW(menu, ID_TM_END_TASK, FALSE, &item);
    const bool idle = !IsBusy();
    EnableMenuItem(menu, ID_TM_END_TASK, MF_BYCOMMAND | (idle && SelectedOfTab(tab) ? MF_ENABLED : MF_GRAYED));
    EnableMenuItem(menu, ID_TM_NEW_TASK, MF_BYCOMMAND | (idle ? MF_ENABLED : MF_GRAYED));
    EnableMenuItem(menu, ID_TM_REFRESH, MF_BYCOMMAND | (idle ? MF_ENABLED : MF_GRAYED));
}

void CTaskManagerSnapIn::UpdateCommands() {
    if (!dialog_) return;
    if (HMENU menu = SnapInMenu()) UpdateMenuItems(GetSubMenu(menu, 0));
    if (ToolBar()) {
        const bool canEnd = !IsBusy() && SelectedOfTab(CurrentTab());
        ::SendMessageW(ToolBar(), TB_ENABLEBUTTON, ID_TM_END_TASK, MAKELONG(canEnd, 0));
    }
}

void CTaskManagerSnapIn::ShowMenu(HMENU popup, POINT screen) {
    UpdateMenuItems(popup);
    TrackMenu(popup, screen);
}

void CTaskManagerSnapIn::OnListContextMenu(CReportList&, POINT screen) {
    UniqueMenu menu = LoadMenuResource(IDM_TM_CONTEXT);
    if (HMENU popup = menu ? GetSubMenu(menu.get(), 0) : nullptr) ShowMenu(popup, screen);
}

BOOL CTaskManagerSnapIn::OnContextMenuKey() {
    // The key belongs to a list only while it has the focus.
    HWND focus = GetFocus();
    for (CReportList* list : {&applicationsList_, &processesList_, &threadsList_}) {
        if (list->Handle() && focus == list->Handle()) {
            OnListContextMenu(*list, list->ContextMenuPoint(-1));
            return TRUE;
        }
    }
    return FALSE;
}

BOOL CTaskManagerSnapIn::OnToolTipTextA(UINT id, NMTTDISPINFOA* info) {
    if (!info || id != ID_TM_END_TASK || (info->uFlags & TTF_IDISHWND)) return CSnapInBase::OnToolTipTextA(id, info);
    CopyToolTip(info, info->szText, std::size(info->szText),
                LoadStringW(CurrentTab() == Tab::Applications ? IDS_TM_TIP_END_TASK : IDS_TM_TIP_END_PROCESS));
    return TRUE;
}

BOOL CTaskManagerSnapIn::OnToolTipTextW(UINT id, NMTTDISPINFOW* info) {
    if (!info || id != ID_TM_END_TASK || (info->uFlags & TTF_IDISHWND)) return CSnapInBase::OnToolTipTextW(id, info);
    CopyToolTip(info, info->szText, std::size(info->szText),
                LoadStringW(CurrentTab() == Tab::Applications ? IDS_TM_TIP_END_TASK : IDS_TM_TIP_END_PROCESS));
    return TRUE;
}

// ---- settings -----------------------------------------------------------------------------------

ISettingsList* CTaskManagerSnapIn::SettingsSection() {
    ISettingsNode* settings = Host()->GetSnapInSettings(kId);
    return settings ? settings->Items() : nullptr;
}

void CTaskManagerSnapIn::OnFirstActivate() {
    Host()->LoadSettings();
    if (ISettingsList* section = SettingsSection()) {
        if (ISettingsNode* position = section->Find(kSplitterPosition)) {
            splitterPosition_ = position->GetValue();
            splitter_.SetPosition(splitterPosition_);
        }
        applicationsList_.LoadLayout(section);
        processesList_.LoadLayout(section);
        threadsList_.LoadLayout(section);
    }
    StartChain();
}

void CTaskManagerSnapIn::SaveViewSettings() {
    if (!dialog_) return;  // nothing to save: keep what is stored
    Host()->LoadSettings();
    if (ISettingsList* section = SettingsSection()) {
        section->SetNamedValue(kSplitterPosition, splitter_.Position());
        applicationsList_.SaveLayout(section);
        processesList_.SaveLayout(section);
        threadsList_.SaveLayout(section);
    }
    Host()->SaveSettings();
}

}  // namespace vantrel
