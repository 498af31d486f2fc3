#include "snapins/eventviewer/LogPropertiesDialog.h"

#include "framework/Module.h"
#include "framework/TabPages.h"
#include "framework/Text.h"
#include "snapins/eventviewer/EventViewerIds.h"
#include "snapins/eventviewer/EventViewerSnapIn.h"
#include "snapins/eventviewer/model/Protocol.h"

#include <algorithm>
#include <cwchar>

namespace vantrel {
namespace {

namespace protocol = eventviewer::protocol;
using eventviewer::EventFilter;

constexpr std::pair<int, uint32_t> kTypeBoxes[] = {{IDC_ELS_INFORMATION, eventviewer::kTypeBitInformation},
                                                   {IDC_ELS_WARNING, eventviewer::kTypeBitWarning},
                                                   {IDC_ELS_ERROR, eventviewer::kTypeBitError},
                                                   {IDC_ELS_SUCCESS_AUDIT, eventviewer::kTypeBitAuditSuccess},
                                                   {IDC_ELS_FAILURE_AUDIT, eventviewer::kTypeBitAuditFailure}};
constexpr int kGeneralControls[] = {IDC_ELS_MAX_SIZE, IDC_ELS_OVERWRITE, IDC_ELS_OVERWRITE_OLDER, IDC_ELS_DAYS,
                                    IDC_ELS_NEVER_OVERWRITE};
// A favourite's name, as long as anyone types.
constexpr int kMaxNameLength = 260;

std::u16string Utf16(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }

std::wstring ControlText(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    const int length = control ? GetWindowTextLengthW(control) : 0;
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    if (length > 0) GetWindowTextW(control, text.data(), length + 1);
    text.resize(wcslen(text.c_str()));
    return text;
}

void AddString(HWND combo, const std::wstring& text, LPARAM data) {
    const LRESULT at = ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    if (at >= 0) ::SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(at), data);
}

int Selected(HWND dialog, int comboId) {
    return static_cast<int>(::SendDlgItemMessageW(dialog, comboId, CB_GETCURSEL, 0, 0));
}

// Seconds since 1970 (UTC) and the local time the pickers show.
SYSTEMTIME LocalTimeOf(uint32_t seconds) {
    const uint64_t ticks = (uint64_t{seconds} + 11644473600ull) * 10000000ull;
    FILETIME file = {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME utc = {}, local = {};
    FileTimeToSystemTime(&file, &utc);
    if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) local = utc;
    return local;
}

std::optional<uint32_t> SecondsOf(const SYSTEMTIME& local) {
    SYSTEMTIME utc = {};
    FILETIME file = {};
    if (!TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc) || !SystemTimeToFileTime(&utc, &file)) return std::nullopt;
    const uint64_t ticks = (uint64_t{file.dwHighDateTime} << 32) | file.dwLowDateTime;
    const int64_t seconds = static_cast<int64_t>(ticks / 10000000ull) - 11644473600ll;
    return static_cast<uint32_t>(std::clamp<int64_t>(seconds, 1, 0xFFFFFFFFll));
}

INT_PTR CALLBACK NameDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto name = reinterpret_cast<std::u16string*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        ::SendDlgItemMessageW(dialog, IDC_ELS_FAVORITE_NAME, EM_LIMITTEXT, kMaxNameLength, 0);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_ELS_FAVORITE_NAME && HIWORD(wParam) == EN_CHANGE) {
            // OK only while there is a name.
            EnableWindow(GetDlgItem(dialog, IDOK), GetWindowTextLengthW(GetDlgItem(dialog, IDC_ELS_FAVORITE_NAME)) > 0);
            return TRUE;
        }
        if (LOWORD(wParam) == IDOK && name) {
            *name = Utf16(ControlText(dialog, IDC_ELS_FAVORITE_NAME));
            if (name->empty()) return TRUE;
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

std::optional<std::u16string> AskFavoriteName(HWND owner) {
    std::u16string name;
    ActivationScope scope;
    const INT_PTR result = DialogBoxParamW(ResourceInstance(), MAKEINTRESOURCEW(IDD_ELS_ADD_FAVORITE), owner, &NameDialogProc,
                                           reinterpret_cast<LPARAM>(&name));
    if (result != IDOK || name.empty()) return std::nullopt;
    return name;
}

}  // namespace

