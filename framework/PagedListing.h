// A listing that arrives from the managed machine in pages: the request with
// its "StartAt", the answer's "RetValue", its XML text and the paging decision
// (framework/model/Paging.h), busy state and progress in the status bar, the
// error shown for a failed page, and restarting or cancelling a listing while
// a page is on its way.
//
// The protocol pairs an answer with its request by command only, so a page
// that was asked for by a listing that has since been restarted or cancelled
// is recognised by being the one on its way: it is dropped, never merged into
// the new listing. At most one page request is outstanding at any time.
#pragma once

#include "framework/SnapInBase.h"
#include "framework/model/Answer.h"
#include "framework/model/Paging.h"
#include "host/SnapInHost.h"

#include <cstdint>
#include <optional>

namespace vantrel {

class CXmlElement;

enum class ListingEnd {
    Done,      // every page arrived
    Failed,    // a failure, an unreadable page or nonsense numbers: what arrived stays
    Canceled,  // the user or the snap-in ended it (after the page on its way, for a stop)
};

// How the request writes its "StartAt".
enum class StartAtForm {
    Signed,      // "-1", "0", "50" ...
    Unsigned32,  // as a 32-bit unsigned number: the first request's -1 travels as "4294967295"
};

// How one listing travels.
struct ListingWire {
    uint32_t command;
    const char* requestNode;     // the request's node that carries the XML text
    const char* requestElement;  // its root element, which carries "StartAt"
    const char* answerNode;      // the answer's node that carries the XML text
    ContinueFrom rule;
    SuccessValue success;
    bool shortRetValue;  // "RetValue" read as a 16-bit number
    StartAtForm startAtForm = StartAtForm::Signed;
    // A failed page's error box: this string with the answer's error text as
    // its %1; 0 shows the error text alone.
    uint32_t failureMessageId = 0;
    // False for listings whose answers carry no "RetValue": a page is a
    // failure only when its text is missing or unreadable.
    bool readsRetValue = true;
    // A "RetValue" by which the machine says it stopped the listing itself:
    // no error; the listing ends Canceled with "Success". None: every value
    // but success is a failure.
    std::optional<int32_t> canceledRetValue;
};

class IListingClient {
public:
    // Attributes of the request's element besides "StartAt".
    virtual void AddRequestAttributes(CXmlElement& /*element*/) {}
    // Fields of the request after the one that carries the element, in the
    // order they are added; `startAt` is -1 for the first page.
    virtual void AddRequestFields(CSnapInBase::Request& /*request*/, int64_t /*startAt*/) {}
    // Fields of a successful answer beside its XML text, read before the page
    // is merged.
    virtual void ReadAnswerFields(IMessageNode& /*root*/) {}
    // A listing starts from its first page: forget what the last one brought.
    virtual void OnListingStarted() = 0;
    // Merges the entries of one page. False: the page cannot be read.
    virtual bool MergePage(const CXmlElement& root) = 0;
    // The listing has ended, in every way it can end: show what arrived.
    // Runs before the busy state ends and before any error is shown.
    virtual void OnListingEnded(ListingEnd end) = 0;
    // False once the window that shows the listing has gone: pages end the
    // listing quietly.
    virtual bool CanShowListing() const = 0;

protected:
    ~IListingClient() = default;
};

class CPagedListing {
public:
    CPagedListing(CSnapInBase& snapIn, IListingClient& client, const ListingWire& wire);
    CPagedListing(const CPagedListing&) = delete;
    CPagedListing& operator=(const CPagedListing&) = delete;

    uint32_t Command() const { return wire_.command; }
    bool Running() const { return running_; }

    // Starts from the first page. While a listing runs, the new one starts as
    // soon as the page on its way has arrived (and been dropped).
    void Start();
    // Ends a running listing when the page on its way arrives; that page is dropped.
    void Cancel();
    // Ends a running listing after the page on its way: that page is still
    // merged, nothing further is asked, and the listing ends Canceled with
    // its counts.
    void StopAfterPage();
    bool Stopping() const { return running_ && pending_ == Pending::Stop; }
    // An answer of the listing's command; the snap-in's dispatch hands it here.
    void OnAnswer(IHostMessage& answer, IMessageNode& root);

private:
    enum class Pending { None, Restart, Cancel, Stop };

    bool SendPage(int64_t startAt);
    int32_t RetValue(IMessageNode& root) const;
    bool IsSuccess(IMessageNode& root) const;
    void OnPage(IHostMessage& answer, IMessageNode& root);
    // Ends the listing: the client shows what arrived, then busy ends.
    void End(ListingEnd end, uint32_t statusId);
    void EndWithCount(ListingEnd end, int64_t upTo, int64_t total);
    void FailUnreadable(IHostMessage& answer, IMessageNode& root);

    CSnapInBase& snapIn_;
    IListingClient& client_;
    ListingWire wire_;
    bool running_ = false;
    Pending pending_ = Pending::None;
    // The StartAt of the page on its way; the answer's own is not trusted.
    int64_t sentStartAt_ = -1;
};

}  // namespace vantrel
