#include "framework/PagedListing.h"

#include "framework/Module.h"
#include "framework/SnapInBase.h"
#include "framework/xml/Xml.h"

#include <algorithm>
#include <string>

namespace vantrel {
namespace {

uint32_t Clamp32(int64_t value) { return static_cast<uint32_t>(std::clamp<int64_t>(value, 0, 0xFFFFFFFF)); }

std::string StartAtText(int64_t startAt, StartAtForm form) {
    if (form == StartAtForm::Unsigned32) return std::to_string(static_cast<uint32_t>(startAt));
    return std::to_string(startAt);
}

}  // namespace

CPagedListing::CPagedListing(CSnapInBase& snapIn, IListingClient& client, const ListingWire& wire)
    : snapIn_(snapIn), client_(client), wire_(wire) {}

void CPagedListing::Start() {
    if (running_) {
        pending_ = Pending::Restart;
        return;
    }
    client_.OnListingStarted();
    if (!SendPage(-1)) return;
    running_ = true;
    pending_ = Pending::None;
    snapIn_.BeginBusy(IDS_STATUS_IN_PROGRESS);
}

void CPagedListing::Cancel() {
    if (!running_) return;
    pending_ = Pending::Cancel;
    snapIn_.SetStatusPart(1, LoadStringW(IDS_STATUS_CANCELLING));
}

void CPagedListing::StopAfterPage() {
    if (!running_ || pending_ != Pending::None) return;
    pending_ = Pending::Stop;
    snapIn_.SetStatusPart(1, LoadStringW(IDS_STATUS_CANCELLING));
}

bool CPagedListing::SendPage(int64_t startAt) {
    CXmlElement element(wire_.requestElement);
    element.AddAttribute(kStartAtAttribute, StartAtText(startAt, wire_.startAtForm));
    client_.AddRequestAttributes(element);
    CXmlOptions options;
    CSnapInBase::Request request(snapIn_, wire_.command, 1);
    request.Field(wire_.requestNode).SetString(element.ToText(options).c_str());
    client_.AddRequestFields(request, startAt);
    sentStartAt_ = startAt;
    return request.Send();
}

int32_t CPagedListing::RetValue(IMessageNode& root) const {
    IMessageNode* value = root.Child(kRetValueNode);
    return !value ? -1 : wire_.shortRetValue ? value->GetShort() : value->GetLong();
}

bool CPagedListing::IsSuccess(IMessageNode& root) const {
    return !wire_.readsRetValue || RetValue(root) == static_cast<int32_t>(wire_.success);
}

void CPagedListing::OnAnswer(IHostMessage& answer, IMessageNode& root) {
    if (!running_) return;
    switch (pending_) {
    case Pending::Restart:
        // The page on its way belonged to the old listing.
        pending_ = Pending::None;
        client_.OnListingStarted();
        if (!SendPage(-1)) End(ListingEnd::Failed, IDS_STATUS_FAILED);
        return;
    case Pending::Cancel:
        End(ListingEnd::Canceled, IDS_STATUS_CANCELED);
        return;
    case Pending::None:
    case Pending::Stop:
        break;
    }
    if (!client_.CanShowListing()) {
        End(ListingEnd::Canceled, IDS_STATUS_CANCELED);
        return;
    }
    OnPage(answer, root);
}

void CPagedListing::OnPage(IHostMessage& answer, IMessageNode& root) {
    if (!IsSuccess(root)) {
        if (wire_.canceledRetValue && RetValue(root) == *wire_.canceledRetValue) {
            End(ListingEnd::Canceled, IDS_STATUS_SUCCESS);
            return;
        }
        End(ListingEnd::Failed, IDS_STATUS_FAILED);
        snapIn_.ShowAnswerError(&answer, wire_.failureMessageId, 0);
        return;
    }
    IMessageNode* node = root.Child(wire_.answerNode);
    CXmlElement page;
    // A page without a text cannot move the listing on: it is as unreadable
    // as a malformed one.
    if (ParseAnswer(node ? node->GetString() : nullptr, page) != AnswerText::Parsed) {
        FailUnreadable(answer, root);
        return;
    }
    client_.ReadAnswerFields(root);
    if (!client_.MergePage(page)) {
        FailUnreadable(answer, root);
        return;
    }
    const int64_t upTo = ReadInt64(page, kUpToAttribute);
    const int64_t total = ReadInt64(page, kTotalAttribute);
    int64_t next = 0;
    const PageStep step = NextPage(sentStartAt_, upTo, total, &next, wire_.rule);
    if (step != PageStep::Failed && pending_ == Pending::Stop) {
        EndWithCount(ListingEnd::Canceled, upTo, total);
        return;
    }
    switch (step) {
    case PageStep::Continue:
        snapIn_.ShowProgress(IDS_STATUS_IN_PROGRESS, Clamp32(upTo), Clamp32(total));
        if (!SendPage(next)) End(ListingEnd::Failed, IDS_STATUS_FAILED);
        break;
    case PageStep::Done:
        EndWithCount(ListingEnd::Done, upTo, total);
        break;
    case PageStep::Failed:
        End(ListingEnd::Failed, IDS_STATUS_FAILED);
        break;
    }
}

void CPagedListing::FailUnreadable(IHostMessage& answer, IMessageNode& root) {
    End(ListingEnd::Failed, IDS_STATUS_FAILED);
    // Without a "RetValue", a failure shows itself by an error text and no list.
    const char* error = root.Child(kErrorTextNode)->GetString();
    if (!wire_.readsRetValue && error && *error)
        snapIn_.ShowAnswerError(&answer, 0, 0);
    else
        snapIn_.ShowErrorId(IDS_UNREADABLE_ANSWER, 0);
}

void CPagedListing::End(ListingEnd end, uint32_t statusId) {
    running_ = false;
    pending_ = Pending::None;
    client_.OnListingEnded(end);
    snapIn_.EndBusy(statusId);
}

void CPagedListing::EndWithCount(ListingEnd end, int64_t upTo, int64_t total) {
    running_ = false;
    pending_ = Pending::None;
    client_.OnListingEnded(end);
    const int64_t delivered = wire_.rule == ContinueFrom::UpTo || upTo == INT64_MAX ? upTo : upTo + 1;
    snapIn_.EndBusyWithCount(end == ListingEnd::Canceled ? IDS_STATUS_CANCELED : IDS_STATUS_SUCCESS,
                             Clamp32(std::clamp<int64_t>(delivered, 0, std::max<int64_t>(total, 0))), Clamp32(total));
}

}  // namespace vantrel