void CLogPropertiesDialog::Create(HWND owner) {
    ActivationScope scope;
    dialog_.reset(CreateDialogParamW(ResourceInstance(), MAKEINTRESOURCEW(IDD_ELS_LOG_PROPERTIES), owner, &DialogProc,
                                     reinterpret_cast<LPARAM>(this)));
    if (!dialog_) return;
    SetWindowContextHelpId(dialog_.get(), IDH_ELS_LOG_PROPERTIES);
    tabs_ = GetDlgItem(dialog_.get(), IDC_ELS_LOG_TABS);
    AddTabs(tabs_, {IDS_ELS_GENERAL_TAB, IDS_ELS_FILTER_TAB});
    general_ = CreateTabPage(dialog_.get(), tabs_, IDD_ELS_GENERAL_PAGE, &PageProc, reinterpret_cast<LPARAM>(this));
    filter_ = CreateTabPage(dialog_.get(), tabs_, IDD_ELS_FILTER_PAGE, &PageProc, reinterpret_cast<LPARAM>(this));
    if (general_) {
        ::SendDlgItemMessageW(general_, IDC_ELS_MAX_SIZE_SPIN, UDM_SETRANGE32, eventviewer::kMinSizeKb, eventviewer::kMaxSizeKb);
        ::SendDlgItemMessageW(general_, IDC_ELS_DAYS_SPIN, UDM_SETRANGE32, eventviewer::kMinDays, eventviewer::kMaxDays);
    }
    ShowPage(0);
}

void CLogPropertiesDialog::Destroy() {
    dialog_.reset();
    tabs_ = general_ = filter_ = nullptr;
}

void CLogPropertiesDialog::ShowPage(int page) {
    ::SendMessageW(tabs_, TCM_SETCURSEL, static_cast<WPARAM>(page), 0);
    if (general_) ShowWindow(general_, page == 0 ? SW_SHOW : SW_HIDE);
    if (filter_) ShowWindow(filter_, page == 1 ? SW_SHOW : SW_HIDE);
}

void CLogPropertiesDialog::Open(int log) {
    if (!dialog_ || !general_ || !filter_) return;
    log_ = log;
    filling_ = true;
    FillGeneral();
    FillFilter(owner_.FilterOf(log).value_or(EventFilter{}));
    FillFavorites(-1);
    filling_ = false;
    generalChanged_ = false;
    EnableWindow(GetDlgItem(dialog_.get(), IDC_ELS_LOG_APPLY), FALSE);
    ShowPage(0);
    if (!IsWindowVisible(dialog_.get())) {
        RECT frame = {};
        GetWindowRect(owner_.GetWindow(), &frame);
        SetWindowPos(dialog_.get(), HWND_TOP, frame.left + 40, frame.top + 40, 0, 0, SWP_NOSIZE);
    }
    ShowWindow(dialog_.get(), SW_SHOW);
}

// ---- messages ----------------------------------------------------------------------

INT_PTR CALLBACK CLogPropertiesDialog::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        return FALSE;  // no focus: it is made hidden
    }
    auto self = reinterpret_cast<CLogPropertiesDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (!self || !self->dialog_) return FALSE;
    try {
        return self->OnDialogMessage(message, wParam, lParam);
    } catch (...) {
        return FALSE;
    }
}

