#include "snapins/eventviewer/EventViewerSnapIn.h"

#include "framework/ListView.h"
#include "framework/Module.h"
#include "framework/TabPages.h"
#include "framework/Text.h"
#include "framework/model/Answer.h"
#include "framework/model/SettingsText.h"
#include "framework/xml/Xml.h"
#include "snapins/eventviewer/EventViewerIds.h"

#include <algorithm>
#include <iterator>

static_assert(vantrel::CEventViewerSnapIn::kId == IDS_SNAPIN_EVENTVIEWER);
static_assert(vantrel::CEventViewerSnapIn::kId == IDR_ELS_SNAPIN);

namespace vantrel {
namespace {

namespace protocol = eventviewer::protocol;
using eventviewer::CommandStates;

// The logs in tab order, with their lists, layouts and tab texts.
struct LogPlace {
    int controlId;
    const wchar_t* settingsName;
    UINT tabText;
};
constexpr LogPlace kLogs[] = {{IDC_ELS_APPLICATION_LIST, L"ApplicationList", IDS_ELS_APPLICATION},
                              {IDC_ELS_SECURITY_LIST, L"SecurityList", IDS_ELS_SECURITY},
                              {IDC_ELS_SYSTEM_LIST, L"SystemList", IDS_ELS_SYSTEM},
                              {IDC_ELS_FILES_LIST, L"FilesList", IDS_ELS_FILE}};
static_assert(std::size(kLogs) == protocol::kLogCount);

// The strings of the type texts, in the order of eventviewer::TypeKind.
constexpr UINT kTypeStrings[] = {IDS_ELS_TYPE_SUCCESS,       IDS_ELS_TYPE_ERROR,         IDS_ELS_TYPE_WARNING,
                                 IDS_ELS_TYPE_INFORMATION,   IDS_ELS_TYPE_AUDIT_SUCCESS, IDS_ELS_TYPE_AUDIT_FAILURE,
                                 IDS_ELS_TYPE_UNKNOWN};
static_assert(std::size(kTypeStrings) == static_cast<size_t>(eventviewer::TypeKind::Count));

constexpr uint32_t kCommands[] = {protocol::kCategoriesCommand, protocol::kEventsCommand, protocol::kLogInfoCommand,
                                  protocol::kIndexCommand,      protocol::kDetailsCommand, protocol::kDescriptionCommand,
                                  protocol::kSetPropertiesCommand, protocol::kSaveCommand, protocol::kClearCommand,
                                  protocol::kUploadCommand,     protocol::kCopyCommand};

constexpr wchar_t kFavoriteFilters[] = L"FavoriteFilters";
// A stored text longer than this is damage, not favourites.
constexpr size_t kMaxFavoriteUnits = 1 << 20;

std::u16string Utf16(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }

// Seconds since 1970 (UTC) in the time zone the console runs in, as the
// system converts them (daylight saving time of that date included).
eventviewer::LocalTimeConverter SystemLocalTime() {
    TIME_ZONE_INFORMATION zone = {};
    const bool known = GetTimeZoneInformation(&zone) != TIME_ZONE_ID_INVALID;
    return [zone, known](int64_t utcSeconds, eventviewer::LocalTime* out) {
        constexpr int64_t kEpochDifference = 11644473600LL;  // 1601 to 1970
        const uint64_t ticks = static_cast<uint64_t>(utcSeconds + kEpochDifference) * 10000000ULL;
        FILETIME file = {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
        SYSTEMTIME utc = {}, local = {};
        TIME_ZONE_INFORMATION zoneCopy = zone;
        if (!FileTimeToSystemTime(&file, &utc) || !SystemTimeToTzSpecificLocalTime(known ? &zoneCopy : nullptr, &utc, &local))
            return false;
        *out = {local.wYear, local.wMonth, local.wDay, local.wDayOfWeek, local.wHour, local.wMinute, local.wSecond};
        return true;
    };
}

SYSTEMTIME ToSystemTime(const eventviewer::LocalTime& local) {
    SYSTEMTIME time = {};
    time.wYear = static_cast<WORD>(local.year);
    time.wMonth = static_cast<WORD>(local.month);
    time.wDayOfWeek = static_cast<WORD>(local.dayOfWeek);
    time.wDay = static_cast<WORD>(local.day);
    time.wHour = static_cast<WORD>(local.hour);
    time.wMinute = static_cast<WORD>(local.minute);
    time.wSecond = static_cast<WORD>(local.second);
    return time;
}

// The middle of the focused (or selected) row, where the context-menu key
// opens the menu; the list's corner without one.
POINT RowMiddle(HWND list) {
    POINT at = {0, 0};
    int item = static_cast<int>(::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    if (item < 0) item = listview::SelectedItem(list);
    if (item >= 0) {
        ::SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(item), FALSE);
        RECT bounds = {};
        bounds.left = LVIR_BOUNDS;
        if (::SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&bounds))) {
            RECT client = {};
            GetClientRect(list, &client);
            // A row wider than the list: the middle of what shows of it.
            at = {(std::max(bounds.left, client.left) + std::min(bounds.right, client.right)) / 2,
                  (bounds.top + bounds.bottom) / 2};
        }
    }
    ClientToScreen(list, &at);
    return at;
}

std::string NodeText(IMessageNode& root, const char* name) {
    const char* text = root.Child(name)->GetString();
    return text ? text : "";
}

// A log named by an attribute of an answer's root: a live log, or with
// `fileToo` the File log.
std::optional<int> LogAttribute(const CXmlElement& root, bool fileToo = false) {
    if (!root.GetAttribute(protocol::kAttrEventType)) return std::nullopt;
    const int64_t log = ReadInt64(root, protocol::kAttrEventType);
    if (log < 0 || log >= (fileToo ? protocol::kLogCount : protocol::kLiveLogCount)) return std::nullopt;
    return static_cast<int>(log);
}

// Takes the log an answer is for from those waiting: the one it names, or,
// when it names none (a failure that says nothing), the oldest.
std::optional<int> TakeWaiting(std::deque<int>& waiting, std::optional<int> named, bool namesNone) {
    if (namesNone && !waiting.empty()) {
        const int log = waiting.front();
        waiting.pop_front();
        return log;
    }
    const auto found = named ? std::find(waiting.begin(), waiting.end(), *named) : waiting.end();
    if (found == waiting.end()) return std::nullopt;
    waiting.erase(found);
    return named;
}

}  // namespace

