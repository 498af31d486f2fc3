// One log of the Event Viewer: its owner-data list, its rows (the record
// index), the retrieval that fills them (record numbers with 309 or whole
// events with 302, in pages) and the details asked for on demand with 310.
#pragma once

#include "framework/PagedListing.h"
#include "framework/VirtualReportList.h"
#include "snapins/eventviewer/model/DetailRequests.h"
#include "snapins/eventviewer/model/EventCells.h"
#include "snapins/eventviewer/model/RecordIndex.h"

#include <string>

namespace vantrel {

class CEventViewerSnapIn;

class CEventLogPane final : private IVirtualListSource, private IListingClient {
public:
    // Where the log is in loading it: the categories (301), its information
    // (303), then its rows.
    enum class Phase { Idle, Categories, LogInfo, Retrieval };

    CEventLogPane(CEventViewerSnapIn& owner, int log, const wchar_t* settingsName);
    CEventLogPane(const CEventLogPane&) = delete;
    CEventLogPane& operator=(const CEventLogPane&) = delete;

    int Log() const { return log_; }
    CVirtualReportList& List() { return list_; }
    const eventviewer::RecordIndex& Index() const { return index_; }

    // Takes the list view that the dialog made: columns, pictures, arrows.
    void AttachList(HWND list);

    Phase CurrentPhase() const { return phase_; }
    void SetPhase(Phase phase) { phase_ = phase; }
    bool Loading() const { return phase_ != Phase::Idle; }
    bool StopRequested() const { return stopRequested_; }
    // The user stopped the loading: a retrieval ends after the page on its way.
    void RequestStop();
    void ClearStop() { stopRequested_ = false; }

    // The sort the list's header shows (after its layout was loaded).
    void TakeSortFromList();
    const eventviewer::SortDescriptor& Sort() const { return sort_; }

    // Clears the rows and asks for the first page: 309 at protocol level 2,
    // 302 otherwise. A retrieval under way is replaced: its page on the way is
    // dropped when it comes.
    void StartRetrieval(bool reread);
    bool RetrievalRunning(uint32_t command) const;
    void OnPageAnswer(IHostMessage& answer, IMessageNode& root);

    bool DetailsInFlight() const { return details_.InFlight(); }
    // The description and data that 308 brought for a loaded row.
    void SetDetails(size_t row, std::u16string description, std::vector<uint8_t> data);
    // Deletes every row (a cleared log, a file about to be opened).
    void Empty();
    void OnDetailsAnswer(IMessageNode& root);

private:
    // IVirtualListSource
    std::wstring CellText(int row, int modelColumn) override;
    int RowImage(int row) override;
    void OnCacheHint(int first, int last) override;
    void OnSortChanged(listview::SortState sort) override;
    void OnSelectionChanged() override;
    void OnRowActivated(int row) override;
    // IListingClient
    void AddRequestFields(CSnapInBase::Request& request, int64_t startAt) override;
    void ReadAnswerFields(IMessageNode& root) override;
    void OnListingStarted() override;
    bool MergePage(const CXmlElement& root) override;
    void OnListingEnded(ListingEnd end) override;
    bool CanShowListing() const override { return list_.Handle() != nullptr; }

    bool Indexed() const { return active_ == &indexed_; }
    int16_t WireLog() const;
    void ClearRows();
    void AskForDetails();
    void FailDetails(uint32_t statusId, UINT messageId);
    void RedrawRows(const eventviewer::DetailsOutcome& outcome);

    CEventViewerSnapIn& owner_;
    int log_;
    CVirtualReportList list_;
    eventviewer::RecordIndex index_;
    eventviewer::DetailRequester details_;
    eventviewer::SortDescriptor sort_;
    CPagedListing indexed_;
    CPagedListing full_;
    CPagedListing* active_ = nullptr;
    Phase phase_ = Phase::Idle;
    bool stopRequested_ = false;
    bool reread_ = true;       // "Reread" of the next first page
    int16_t retention_ = 1;    // "Retention" of the next 302 page
};

}  // namespace vantrel
