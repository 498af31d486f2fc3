#include "snapins/eventviewer/EventLogPane.h"

#include "framework/Module.h"
#include "framework/Text.h"
#include "framework/xml/Xml.h"
#include "snapins/eventviewer/EventViewerIds.h"
#include "snapins/eventviewer/EventViewerSnapIn.h"
#include "snapins/eventviewer/model/EventAnswers.h"
#include "snapins/eventviewer/model/EventFilter.h"
#include "snapins/eventviewer/model/Protocol.h"

#include <algorithm>

namespace vantrel {
namespace {

namespace protocol = eventviewer::protocol;
using eventviewer::EventRecord;

constexpr DWORD kListExStyle = LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP | LVS_EX_INFOTIP;

constexpr ReportColumn kColumns[] = {
    {eventviewer::kColumnType, IDS_ELS_TYPE, 100},         {eventviewer::kColumnDate, IDS_ELS_DATE, 90},
    {eventviewer::kColumnTime, IDS_ELS_TIME, 90},          {eventviewer::kColumnSource, IDS_ELS_SOURCE, 150},
    {eventviewer::kColumnCategory, IDS_ELS_CATEGORY, 70},  {eventviewer::kColumnEvent, IDS_ELS_EVENT, 70},
    {eventviewer::kColumnUser, IDS_ELS_USER, 80},          {eventviewer::kColumnComputer, IDS_ELS_COMPUTER, 100}};
static_assert(std::size(kColumns) == eventviewer::kColumnCount);

const ListingWire kIndexWire = {protocol::kIndexCommand, protocol::kIndexNode, protocol::kEventsElement,
                                protocol::kIndexNode,    ContinueFrom::UpTo,   SuccessValue::One,
                                /*shortRetValue=*/true};
// Answers with whole events carry no "RetValue": a page without events failed.
const ListingWire kEventsWire = {protocol::kEventsCommand, protocol::kEventsNode, protocol::kEventsElement,
                                 protocol::kEventsNode,    ContinueFrom::UpTo,    SuccessValue::One,
                                 /*shortRetValue=*/true,   StartAtForm::Signed,   0,
                                 /*readsRetValue=*/false};

}  // namespace

CEventLogPane::CEventLogPane(CEventViewerSnapIn& owner, int log, const wchar_t* settingsName)
    : owner_(owner), log_(log), list_(*this, settingsName), indexed_(owner, *this, kIndexWire),
      full_(owner, *this, kEventsWire) {}

void CEventLogPane::AttachList(HWND list) {
    list_.Attach(list, kListExStyle);
    list_.SetColumns(kColumns);
    list_.SetImages(LoadImageStrip(L"IDB_SNAP_ELS_ICONS", 16, ILC_COLOR24));
    list_.LoadSortArrows();
}

void CEventLogPane::TakeSortFromList() {
    const auto sort = list_.Sort();
    sort_ = sort ? eventviewer::SortDescriptor{list_.ModelColumn(sort->column), eventviewer::OrderOfArrow(sort->ascending)}
                 : eventviewer::SortDescriptor{};
}

void CEventLogPane::RequestStop() {
    if (!Loading() || stopRequested_) return;
    stopRequested_ = true;
    if (phase_ == Phase::Retrieval && active_) active_->StopAfterPage();
}

// ---- retrieval --------------------------------------------------------------------

int16_t CEventLogPane::WireLog() const {
    return static_cast<int16_t>(log_ == protocol::kFileLog ? owner_.FileLogType() : log_);
}

void CEventLogPane::ClearRows() {
    list_.SetRowCount(0);
    index_.Clear();
    owner_.OnRowsChanged(log_);
}

void CEventLogPane::Empty() {
    if (active_ && active_->Running()) active_->Cancel();
    phase_ = Phase::Idle;
    stopRequested_ = false;
    ClearRows();
}

void CEventLogPane::SetDetails(size_t row, std::u16string description, std::vector<uint8_t> data) {
    if (index_.SetDetails(row, std::move(description), std::move(data))) list_.RedrawRows(static_cast<int>(row), static_cast<int>(row));
}

void CEventLogPane::StartRetrieval(bool reread) {
    CPagedListing& wanted = owner_.IndexedRetrieval() ? indexed_ : full_;
    // A retrieval of the other kind cannot be on its way unless the protocol
    // level changed; its late pages are dropped.
    CPagedListing& other = &wanted == &indexed_ ? full_ : indexed_;
    if (other.Running()) other.Cancel();
    active_ = &wanted;
    reread_ = reread;
    stopRequested_ = false;
    // The rows go at once, and with them every claim on them: details on
    // their way for these rows fill nothing when they come.
    ClearRows();
    phase_ = Phase::Retrieval;
    wanted.Start();
    if (!wanted.Running()) phase_ = Phase::Idle;  // nothing could be sent
}

bool CEventLogPane::RetrievalRunning(uint32_t command) const {
    const CPagedListing& listing = command == protocol::kIndexCommand ? indexed_ : full_;
    return listing.Running();
}

void CEventLogPane::OnPageAnswer(IHostMessage& answer, IMessageNode& root) {
    const uint32_t command = answer.GetCommand();
    (command == protocol::kIndexCommand ? indexed_ : full_).OnAnswer(answer, root);
}

void CEventLogPane::AddRequestFields(CSnapInBase::Request& request, int64_t startAt) {
    const bool first = startAt < 0;
    request.Field(protocol::kEventTypeNode).SetShort(WireLog());
    if (Indexed()) {
        request.Field(protocol::kFileNameToNode).SetString(owner_.OpenFile().c_str());
        request.Field(protocol::kRereadNode).SetShort(first && !reread_ ? 0 : 1);
        // The machine keeps the filter and the sort of the first page.
        const std::string filter = first ? owner_.FilterText(log_) : std::string();
        request.Field(protocol::kFilterNode).SetString(filter.c_str());
        const std::string sort = first ? eventviewer::SortElementText(sort_, owner_.SortTexts()) : std::string();
        request.Field(protocol::kSortNode).SetString(sort.c_str());
    } else {
        request.Field(protocol::kRetentionNode).SetShort(first ? 1 : retention_);
        request.Field(protocol::kFileNameToNode).SetString(owner_.OpenFile().c_str());
    }
}

void CEventLogPane::ReadAnswerFields(IMessageNode& root) {
    if (!Indexed()) retention_ = root.Child(protocol::kRetentionNode)->GetShort();
}

void CEventLogPane::OnListingStarted() {
    ClearRows();
    retention_ = 1;
}

bool CEventLogPane::MergePage(const CXmlElement& root) {
    if (Indexed())
        eventviewer::AppendIndexPage(root, index_);
    else
        eventviewer::AppendEventsPage(root, index_);
    list_.SetRowCount(static_cast<int>(index_.Rows()));
    return true;
}

void CEventLogPane::OnListingEnded(ListingEnd) {
    // The retrieval of the other kind, cancelled when the level changed, ends
    // while the new one runs: it changes nothing.
    if (active_ && active_->Running()) return;
    phase_ = Phase::Idle;
    stopRequested_ = false;
    if (!Indexed() && owner_.FilterOf(log_)) {
        // Whole events are filtered here, after the last page.
        eventviewer::ApplyFilter(index_, *owner_.FilterOf(log_));
        list_.SetRowCount(static_cast<int>(index_.Rows()));
    }
    if (!Indexed() && index_.Rows() > 1) {
        // Whole events are sorted here, after the last page.
        const eventviewer::SortContext context{owner_.CategoriesOf(log_), &owner_.Texts(), owner_.LocalClock()};
        eventviewer::SortLocally(index_, sort_, context);
        list_.RedrawRows(0, static_cast<int>(index_.Rows()) - 1);
    }
    owner_.OnRowsChanged(log_);
    owner_.RefreshCommandStates();
}

// ---- details on demand -----------------------------------------------------------------

void CEventLogPane::OnCacheHint(int first, int last) {
    details_.OnHint(static_cast<size_t>(first), static_cast<size_t>(last));
    AskForDetails();
}

void CEventLogPane::AskForDetails() {
    if (details_.InFlight() || !list_.Handle()) return;
    const std::vector<eventviewer::DetailPair> pairs = details_.TakeBatch(index_);
    if (pairs.empty()) return;
    CSnapInBase::Request request(owner_, protocol::kDetailsCommand, 1);
    request.Field(protocol::kEventTypeNode).SetShort(WireLog());
    request.Field(protocol::kFileNameNode).SetString(owner_.OpenFile().c_str());
    request.Field(protocol::kRecordIdsNode).SetString(eventviewer::RecordIdsText(pairs).c_str());
    if (!request.Send()) {
        details_.Complete(nullptr, index_);  // the rows can be asked for again
        return;
    }
    owner_.BeginBusy(IDS_STATUS_IN_PROGRESS);
}

void CEventLogPane::RedrawRows(const eventviewer::DetailsOutcome& outcome) {
    auto redraw = [this](const std::vector<uint32_t>& rows) {
        if (rows.empty()) return;
        const auto [low, high] = std::minmax_element(rows.begin(), rows.end());
        list_.RedrawRows(static_cast<int>(*low), static_cast<int>(*high));
    };
    redraw(outcome.filledRows);
    redraw(outcome.releasedRows);
}

void CEventLogPane::FailDetails(uint32_t statusId, UINT messageId) {
    RedrawRows(details_.Complete(nullptr, index_));
    owner_.EndBusy(statusId);
    if (list_.Handle()) owner_.ShowErrorId(messageId, 0);
}

void CEventLogPane::OnDetailsAnswer(IMessageNode& root) {
    if (root.Child(kRetValueNode)->GetShort() != protocol::kSuccess) {
        FailDetails(IDS_STATUS_FAILED, IDS_ELS_DETAILS_UNAVAILABLE);
        return;
    }
    CXmlElement events;
    if (ParseAnswer(root.Child(protocol::kEventsNode)->GetString(), events) == AnswerText::Malformed) {
        FailDetails(IDS_STATUS_FAILED, IDS_UNREADABLE_ANSWER);
        return;
    }
    RedrawRows(details_.Complete(&events, index_));
    owner_.EndBusy(owner_.AnyRequestOutstanding() ? IDS_STATUS_IN_PROGRESS : IDS_STATUS_SUCCESS);
    // The list may not name the rest of its last hint again: go on inside it.
    AskForDetails();
}

// ---- the list --------------------------------------------------------------------------

std::wstring CEventLogPane::CellText(int row, int modelColumn) {
    const EventRecord* record = index_.Record(static_cast<size_t>(row));
    if (!record) return {};  // unloaded, or its details are on their way
    if (modelColumn == eventviewer::kColumnDate) return owner_.DateText(*record);
    if (modelColumn == eventviewer::kColumnTime) return owner_.TimeText(*record);
    return ToWide(eventviewer::CellText(*record, index_.Texts(), modelColumn, owner_.CategoriesOf(log_), owner_.Texts()));
}

int CEventLogPane::RowImage(int row) {
    const EventRecord* record = index_.Record(static_cast<size_t>(row));
    return record ? eventviewer::TypeImage(record->type) : I_IMAGENONE;
}

void CEventLogPane::OnSortChanged(listview::SortState) {
    TakeSortFromList();
    owner_.Reload(log_, /*reread=*/false);
}

void CEventLogPane::OnSelectionChanged() { owner_.RefreshCommandStates(); }

void CEventLogPane::OnRowActivated(int) { owner_.OpenEventProperties(); }

}  // namespace vantrel