INT_PTR CLogPropertiesDialog::OnDialogMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE:
        ShowWindow(dialog_.get(), SW_HIDE);
        return TRUE;
    case WM_NOTIFY: {
        auto header = reinterpret_cast<const NMHDR*>(lParam);
        if (header && header->hwndFrom == tabs_ && header->code == TCN_SELCHANGE) {
            ShowPage(static_cast<int>(::SendMessageW(tabs_, TCM_GETCURSEL, 0, 0)));
            return TRUE;
        }
        return FALSE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            if (Apply()) ShowWindow(dialog_.get(), SW_HIDE);
            return TRUE;
        case IDCANCEL:
            ShowWindow(dialog_.get(), SW_HIDE);
            return TRUE;
        case IDC_ELS_LOG_APPLY:
            Apply();
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK CLogPropertiesDialog::PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(page, DWLP_USER, lParam);
        return FALSE;
    }
    auto self = reinterpret_cast<CLogPropertiesDialog*>(GetWindowLongPtrW(page, DWLP_USER));
    if (!self || !self->dialog_) return FALSE;
    try {
        return self->OnPageMessage(page, message, wParam, lParam);
    } catch (...) {
        return FALSE;
    }
}

INT_PTR CLogPropertiesDialog::OnPageMessage(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    const bool general = page == general_;
    if (message == WM_NOTIFY) {
        auto header = reinterpret_cast<const NMHDR*>(lParam);
        if (header && header->code == DTN_DATETIMECHANGE) Changed(false);
        return FALSE;
    }
    if (message != WM_COMMAND) return FALSE;
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    switch (id) {
    case IDC_ELS_OVERWRITE:
    case IDC_ELS_OVERWRITE_OLDER:
    case IDC_ELS_NEVER_OVERWRITE:
        if (code == BN_CLICKED) {
            // The days' edit splits the radio buttons' group: check them here.
            CheckRadioButton(general_, IDC_ELS_OVERWRITE, IDC_ELS_NEVER_OVERWRITE, id);
            EnableDays();
            Changed(true);
        }
        return TRUE;
    case IDC_ELS_MAX_SIZE:
    case IDC_ELS_DAYS:
        if (code == EN_CHANGE) Changed(true);
        return TRUE;
    case IDC_ELS_FILTER_SOURCE:
        if (code == CBN_SELCHANGE) {
            const bool wasFilling = std::exchange(filling_, true);
            FillCategories(0);
            filling_ = wasFilling;
            Changed(false);
        }
        return TRUE;
    case IDC_ELS_FROM:
    case IDC_ELS_TO:
        if (code == CBN_SELCHANGE) {
            if (id == IDC_ELS_FROM)
                EnableRange(IDC_ELS_FROM, IDC_ELS_FROM_DATE, IDC_ELS_FROM_TIME);
            else
                EnableRange(IDC_ELS_TO, IDC_ELS_TO_DATE, IDC_ELS_TO_TIME);
            Changed(false);
        }
        return TRUE;
    case IDC_ELS_FAVORITES:
        if (code == CBN_SELCHANGE) ChooseFavorite();
        return TRUE;
    case IDC_ELS_ADD_FAVORITE:
        if (code == BN_CLICKED) AddFavorite();
        return TRUE;
    case IDC_ELS_DELETE_FAVORITE:
        if (code == BN_CLICKED) DeleteFavorite();
        return TRUE;
    default:
        if (!general && (code == BN_CLICKED || code == EN_CHANGE || code == CBN_SELCHANGE)) Changed(false);
        return FALSE;
    }
}

void CLogPropertiesDialog::Changed(bool general) {
    if (filling_) return;
    if (general) generalChanged_ = true;
    EnableWindow(GetDlgItem(dialog_.get(), IDC_ELS_LOG_APPLY), TRUE);
}

// ---- the General page ----------------------------------------------------------------