CEventViewerSnapIn::CEventViewerSnapIn(ISnapInHost* host) : CSnapInBase(host), toLocal_(SystemLocalTime()) {
    // Texts of filters travel in the user's code page.
    codec_.narrow = [](std::u16string_view text) { return WideToAnsi(std::wstring(text.begin(), text.end())); };
    codec_.widen = [](std::string_view text) { return Utf16(AnsiToWide(text)); };
    for (int log = 0; log < protocol::kLogCount; ++log)
        panes_[static_cast<size_t>(log)] = std::make_unique<CEventLogPane>(*this, log, kLogs[log].settingsName);
}

CEventViewerSnapIn::~CEventViewerSnapIn() {
    eventProperties_.Destroy();
    logProperties_.Destroy();
    DestroySnapInWindow();
}

// ---- window ---------------------------------------------------------------------------

HWND CEventViewerSnapIn::Create(HWND parent) { return CreateWindowOnce(parent); }

void CEventViewerSnapIn::OnCreateWindow() {
    SetWindowContextHelpId(Window(), IDH_ELS_MAIN);
    LoadTexts();
    CreateMainDialog();
    CreatePropertyDialogs();
    static const ToolBarImage kImages[] = {{ID_ELS_TB_REFRESH, 0},     {ID_ELS_TB_SAVE, 16}, {ID_ELS_TB_OPEN, 15},
                                           {ID_ELS_TB_PROPERTIES, 9}, {ID_ELS_TB_CLEAR, 17}, {ID_ELS_TB_STOP, 25}};
    CreateToolBar(kImages, static_cast<int32_t>(std::size(kImages)));
}

void CEventViewerSnapIn::LoadTexts() {
    for (size_t i = 0; i < std::size(kTypeStrings); ++i) {
        const std::wstring text = LoadStringW(kTypeStrings[i]);
        texts_.types[i] = Utf16(text);
        sortTexts_.types[i] = WideToAnsi(text);
    }
    const std::wstring none = LoadStringW(IDS_ELS_CATEGORY_NONE);
    texts_.categoryNone = Utf16(none);
    sortTexts_.categoryNone = WideToAnsi(none);
    texts_.userNone = Utf16(LoadStringW(IDS_ELS_NOT_AVAILABLE));
}

