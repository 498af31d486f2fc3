#include "snapins/eventviewer/EventPropertiesDialog.h"

#include "framework/Module.h"
#include "framework/TabPages.h"
#include "framework/Text.h"
#include "snapins/eventviewer/EventViewerIds.h"
#include "snapins/eventviewer/EventViewerSnapIn.h"
#include "snapins/eventviewer/model/EventDetails.h"
#include "snapins/eventviewer/model/Protocol.h"

#include <algorithm>
#include <iterator>

namespace vantrel {
namespace {

namespace protocol = eventviewer::protocol;
using eventviewer::EventRecord;

constexpr int kButtons[] = {IDC_ELS_UP, IDC_ELS_DOWN, IDC_ELS_COPY};
constexpr UINT kButtonTips[] = {IDS_ELS_UP_TIP, IDS_ELS_DOWN_TIP, IDS_ELS_COPY_TIP};
constexpr int kDataControls[] = {IDC_ELS_DATA_LABEL, IDC_ELS_BYTES, IDC_ELS_WORDS, IDC_ELS_DATA};
constexpr int kValueFields[] = {IDC_ELS_DATE_VALUE,   IDC_ELS_TIME_VALUE,     IDC_ELS_TYPE_VALUE,
                                IDC_ELS_USER_VALUE,   IDC_ELS_COMPUTER_VALUE, IDC_ELS_SOURCE_VALUE,
                                IDC_ELS_CATEGORY_VALUE, IDC_ELS_EVENT_ID_VALUE, IDC_ELS_DESCRIPTION, IDC_ELS_DATA};

std::u16string Utf16(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }

}  // namespace

void CEventPropertiesDialog::Create(HWND owner) {
    ActivationScope scope;
    dialog_.reset(CreateDialogParamW(ResourceInstance(), MAKEINTRESOURCEW(IDD_ELS_EVENT_PROPERTIES), owner, &DialogProc,
                                     reinterpret_cast<LPARAM>(this)));
    if (!dialog_) return;
    SetWindowContextHelpId(dialog_.get(), IDH_ELS_EVENT_PROPERTIES);
    HWND tabs = GetDlgItem(dialog_.get(), IDC_ELS_EVENT_TABS);
    AddTabs(tabs, {IDS_ELS_EVENT_TAB});
    page_ = CreateTabPage(dialog_.get(), tabs, IDD_ELS_EVENT_PAGE, &PageProc, reinterpret_cast<LPARAM>(this));
    if (!page_) return;
    SetUpPage();
    ShowWindow(page_, SW_SHOW);
}

void CEventPropertiesDialog::Destroy() {
    dialog_.reset();
    page_ = nullptr;
    toolTip_ = nullptr;
    shown_.reset();
}

void CEventPropertiesDialog::SetUpPage() {
    SetWindowContextHelpId(page_, IDH_ELS_EVENT_PROPERTIES);
    dumpFont_.reset(CreateFontW(0, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, L"Fixedsys"));
    if (dumpFont_) ::SendMessageW(GetDlgItem(page_, IDC_ELS_DATA), WM_SETFONT, reinterpret_cast<WPARAM>(dumpFont_.get()), FALSE);
    CheckRadioButton(page_, IDC_ELS_BYTES, IDC_ELS_WORDS, IDC_ELS_BYTES);

    UniqueImageList strip(LoadImageStrip(L"IDB_SNAP_ELS_BUTTON_ICONS", 16, ILC_COLOR24));
    toolTip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, dialog_.get(), nullptr, ModuleInstance(), nullptr);
    for (size_t i = 0; i < std::size(kButtons); ++i) {
        HWND button = GetDlgItem(page_, kButtons[i]);
        if (strip) buttonIcons_[i].reset(ImageList_GetIcon(strip.get(), static_cast<int>(i), ILD_NORMAL));
        ::SendMessageW(button, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(buttonIcons_[i].get()));
        if (!toolTip_) continue;
        std::wstring tip = LoadStringW(kButtonTips[i]);
        TTTOOLINFOW tool = {};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = page_;
        tool.uId = reinterpret_cast<UINT_PTR>(button);
        tool.lpszText = tip.data();
        ::SendMessageW(toolTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    ClearFields();
}

INT_PTR CALLBACK CEventPropertiesDialog::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    // No focus at creation: a hidden dialog that took it would take the
    // console's activation with it.
    if (message == WM_INITDIALOG) return FALSE;
    const bool closing = message == WM_CLOSE || (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL));
    if (!closing) return FALSE;
    ShowWindow(dialog, SW_HIDE);
    return TRUE;
}

INT_PTR CALLBACK CEventPropertiesDialog::PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(page, DWLP_USER, lParam);
        return FALSE;
    }
    auto self = reinterpret_cast<CEventPropertiesDialog*>(GetWindowLongPtrW(page, DWLP_USER));
    if (!self || message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED) return FALSE;
    try {
        self->OnPageCommand(LOWORD(wParam));
    } catch (...) {
    }
    return TRUE;
}