void CLogPropertiesDialog::FillGeneral() {
    const eventviewer::LogInfo& info = owner_.LogInfoOf(log_);
    SetDlgItemTextW(general_, IDC_ELS_DISPLAY_NAME, ToWide(info.displayName).c_str());
    SetDlgItemTextW(general_, IDC_ELS_LOG_NAME, ToWide(info.logFileName).c_str());
    const std::u16string size =
        eventviewer::SizeText(info.fileSize, Utf16(LoadStringW(IDS_ELS_KB)), Utf16(LoadStringW(IDS_ELS_BYTES_WORD)));
    SetDlgItemTextW(general_, IDC_ELS_SIZE, ToWide(size).c_str());
    SetDlgItemTextW(general_, IDC_ELS_CREATED, owner_.DateTimeText(info.created).c_str());
    SetDlgItemTextW(general_, IDC_ELS_MODIFIED, owner_.DateTimeText(info.modified).c_str());
    SetDlgItemTextW(general_, IDC_ELS_ACCESSED, owner_.DateTimeText(info.accessed).c_str());
    ::SendDlgItemMessageW(general_, IDC_ELS_MAX_SIZE_SPIN, UDM_SETPOS32, 0, eventviewer::MaxSizeKb(info.maxSize));
    const eventviewer::RetentionChoice retention = eventviewer::RetentionChoiceOf(info.retention);
    const int checked = retention.kind == eventviewer::Retention::OverwriteAsNeeded ? IDC_ELS_OVERWRITE
                        : retention.kind == eventviewer::Retention::Never           ? IDC_ELS_NEVER_OVERWRITE
                                                                                    : IDC_ELS_OVERWRITE_OLDER;
    CheckRadioButton(general_, IDC_ELS_OVERWRITE, IDC_ELS_NEVER_OVERWRITE, checked);
    ::SendDlgItemMessageW(general_, IDC_ELS_DAYS_SPIN, UDM_SETPOS32, 0, static_cast<LPARAM>(retention.days));
    EnableDays();
    // A saved file's size and retention are not the machine's to change.
    const bool live = log_ != protocol::kFileLog;
    for (int id : kGeneralControls) EnableWindow(GetDlgItem(general_, id), live);
    if (!live) {
        EnableWindow(GetDlgItem(general_, IDC_ELS_DAYS), FALSE);
        EnableWindow(GetDlgItem(general_, IDC_ELS_DAYS_SPIN), FALSE);
    }
}

void CLogPropertiesDialog::EnableDays() {
    const bool olderThan = IsDlgButtonChecked(general_, IDC_ELS_OVERWRITE_OLDER) == BST_CHECKED;
    EnableWindow(GetDlgItem(general_, IDC_ELS_DAYS), olderThan);
    EnableWindow(GetDlgItem(general_, IDC_ELS_DAYS_SPIN), olderThan);
}

// ---- the Filter page -----------------------------------------------------------------

void CLogPropertiesDialog::FillFilter(const EventFilter& filter) {
    for (const auto& [id, bit] : kTypeBoxes) CheckDlgButton(filter_, id, (filter.types & bit) ? BST_CHECKED : BST_UNCHECKED);
    FillSources(filter.source);
    FillCategories(filter.category);
    SetDlgItemTextW(filter_, IDC_ELS_FILTER_EVENT_ID, filter.eventId ? std::to_wstring(filter.eventId).c_str() : L"");
    SetDlgItemTextW(filter_, IDC_ELS_FILTER_USER, ToWide(filter.user).c_str());
    SetDlgItemTextW(filter_, IDC_ELS_FILTER_COMPUTER, ToWide(filter.computer).c_str());
    FillRange(IDC_ELS_FROM, IDC_ELS_FROM_DATE, IDC_ELS_FROM_TIME, filter.from, IDS_ELS_FIRST_EVENT);
    FillRange(IDC_ELS_TO, IDC_ELS_TO_DATE, IDC_ELS_TO_TIME, filter.to, IDS_ELS_LAST_EVENT);
}

void CLogPropertiesDialog::FillSources(const std::u16string& source) {
    HWND combo = GetDlgItem(filter_, IDC_ELS_FILTER_SOURCE);
    ::SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(LoadStringW(IDS_ELS_ALL).c_str()));
    int select = 0;
    if (const eventviewer::CategoryTable* table = owner_.CategoriesOf(log_)) {
        for (size_t i = 0; i < table->Sources(); ++i) {
            const LRESULT at = ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ToWide(table->SourceName(i)).c_str()));
            if (at >= 0 && !source.empty() && table->SourceName(i) == source) select = static_cast<int>(at);
        }
    }
    // A source the machine has not named (a favourite of another machine) is kept.
    if (!source.empty() && select == 0) {
        const LRESULT at = ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ToWide(source).c_str()));
        if (at >= 0) select = static_cast<int>(at);
    }
    ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(select), 0);
}