void CEventViewerSnapIn::CreateMainDialog() {
    ActivationScope scope;
    CreateDialogParamW(ResourceInstance(), MAKEINTRESOURCEW(IDD_ELS_MAIN), Window(), &MainDialogProc,
                       reinterpret_cast<LPARAM>(this));
    if (!dialog_) return;
    SetWindowLongPtrW(dialog_, GWLP_ID, IDD_ELS_MAIN);
    SetWindowContextHelpId(dialog_, IDH_ELS_MAIN);
    RECT client = {};
    GetClientRect(dialog_, &client);
    initialSize_ = {client.right, client.bottom};

    tabs_ = GetDlgItem(dialog_, IDC_ELS_TABS);
    for (int log = 0; log < protocol::kLogCount; ++log) {
        AddTabs(tabs_, {kLogs[log].tabText});
        panes_[static_cast<size_t>(log)]->AttachList(GetDlgItem(dialog_, kLogs[log].controlId));
    }
    SetTabControl(tabs_);
    SetMainChild(dialog_);
    ShowWindow(dialog_, SW_SHOW);
    LayoutControls();
}

void CEventViewerSnapIn::CreatePropertyDialogs() {
    ActivationScope scope;
    // Made now, shown later: the event's and the log's properties.
    eventProperties_.Create(Window());
    logProperties_.Create(Window());
}

INT_PTR CALLBACK CEventViewerSnapIn::MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, GWLP_USERDATA, lParam);
        reinterpret_cast<CEventViewerSnapIn*>(lParam)->dialog_ = dialog;
        return FALSE;
    }
    auto self = reinterpret_cast<CEventViewerSnapIn*>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
    if (!self || self->dialog_ != dialog) return FALSE;
    if (message == WM_NCDESTROY) {
        self->dialog_ = nullptr;
        self->tabs_ = nullptr;
        return FALSE;
    }
    try {
        return self->OnMainDialogMessage(message, wParam, lParam);
    } catch (...) {
        return FALSE;  // nothing may reach the host's loop
    }
}

INT_PTR CEventViewerSnapIn::OnMainDialogMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        LayoutControls();
        return TRUE;
    case WM_NOTIFY: {
        auto header = reinterpret_cast<const NMHDR*>(lParam);
        if (!header) return FALSE;
        if (header->hwndFrom == tabs_ && header->code == TCN_SELCHANGE) {
            ShowLog(static_cast<int>(::SendMessageW(tabs_, TCM_GETCURSEL, 0, 0)));
            return TRUE;
        }
        for (auto& pane : panes_) {
            LRESULT result = 0;
            if (pane->List().HandleNotify(header, &result)) {
                SetWindowLongPtrW(dialog_, DWLP_MSGRESULT, result);
                return TRUE;
            }
        }
        return FALSE;
    }
    case WM_CONTEXTMENU:
        if (reinterpret_cast<HWND>(wParam) != Shown().List().Handle()) return FALSE;
        ShowContextMenu(lParam == -1 ? RowMiddle(Shown().List().Handle()) : Shown().List().ContextMenuPoint(lParam));
        return TRUE;
    default:
        return FALSE;
    }
}

void CEventViewerSnapIn::LayoutControls() {
    if (!dialog_ || !tabs_) return;
    RECT client = {};
    GetClientRect(dialog_, &client);
    // Never smaller than the dialog as it was made; a smaller window clips it.
    const int width = std::max<int>(client.right, initialSize_.cx);
    const int height = std::max<int>(client.bottom, initialSize_.cy);
    MoveWindow(tabs_, 0, 0, width, height, TRUE);
    RECT inside = {0, 0, width, height};
    ::SendMessageW(tabs_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&inside));
    for (auto& pane : panes_) {
        if (HWND list = pane->List().Handle())
            MoveWindow(list, inside.left, inside.top, inside.right - inside.left, inside.bottom - inside.top, TRUE);
    }
}

LRESULT CEventViewerSnapIn::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETFOCUS:
        if (HWND list = Shown().List().Handle()) {
            SetFocus(list);
            return 0;
        }
        break;
    case WM_DESTROY:
        for (auto& pane : panes_) pane->List().Detach();
        eventProperties_.Destroy();
        logProperties_.Destroy();
        files_.Abandon();
        break;
    default:
        break;
    }
    return CSnapInBase::WindowProc(message, wParam, lParam);
}

BOOL CEventViewerSnapIn::TranslateAccelerator(MSG* message) {
    BOOL handled = FALSE;
    Guarded([&] { handled = OfferToPropertyDialogs(message); });
    return handled || CSnapInBase::TranslateAccelerator(message);
}

bool CEventViewerSnapIn::OfferToPropertyDialogs(MSG* message) {
    if (!message || message->message < WM_KEYFIRST || message->message > 0x109) return false;
    HWND focus = GetFocus();
    for (HWND window : {eventProperties_.Window(), logProperties_.Window()}) {
        if (window && IsWindowVisible(window) && focus && (focus == window || IsChild(window, focus)))
            return IsDialogMessageW(window, message) != FALSE;
    }
    return false;
}