void CEventPropertiesDialog::OnPageCommand(UINT id) {
    switch (id) {
    case IDC_ELS_UP:
        Step(-1);
        break;
    case IDC_ELS_DOWN:
        Step(+1);
        break;
    case IDC_ELS_COPY:
        CopyToClipboard();
        break;
    case IDC_ELS_BYTES:
    case IDC_ELS_WORDS:
        ShowData();
        break;
    default:
        break;
    }
}

// ---- what is shown -----------------------------------------------------------------

const EventRecord* CEventPropertiesDialog::Find(RecordRef& ref) const {
    const eventviewer::RecordIndex& index = owner_.Pane(ref.log).Index();
    const std::optional<size_t> row = index.RowOf(ref.recordNumber, ref.rowHint);
    if (!row) return nullptr;
    ref.rowHint = *row;
    return index.Record(*row);
}

void CEventPropertiesDialog::OpenForSelection() {
    if (!dialog_) return;
    const std::optional<int> row = owner_.Pane(owner_.ShownLog()).List().SelectedRow();
    if (!row || !ShowRow(*row)) return;
    if (!IsWindowVisible(dialog_.get())) {
        // Beside the snap-in's window, the first time and every time it was closed.
        RECT frame = {};
        GetWindowRect(owner_.GetWindow(), &frame);
        SetWindowPos(dialog_.get(), HWND_TOP, frame.left + 40, frame.top + 40, 0, 0, SWP_NOSIZE);
        ShowWindow(dialog_.get(), SW_SHOW);
    }
}

bool CEventPropertiesDialog::ShowRow(int row) {
    const int log = owner_.ShownLog();
    const eventviewer::RecordIndex& index = owner_.Pane(log).Index();
    if (row < 0 || static_cast<size_t>(row) >= index.Rows()) return false;
    const EventRecord* record = index.Record(static_cast<size_t>(row));
    if (!record) return false;  // unloaded, or its details are on their way
    shown_ = RecordRef{log, record->recordNumber, static_cast<size_t>(row)};
    ShowRecord(*record);
    if (record->description.empty()) AskForDescription(*shown_);
    return true;
}

void CEventPropertiesDialog::ShowRecord(const EventRecord& record) {
    const int log = shown_ ? shown_->log : owner_.ShownLog();
    const eventviewer::RecordIndex& index = owner_.Pane(log).Index();
    const eventviewer::DisplayTexts& texts = owner_.Texts();
    const std::u16string& user = index.Texts().Text(record.user);
    const std::u16string& source = index.Texts().Text(record.source);
    auto set = [this](int id, const std::wstring& text) { SetDlgItemTextW(page_, id, text.c_str()); };
    set(IDC_ELS_DATE_VALUE, owner_.DateText(record));
    set(IDC_ELS_TIME_VALUE, owner_.TimeText(record));
    set(IDC_ELS_TYPE_VALUE, ToWide(texts.types[static_cast<size_t>(eventviewer::TypeKindOf(record.type))]));
    set(IDC_ELS_USER_VALUE, ToWide(user.empty() ? texts.userNone : user));
    set(IDC_ELS_COMPUTER_VALUE, ToWide(index.Texts().Text(record.computer)));
    set(IDC_ELS_DESCRIPTION, ToWide(eventviewer::CleanDescription(record.description)));
    set(IDC_ELS_SOURCE_VALUE, ToWide(source));
    set(IDC_ELS_CATEGORY_VALUE, ToWide(eventviewer::CategoryText(owner_.CategoriesOf(log), source, record.category, texts)));
    set(IDC_ELS_EVENT_ID_VALUE, std::to_wstring(eventviewer::ShownEventId(record.eventId)));
    ShowData();
}

void CEventPropertiesDialog::ShowData() {
    RecordRef ref = shown_.value_or(RecordRef{});
    const EventRecord* record = shown_ ? Find(ref) : nullptr;
    const bool hasData = record && !record->data.empty();
    SetDlgItemTextW(page_, IDC_ELS_DATA, L"");
    for (int id : kDataControls) EnableWindow(GetDlgItem(page_, id), hasData);
    if (!hasData) return;
    const bool words = IsDlgButtonChecked(page_, IDC_ELS_WORDS) == BST_CHECKED;
    const std::string dump = words ? eventviewer::WordsDump(record->data) : eventviewer::BytesDump(record->data);
    SetDlgItemTextW(page_, IDC_ELS_DATA, ToWide(std::string_view(dump)).c_str());
}

void CEventPropertiesDialog::ClearFields() {
    for (int id : kValueFields) SetDlgItemTextW(page_, id, L"");
    for (int id : kDataControls) EnableWindow(GetDlgItem(page_, id), FALSE);
}

void CEventPropertiesDialog::OnRowsChanged(int log) {
    if (!shown_ || shown_->log != log || !page_) return;
    // A record that is gone leaves the fields as they were: nothing to step from.
    if (const EventRecord* record = Find(*shown_)) ShowRecord(*record);
}