void CLogPropertiesDialog::FillCategories(uint16_t category) {
    HWND combo = GetDlgItem(filter_, IDC_ELS_FILTER_CATEGORY);
    ::SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    AddString(combo, LoadStringW(IDS_ELS_ALL), 0);
    const std::u16string source = Selected(filter_, IDC_ELS_FILTER_SOURCE) > 0 ? Utf16(ControlText(filter_, IDC_ELS_FILTER_SOURCE))
                                                                               : std::u16string();
    const eventviewer::CategoryTable* table = owner_.CategoriesOf(log_);
    bool listed = category == 0;
    if (table && !source.empty()) {
        for (size_t i = 0; i < table->Sources(); ++i) {
            if (table->SourceName(i) != source) continue;
            for (const auto& [number, name] : table->SourceCategories(i)) {
                AddString(combo, ToWide(name), static_cast<LPARAM>(number));
                listed = listed || number == category;
            }
        }
    }
    if (!listed) AddString(combo, L"(" + std::to_wstring(category) + L")", category);
    const int count = static_cast<int>(::SendMessageW(combo, CB_GETCOUNT, 0, 0));
    int select = 0;
    for (int i = 0; i < count; ++i) {
        if (::SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(i), 0) == category && category != 0) select = i;
    }
    ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(select), 0);
}

void CLogPropertiesDialog::FillRange(int comboId, int dateId, int timeId, uint32_t time, UINT firstText) {
    HWND combo = GetDlgItem(filter_, comboId);
    ::SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(LoadStringW(firstText).c_str()));
    ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(LoadStringW(IDS_ELS_EVENTS_ON).c_str()));
    ::SendMessageW(combo, CB_SETCURSEL, time ? 1 : 0, 0);
    SYSTEMTIME shown = {};
    if (time)
        shown = LocalTimeOf(time);
    else
        GetLocalTime(&shown);
    ::SendDlgItemMessageW(filter_, dateId, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&shown));
    ::SendDlgItemMessageW(filter_, timeId, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&shown));
    EnableRange(comboId, dateId, timeId);
}

void CLogPropertiesDialog::EnableRange(int comboId, int dateId, int timeId) {
    const bool eventsOn = Selected(filter_, comboId) == 1;
    EnableWindow(GetDlgItem(filter_, dateId), eventsOn);
    EnableWindow(GetDlgItem(filter_, timeId), eventsOn);
}

std::optional<uint32_t> CLogPropertiesDialog::ReadRange(int comboId, int dateId, int timeId) const {
    if (Selected(filter_, comboId) != 1) return 0;
    SYSTEMTIME date = {}, time = {};
    if (::SendDlgItemMessageW(filter_, dateId, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&date)) != GDT_VALID ||
        ::SendDlgItemMessageW(filter_, timeId, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time)) != GDT_VALID)
        return std::nullopt;
    date.wHour = time.wHour;
    date.wMinute = time.wMinute;
    date.wSecond = time.wSecond;
    date.wMilliseconds = 0;
    return SecondsOf(date);
}

EventFilter CLogPropertiesDialog::ReadFilter() const {
    EventFilter filter;
    filter.types = 0;
    for (const auto& [id, bit] : kTypeBoxes) {
        if (IsDlgButtonChecked(filter_, id) == BST_CHECKED) filter.types |= bit;
    }
    const std::wstring eventId = ControlText(filter_, IDC_ELS_FILTER_EVENT_ID);
    const unsigned long long id = eventId.empty() ? 0 : std::wcstoull(eventId.c_str(), nullptr, 10);
    filter.eventId = static_cast<uint32_t>(std::min<unsigned long long>(id, 0xFFFFFFFFull));
    if (Selected(filter_, IDC_ELS_FILTER_SOURCE) > 0) filter.source = Utf16(ControlText(filter_, IDC_ELS_FILTER_SOURCE));
    const int category = Selected(filter_, IDC_ELS_FILTER_CATEGORY);
    if (category > 0)
        filter.category = static_cast<uint16_t>(::SendDlgItemMessageW(filter_, IDC_ELS_FILTER_CATEGORY, CB_GETITEMDATA,
                                                                      static_cast<WPARAM>(category), 0));
    filter.user = Utf16(ControlText(filter_, IDC_ELS_FILTER_USER));
    filter.computer = Utf16(ControlText(filter_, IDC_ELS_FILTER_COMPUTER));
    filter.from = ReadRange(IDC_ELS_FROM, IDC_ELS_FROM_DATE, IDC_ELS_FROM_TIME).value_or(0);
    filter.to = ReadRange(IDC_ELS_TO, IDC_ELS_TO_DATE, IDC_ELS_TO_TIME).value_or(0);
    return filter;
}