// ---- logs -------------------------------------------------------------------------------

const eventviewer::CategoryTable* CEventViewerSnapIn::CategoriesOf(int log) const {
    const int table = log == protocol::kFileLog ? fileLogType_ : log;
    return table >= 0 && table < protocol::kLiveLogCount ? &categories_[static_cast<size_t>(table)] : nullptr;
}

std::wstring CEventViewerSnapIn::DateText(const eventviewer::EventRecord& record) const {
    const auto local = eventviewer::EventLocalTime(record, toLocal_);
    if (!local) return {};
    const SYSTEMTIME time = ToSystemTime(*local);
    wchar_t text[128] = {};
    return GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, text, 128) > 0 ? text : L"";
}

std::wstring CEventViewerSnapIn::TimeText(const eventviewer::EventRecord& record) const {
    const auto local = eventviewer::EventLocalTime(record, toLocal_);
    if (!local) return {};
    const SYSTEMTIME time = ToSystemTime(*local);
    wchar_t text[128] = {};
    return GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &time, nullptr, text, 128) > 0 ? text : L"";
}

void CEventViewerSnapIn::ShowLog(int log) {
    if (log < 0 || log >= protocol::kLogCount) return;
    shown_ = log;
    if (tabs_ && ::SendMessageW(tabs_, TCM_GETCURSEL, 0, 0) != log)
        ::SendMessageW(tabs_, TCM_SETCURSEL, static_cast<WPARAM>(log), 0);
    for (auto& pane : panes_) {
        if (HWND list = pane->List().Handle()) ShowWindow(list, pane->Log() == log ? SW_SHOW : SW_HIDE);
    }
    RefreshCommandStates();
    // A saved log is loaded by opening it, never by showing its tab.
    if (log == protocol::kFileLog || Shown().Loading()) return;
    if (!categoriesComplete_[static_cast<size_t>(log)])
        StartChain(log);
    else if (Shown().Index().Empty())
        Shown().StartRetrieval(/*reread=*/true);
}

void CEventViewerSnapIn::StartChain(int log) {
    // Pages of an earlier attempt that failed half-way are not merged twice.
    categories_[static_cast<size_t>(log)].Clear();
    if (!SendCategories(log, {})) return;
    panes_[static_cast<size_t>(log)]->SetPhase(CEventLogPane::Phase::Categories);
    BeginBusy(IDS_STATUS_IN_PROGRESS);
}

bool CEventViewerSnapIn::SendCategories(int log, eventviewer::CategoryPosition from) {
    CXmlElement element(protocol::kCategoriesElement);
    element.AddAttribute(protocol::kAttrCategoryIndex, std::to_string(from.category));
    element.AddAttribute(protocol::kAttrSubCategoryIndex, std::to_string(from.subCategory));
    CXmlOptions options;
    Request request(*this, protocol::kCategoriesCommand, 1);
    request.Field(protocol::kCategoriesNode).SetString(element.ToText(options).c_str());
    request.Field(protocol::kEventTypeNode).SetShort(static_cast<int16_t>(log));
    if (!request.Send()) return false;
    categoriesSent_[static_cast<size_t>(log)] = from;
    awaitingCategories_.push_back(log);
    return true;
}

bool CEventViewerSnapIn::SendLogInfo(int log) {
    Request request(*this, protocol::kLogInfoCommand, 1);
    request.Field(protocol::kEventTypeNode).SetShort(static_cast<int16_t>(log));
    request.Field(protocol::kFileNameNode).SetString(log == protocol::kFileLog ? openFile_.c_str() : "");
    if (!request.Send()) return false;
    awaitingLogInfo_.push_back(log);
    panes_[static_cast<size_t>(log)]->SetPhase(CEventLogPane::Phase::LogInfo);
    return true;
}

void CEventViewerSnapIn::FailChain(int log, IHostMessage* answer, UINT messageId) {
    CEventLogPane& pane = *panes_[static_cast<size_t>(log)];
    pane.SetPhase(CEventLogPane::Phase::Idle);
    pane.ClearStop();
    EndBusy(IDS_STATUS_FAILED);
    if (!dialog_) return;  // no boxes for a window that has gone
    if (answer)
        ShowAnswerError(answer, 0, 0);
    else if (messageId)
        ShowErrorId(messageId, 0);
}