void CEventPropertiesDialog::Step(int delta) {
    CVirtualReportList& list = owner_.Pane(owner_.ShownLog()).List();
    const std::optional<int> selected = list.SelectedRow();
    if (!selected) return;
    const int row = *selected + delta;
    if (row < 0 || row >= list.RowCount()) return;  // UP on the first row, DOWN on the last
    list.SelectRow(row);
    ShowRow(row);
}

// ---- command 308 -------------------------------------------------------------------

void CEventPropertiesDialog::AskForDescription(const RecordRef& ref) {
    if (asked_) return;  // one at a time: the answer asks again for what is shown then
    const int log = ref.log;
    CSnapInBase::Request request(owner_, protocol::kDescriptionCommand, 1);
    request.Field(protocol::kEventTypeNode).SetShort(static_cast<int16_t>(log));
    request.Field(protocol::kFileNameNode).SetString(log == protocol::kFileLog ? owner_.OpenFile().c_str() : "");
    request.Field(protocol::kRecordNumberNode).SetLong(static_cast<int32_t>(ref.recordNumber));
    if (!request.Send()) return;
    asked_ = ref;
    owner_.BeginBusy(IDS_STATUS_IN_PROGRESS);
}

void CEventPropertiesDialog::OnDescriptionAnswer(IMessageNode& root) {
    if (!asked_) return;
    RecordRef asked = *asked_;
    asked_.reset();
    if (root.Child(kRetValueNode)->GetShort() != protocol::kSuccess) {
        owner_.EndBusy(IDS_STATUS_FAILED);
        if (dialog_) owner_.ShowErrorId(IDS_ELS_DETAILS_UNAVAILABLE, 0);
        return;
    }
    const char* description = root.Child(protocol::kDescriptionNode)->GetString();
    const char* data = root.Child(protocol::kDataNode)->GetString();
    // Stored where the record is now; a record that has gone takes nothing.
    if (Find(asked)) {
        owner_.Pane(asked.log).SetDetails(asked.rowHint, Utf16(AnsiToWide(description ? description : "")),
                                          eventviewer::DescriptionAnswerData(data ? data : ""));
    }
    owner_.EndBusy(IDS_STATUS_SUCCESS);
    if (!shown_ || !page_) return;
    if (const EventRecord* record = Find(*shown_)) {
        ShowRecord(*record);
        const bool sameRecord = shown_->log == asked.log && shown_->recordNumber == asked.recordNumber;
        if (!sameRecord && record->description.empty()) AskForDescription(*shown_);
    }
}

// ---- the clipboard -------------------------------------------------------------------

std::wstring CEventPropertiesDialog::PageText(int id) const {
    HWND control = GetDlgItem(page_, id);
    const int length = control ? GetWindowTextLengthW(control) : 0;
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    if (length > 0) GetWindowTextW(control, text.data(), length + 1);
    text.resize(static_cast<size_t>(length));
    return text;
}

void CEventPropertiesDialog::CopyToClipboard() {
    if (!page_) return;
    static const std::pair<int, int> kPairs[] = {
        {IDC_ELS_TYPE_LABEL, IDC_ELS_TYPE_VALUE},         {IDC_ELS_SOURCE_LABEL, IDC_ELS_SOURCE_VALUE},
        {IDC_ELS_CATEGORY_LABEL, IDC_ELS_CATEGORY_VALUE}, {IDC_ELS_EVENT_ID_LABEL, IDC_ELS_EVENT_ID_VALUE},
        {IDC_ELS_DATE_LABEL, IDC_ELS_DATE_VALUE},         {IDC_ELS_TIME_LABEL, IDC_ELS_TIME_VALUE},
        {IDC_ELS_USER_LABEL, IDC_ELS_USER_VALUE},         {IDC_ELS_COMPUTER_LABEL, IDC_ELS_COMPUTER_VALUE}};
    std::vector<eventviewer::LabelledText> fields;
    for (const auto& [label, value] : kPairs) fields.push_back({Utf16(PageText(label)), Utf16(PageText(value))});
    const std::u16string text =
        eventviewer::ClipboardText(fields, {Utf16(PageText(IDC_ELS_DESCRIPTION_LABEL)), Utf16(PageText(IDC_ELS_DESCRIPTION))},
                                   {Utf16(PageText(IDC_ELS_DATA_LABEL)), Utf16(PageText(IDC_ELS_DATA))});
    if (!OpenClipboard(dialog_.get())) return;
    EmptyClipboard();
    const size_t bytes = (text.size() + 1) * sizeof(char16_t);
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
        if (void* target = GlobalLock(memory)) {
            std::copy(text.c_str(), text.c_str() + text.size() + 1, static_cast<char16_t*>(target));
            GlobalUnlock(memory);
            if (!SetClipboardData(CF_UNICODETEXT, memory)) GlobalFree(memory);
        } else {
            GlobalFree(memory);
        }
    }
    CloseClipboard();
}

}  // namespace vantrel