// ---- favourites ----------------------------------------------------------------------

void CLogPropertiesDialog::FillFavorites(int select) {
    HWND combo = GetDlgItem(filter_, IDC_ELS_FAVORITES);
    ::SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (const EventFilter& favorite : owner_.Favorites())
        ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ToWide(favorite.name).c_str()));
    ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(select), 0);
    EnableWindow(GetDlgItem(filter_, IDC_ELS_DELETE_FAVORITE), select >= 0);
}

void CLogPropertiesDialog::AddFavorite() {
    if (owner_.Favorites().size() >= eventviewer::kMaxFavorites) return;
    const std::optional<std::u16string> name = AskFavoriteName(dialog_.get());
    if (!name || !dialog_) return;
    EventFilter favorite = ReadFilter();
    favorite.name = *name;
    owner_.AddFavorite(std::move(favorite));
    FillFavorites(static_cast<int>(owner_.Favorites().size()) - 1);
}

void CLogPropertiesDialog::DeleteFavorite() {
    const int selected = Selected(filter_, IDC_ELS_FAVORITES);
    if (selected < 0) return;
    owner_.RemoveFavorite(static_cast<size_t>(selected));
    FillFavorites(-1);
}

void CLogPropertiesDialog::ChooseFavorite() {
    const int selected = Selected(filter_, IDC_ELS_FAVORITES);
    const auto& favorites = owner_.Favorites();
    if (selected < 0 || static_cast<size_t>(selected) >= favorites.size()) return;
    const EventFilter chosen = favorites[static_cast<size_t>(selected)];
    filling_ = true;
    FillFilter(chosen);
    filling_ = false;
    EnableWindow(GetDlgItem(filter_, IDC_ELS_DELETE_FAVORITE), TRUE);
    Changed(false);
}

// ---- OK and Apply ----------------------------------------------------------------------

bool CLogPropertiesDialog::Apply() {
    // Requests go out one at a time: a busy snap-in keeps the dialog open.
    if (owner_.IsBusy()) return false;
    owner_.SetFilter(log_, ReadFilter());
    if (generalChanged_ && log_ != protocol::kFileLog) {
        const uint32_t kb = static_cast<uint32_t>(::SendDlgItemMessageW(general_, IDC_ELS_MAX_SIZE_SPIN, UDM_GETPOS32, 0, 0));
        eventviewer::RetentionChoice retention;
        retention.kind = IsDlgButtonChecked(general_, IDC_ELS_OVERWRITE) == BST_CHECKED ? eventviewer::Retention::OverwriteAsNeeded
                         : IsDlgButtonChecked(general_, IDC_ELS_NEVER_OVERWRITE) == BST_CHECKED
                             ? eventviewer::Retention::Never
                             : eventviewer::Retention::OlderThan;
        retention.days = static_cast<uint32_t>(::SendDlgItemMessageW(general_, IDC_ELS_DAYS_SPIN, UDM_GETPOS32, 0, 0));
        owner_.SendLogProperties(log_, eventviewer::MaxSizeBytes(std::clamp(kb, eventviewer::kMinSizeKb, eventviewer::kMaxSizeKb)),
                                 eventviewer::RetentionSeconds(retention));
        generalChanged_ = false;
    }
    EnableWindow(GetDlgItem(dialog_.get(), IDC_ELS_LOG_APPLY), FALSE);
    return true;
}

}  // namespace vantrel