void CEventViewerSnapIn::Reload(int log, bool reread) {
    if (log < 0 || log >= protocol::kLogCount) return;
    CEventLogPane& pane = *panes_[static_cast<size_t>(log)];
    if (log == protocol::kFileLog && openFile_.empty()) return;
    // While categories or log information are on their way, the retrieval
    // that follows them takes the new sort.
    const auto phase = pane.CurrentPhase();
    if (phase == CEventLogPane::Phase::Categories || phase == CEventLogPane::Phase::LogInfo) return;
    if (log != protocol::kFileLog && !categoriesComplete_[static_cast<size_t>(log)])
        StartChain(log);
    else
        pane.StartRetrieval(reread);
    RefreshCommandStates();
}

void CEventViewerSnapIn::Refresh() {
    if (IsBusy()) return;
    Reload(shown_, /*reread=*/true);
}

void CEventViewerSnapIn::Stop() {
    CEventLogPane& pane = Shown();
    if (!pane.Loading() || pane.StopRequested()) return;
    pane.RequestStop();
    SetStatusPart(1, LoadStringW(IDS_STATUS_CANCELLING));
    UpdateToolBar();
}

// ---- answers ------------------------------------------------------------------------------

void CEventViewerSnapIn::HandleAnswer(uint32_t command, IHostMessage& answer, IMessageNode& root) {
    switch (command) {
    case protocol::kSupportedCommand:
        OnSupportedAnswer(root);
        break;
    case protocol::kCategoriesCommand:
        OnCategoriesAnswer(answer, root);
        break;
    case protocol::kLogInfoCommand:
        OnLogInfoAnswer(answer, root);
        break;
    case protocol::kEventsCommand:
    case protocol::kIndexCommand:
        OnPageAnswer(command, answer, root);
        break;
    case protocol::kDetailsCommand:
        OnDetailsAnswer(answer, root);
        break;
    case protocol::kDescriptionCommand:
        eventProperties_.OnDescriptionAnswer(root);
        break;
    case protocol::kSetPropertiesCommand:
        OnSetPropertiesAnswer(answer, root);
        break;
    case protocol::kSaveCommand:
        files_.OnSaveAnswer(answer, root);
        break;
    case protocol::kCopyCommand:
        files_.OnCopyAnswer(answer, root);
        break;
    case protocol::kClearCommand:
        files_.OnClearAnswer(answer, root);
        break;
    case protocol::kUploadCommand:
        files_.OnUploadAnswer(answer, root);
        break;
    default:
        break;
    }
}

void CEventViewerSnapIn::OnSupportedAnswer(IMessageNode& root) {
    // The value is the protocol level, read both ways as the machine may send either.
    IMessageNode* supported = root.Child(kSupportedNode);
    protocolLevel_ = supported->GetShort();
    if (supported->GetBool() || protocolLevel_ > 0)
        Host()->SnapInSupported(kId);
    else
        Host()->SnapInNotSupported(kId);
}

void CEventViewerSnapIn::OnCategoriesAnswer(IHostMessage& answer, IMessageNode& root) {
    const bool success = root.Child(kRetValueNode)->GetShort() == protocol::kSuccess;
    CXmlElement page;
    const AnswerText text = success ? ParseAnswer(root.Child(protocol::kCategoriesNode)->GetString(), page) : AnswerText::Empty;
    const bool readable = text == AnswerText::Parsed;
    const std::optional<int> log = TakeWaiting(awaitingCategories_, readable ? LogAttribute(page) : std::nullopt, !readable);
    if (!log) {
        ReturnOutstanding(protocol::kCategoriesCommand);  // not for any log that asked
        return;
    }
    if (!success) return FailChain(*log, &answer, 0);
    if (!readable) return FailChain(*log, nullptr, IDS_UNREADABLE_ANSWER);

    const size_t index = static_cast<size_t>(*log);
    const eventviewer::CategoryPage merged = eventviewer::MergeCategoryPage(page, categories_[index]);
    switch (eventviewer::NextCategoryPage(categoriesSent_[index], merged, categories_[index])) {
    case eventviewer::CategoryStep::Continue:
        if (!SendCategories(*log, merged.position)) FailChain(*log, nullptr, 0);
        break;
    case eventviewer::CategoryStep::Done:
        categoriesComplete_[index] = true;
        if (!SendLogInfo(*log)) FailChain(*log, nullptr, 0);
        break;
    case eventviewer::CategoryStep::Failed:
        FailChain(*log, nullptr, 0);  // pages that do not advance: what came stays
        break;
    }
}

void CEventViewerSnapIn::OnLogInfoAnswer(IHostMessage& answer, IMessageNode& root) {
    const bool success = root.Child(kRetValueNode)->GetShort() == protocol::kSuccess;
    CXmlElement info;
    const AnswerText text = success ? ParseAnswer(root.Child(protocol::kEventsNode)->GetString(), info) : AnswerText::Empty;
    const bool readable = text == AnswerText::Parsed;
    const std::optional<int> log = TakeWaiting(awaitingLogInfo_, readable ? LogAttribute(info, /*fileToo=*/true) : std::nullopt, !readable);
    if (!log) {
        ReturnOutstanding(protocol::kLogInfoCommand);
        return;
    }
    if (!success) return FailChain(*log, &answer, 0);
    if (!readable) return FailChain(*log, nullptr, IDS_UNREADABLE_ANSWER);

    logInfo_[static_cast<size_t>(*log)] = eventviewer::ReadLogInfo(info);
    CEventLogPane& pane = *panes_[static_cast<size_t>(*log)];
    pane.SetPhase(CEventLogPane::Phase::Idle);
    const bool stopped = pane.StopRequested();
    pane.ClearStop();
    if (stopped || !dialog_) {
        EndBusy(IDS_STATUS_CANCELED);
    } else if (*log != shown_ && *log != protocol::kFileLog) {
        EndBusy(IDS_STATUS_SUCCESS);  // loaded when its tab is chosen
    } else {
        // The retrieval keeps a busy state of its own: this one ends.
        pane.StartRetrieval(/*reread=*/true);
        EndBusy(pane.Loading() ? IDS_STATUS_IN_PROGRESS : IDS_STATUS_FAILED);
    }
    RefreshCommandStates();
}

std::optional<int> CEventViewerSnapIn::NamedLog(IMessageNode& root, const char* fileNode) const {
    return eventviewer::AnswerLog(root.Child(protocol::kEventTypeNode)->GetShort(), NodeText(root, fileNode), openFile_);
}

void CEventViewerSnapIn::OnPageAnswer(uint32_t command, IHostMessage& answer, IMessageNode& root) {
    const std::optional<int> log = NamedLog(root, protocol::kFileNameToNode);
    CEventLogPane* pane = log ? panes_[static_cast<size_t>(*log)].get() : nullptr;
    if (!pane || !pane->RetrievalRunning(command)) {
        // A failure that names no retrieval under way ends the first one that
        // waits for a page of this kind; anything else is no page we asked for.
        const bool failure = command == protocol::kIndexCommand
                                 ? root.Child(kRetValueNode)->GetShort() != protocol::kSuccess
                                 : NodeText(root, protocol::kEventsNode).empty();
        pane = nullptr;
        for (auto& candidate : panes_) {
            if (failure && candidate->RetrievalRunning(command)) {
                pane = candidate.get();
                break;
            }
        }
    }
    if (!pane) {
        ReturnOutstanding(command);
        return;
    }
    pane->OnPageAnswer(answer, root);
}

void CEventViewerSnapIn::OnDetailsAnswer(IHostMessage&, IMessageNode& root) {
    const std::optional<int> log = NamedLog(root, protocol::kFileNameNode);
    CEventLogPane* pane = log ? panes_[static_cast<size_t>(*log)].get() : nullptr;
    if (!pane || !pane->DetailsInFlight()) {
        const bool failure = root.Child(kRetValueNode)->GetShort() != protocol::kSuccess;
        pane = nullptr;
        for (auto& candidate : panes_) {
            if (failure && candidate->DetailsInFlight()) {
                pane = candidate.get();
                break;
            }
        }
    }
    if (!pane) {
        ReturnOutstanding(protocol::kDetailsCommand);
        return;
    }
    pane->OnDetailsAnswer(root);
}

std::wstring CEventViewerSnapIn::DateTimeText(int64_t utcSeconds) const {
    eventviewer::EventRecord moment;
    moment.time = utcSeconds;
    const std::wstring date = DateText(moment);
    return date.empty() ? date : date + L" " + TimeText(moment);
}

void CEventViewerSnapIn::SetFilter(int log, const eventviewer::EventFilter& filter) {
    filters_[static_cast<size_t>(log)] = filter;
    Reload(log, /*reread=*/false);
}

void CEventViewerSnapIn::SendLogProperties(int log, uint32_t maxSize, uint32_t retention) {
    Request request(*this, protocol::kSetPropertiesCommand, 1);
    request.Field(protocol::kEventTypeNode).SetShort(static_cast<int16_t>(log));
    request.Field(protocol::kMaxSizeNode).SetLong(static_cast<int32_t>(maxSize));
    request.Field(protocol::kRetentionSecondsNode).SetLong(static_cast<int32_t>(retention));
    if (!request.Send()) return;
    sentProperties_ = SentProperties{log, maxSize, retention};
    BeginBusy(IDS_STATUS_IN_PROGRESS);
}

void CEventViewerSnapIn::OnSetPropertiesAnswer(IHostMessage& answer, IMessageNode& root) {
    const std::optional<SentProperties> sent = std::exchange(sentProperties_, std::nullopt);
    if (!AnswerSucceeded(answer, root, RetValueWidth::Short)) return;
    // The machine took them: the General page shows them from now on.
    if (sent) {
        logInfo_[static_cast<size_t>(sent->log)].maxSize = sent->maxSize;
        logInfo_[static_cast<size_t>(sent->log)].retention = sent->retention;
    }
    EndBusy(IDS_STATUS_SUCCESS);
}

void CEventViewerSnapIn::AddFavorite(eventviewer::EventFilter favorite) {
    if (favorites_.size() >= eventviewer::kMaxFavorites) return;
    favorites_.push_back(std::move(favorite));
    favoritesChanged_ = true;
}

void CEventViewerSnapIn::RemoveFavorite(size_t position) {
    if (position >= favorites_.size()) return;
    favorites_.erase(favorites_.begin() + static_cast<std::ptrdiff_t>(position));
    favoritesChanged_ = true;
}

bool CEventViewerSnapIn::CanSave() { return eventviewer::MenuStates(CurrentViewState(), false).save; }

void CEventViewerSnapIn::PrepareFileLog(int logType) {
    fileLogType_ = std::clamp(logType, 0, protocol::kLiveLogCount - 1);
    // The file shown before is closed: late pages of it land nowhere.
    Pane(protocol::kFileLog).Empty();
    openFile_.clear();
    logInfo_[protocol::kFileLog] = {};
}

void CEventViewerSnapIn::LoadFileLog(std::string path) {
    // Nothing of the file shown before may stay: its records, its information.
    Pane(protocol::kFileLog).Empty();
    logInfo_[protocol::kFileLog] = {};
    openFile_ = std::move(path);
    if (!SendLogInfo(protocol::kFileLog)) return;
    BeginBusy(IDS_STATUS_IN_PROGRESS);
    RefreshCommandStates();
}

std::string CEventViewerSnapIn::FilterText(int log) const {
    const auto& filter = filters_[static_cast<size_t>(log)];
    return filter ? eventviewer::FilterElementText(*filter, codec_) : std::string();
}

bool CEventViewerSnapIn::AnyRequestOutstanding() const {
    return std::any_of(std::begin(kCommands), std::end(kCommands), [this](uint32_t command) { return Outstanding(command) > 0; });
}

void CEventViewerSnapIn::ShowAnswerError(IHostMessage* answer, uint32_t messageId, uint32_t captionId) {
    Guarded([&] {
        IMessageNode* root = answer ? answer->GetRoot() : nullptr;
        if (!root) return CSnapInBase::ShowAnswerError(answer, messageId, captionId);
        // The answer's own text first; then "RetValue" read as a text; then
        // what the system says about the code.
        std::wstring text = DecodeWideText(root->Child(kErrorTextNode)->GetString());
        if (text.empty()) text = DecodeWideText(root->Child(kRetValueNode)->GetString());
        if (text.empty()) text = ErrorTextOf(*root);
        if (messageId != 0) text = FormatMessageString(LoadStringW(messageId), text);
        ShowErrorText(text, captionId);
    });
}

// ---- commands -----------------------------------------------------------------------------

void CEventViewerSnapIn::OnCommand(UINT command) {
    switch (command) {
    case ID_ELS_REFRESH:
    case ID_ELS_TB_REFRESH:
        Refresh();
        break;
    case ID_ELS_TB_STOP:
        Stop();
        break;
    case ID_ELS_EVENT_PROPERTIES:
        eventProperties_.OpenForSelection();
        break;
    case ID_ELS_SAVE:
    case ID_ELS_TB_SAVE:
        files_.Save();
        break;
    case ID_ELS_OPEN:
    case ID_ELS_TB_OPEN:
        files_.Open();
        break;
    case ID_ELS_CLEAR:
    case ID_ELS_TB_CLEAR:
        files_.Clear();
        break;
    case ID_ELS_LOG_PROPERTIES:
    case ID_ELS_TB_PROPERTIES:
        // Accelerators and context menus are not grayed for us.
        if (!IsBusy() && eventviewer::MenuStates(CurrentViewState(), false).logProperties) logProperties_.Open(shown_);
        break;
    default:
        // Open, Save, Clear and the properties have no dialogs yet.
        break;
    }
}

eventviewer::ViewState CEventViewerSnapIn::CurrentViewState() {
    CEventLogPane& pane = Shown();
    eventviewer::ViewState state;
    state.fileTab = shown_ == protocol::kFileLog;
    state.shownHasRows = pane.List().RowCount() > 0;
    state.rowSelected = pane.List().SelectedRow().has_value();
    state.busy = IsBusy();
    state.loading = pane.Loading();
    state.stopping = pane.StopRequested();
    return state;
}

void CEventViewerSnapIn::ApplyMenuStates(HMENU menu, const CommandStates& states) {
    if (!menu) return;
    const std::pair<UINT, bool> items[] = {{ID_ELS_OPEN, states.open},
                                           {ID_ELS_SAVE, states.save},
                                           {ID_ELS_CLEAR, states.clear},
                                           {ID_ELS_REFRESH, states.refresh},
                                           {ID_ELS_LOG_PROPERTIES, states.logProperties},
                                           {ID_ELS_EVENT_PROPERTIES, states.eventProperties}};
    for (const auto& [command, enabled] : items) EnableMenuItem(menu, command, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void CEventViewerSnapIn::UpdateCommands() {
    if (!dialog_) return;
    if (HMENU menu = SnapInMenu()) ApplyMenuStates(GetSubMenu(menu, 0), eventviewer::MenuStates(CurrentViewState(), false));
    UpdateToolBar();
}

void CEventViewerSnapIn::OnToolBarEnabled() { UpdateToolBar(); }

void CEventViewerSnapIn::UpdateToolBar() {
    if (!ToolBar() || !dialog_) return;
    const CommandStates states = eventviewer::ToolbarStates(CurrentViewState());
    const std::pair<UINT, bool> buttons[] = {{ID_ELS_TB_OPEN, states.open},
                                             {ID_ELS_TB_SAVE, states.save},
                                             {ID_ELS_TB_CLEAR, states.clear},
                                             {ID_ELS_TB_REFRESH, states.refresh},
                                             {ID_ELS_TB_PROPERTIES, states.logProperties},
                                             {ID_ELS_TB_STOP, states.stop}};
    for (const auto& [command, enabled] : buttons)
        ::SendMessageW(ToolBar(), TB_ENABLEBUTTON, command, MAKELONG(enabled ? TRUE : FALSE, 0));
}

void CEventViewerSnapIn::RefreshCommandStates() {
    if (IsBusy())
        UpdateToolBar();  // the menu bar stays grayed while busy
    else
        UpdateCommands();
}

void CEventViewerSnapIn::ShowContextMenu(POINT screen) {
    UniqueMenu menu = LoadMenuResource(IDM_ELS_CONTEXT);
    HMENU popup = menu ? GetSubMenu(menu.get(), 0) : nullptr;
    if (!popup) return;
    ApplyMenuStates(popup, eventviewer::MenuStates(CurrentViewState(), /*contextMenu=*/true));
    TrackMenu(popup, screen);
}

BOOL CEventViewerSnapIn::OnContextMenuKey() {
    HWND list = dialog_ ? Shown().List().Handle() : nullptr;
    // The key belongs to the list only while the list has the focus.
    if (!list || GetFocus() != list) return FALSE;
    ShowContextMenu(RowMiddle(list));
    return TRUE;
}

// ---- settings -----------------------------------------------------------------------------

void CEventViewerSnapIn::OnFirstActivate() {
    Host()->LoadSettings();
    if (ISettingsNode* settings = Host()->GetSnapInSettings(kId)) {
        ISettingsList* items = settings->Items();
        for (auto& pane : panes_) {
            pane->List().LoadLayout(items);
            pane->TakeSortFromList();
        }
        if (ISettingsNode* favorites = items->Find(kFavoriteFilters)) {
            favoriteFilters_ = ReadSettingsUnits(*favorites, kMaxFavoriteUnits);
            favorites_ = eventviewer::ReadFavorites(WideToAnsi(ToWide(favoriteFilters_)), codec_);
        }
    }
    ShowLog(protocol::kApplicationLog);
}

void CEventViewerSnapIn::SaveViewSettings() {
    if (!dialog_) return;  // nothing to save: keep what is stored
    Host()->LoadSettings();
    if (ISettingsNode* settings = Host()->GetSnapInSettings(kId)) {
        ISettingsList* items = settings->Items();
        for (auto& pane : panes_) pane->List().SaveLayout(items);
        if (favoritesChanged_) favoriteFilters_ = Utf16(AnsiToWide(eventviewer::FavoritesText(favorites_, codec_)));
        if (ISettingsNode* favorites = items->AddChild(kFavoriteFilters, 0))
            StoreSettingsUnits(*favorites, favoriteFilters_);
    }
    Host()->SaveSettings();
}

}  // namespace vantrel
