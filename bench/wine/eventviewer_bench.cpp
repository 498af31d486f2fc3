// The Event Viewer under Wine with the Application log at a million events:
// the time the record numbers take to arrive, then the list scrolled from top
// to bottom a page at a time while the simulated machine answers the details.
// Every cell the list shows is asked for and timed; every record number asked
// for is counted, so that none is asked twice. Run by hand:
//   wine build/windows/bin/eventviewer_bench.exe [events] [every-nth-page]
#include "bench/wine/BenchKit.h"
#include "hostwin/HostFrame.h"
#include "remote/RemoteMachine.h"
#include "snapins/eventviewer/EventViewerIds.h"
#include "snapins/eventviewer/model/Protocol.h"
#include "tests/host/TestHost.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

using vantrel::bench::Now;
using vantrel::host::Message;
namespace protocol = vantrel::eventviewer::protocol;

// A console that answers at once from the simulated machine and keeps no
// copies: only the record numbers the details requests ask for.
class BenchHost final : public vantrel::host::HostFrame {
public:
    explicit BenchHost(vantrel::remote::RemoteMachine& machine) : machine_(machine) {
        CreateFrame(L"Event Viewer benchmark", true);
        list_ = vantrel::test::ModuleUnderTest::CreateList(this);
    }
    ~BenchHost() override {
        if (list_) list_->Release();
        DetachAllSnapIns();
    }

    ISnapIn* Open(int32_t id) {
        ISnapIn* snapIn = list_ ? list_->GetSnapIn(id) : nullptr;
        if (!snapIn) return nullptr;
        AttachSnapIn(snapIn);
        if (HWND window = snapIn->Create(Content())) {
            RECT area;
            GetClientRect(Content(), &area);
            MoveWindow(window, 0, 0, area.right, area.bottom, TRUE);
        }
        return snapIn;
    }
    void Activate(ISnapIn* snapIn) {
        SetActiveSnapIn(snapIn);
        snapIn->Activate();
    }
    bool PumpUntil(const std::function<bool()>& condition, unsigned timeoutMs) {
        const ULONGLONG end = GetTickCount64() + timeoutMs;
        while (!condition()) {
            if (GetTickCount64() > end) return false;
            PumpPending();
            if (condition()) return true;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
        }
        return true;
    }
    bool Idle() const { return BusyDepth() == 0 && PendingAnswers() == 0; }
    size_t Requests(uint32_t command) const {
        auto found = requests_.find(command);
        return found == requests_.end() ? 0 : found->second;
    }
    std::vector<uint32_t>& Asked() { return asked_; }

protected:
    void OnRequest(std::unique_ptr<Message> request) override {
        ++requests_[request->Command()];
        if (request->Command() == protocol::kDetailsCommand) {
            const std::string& text = request->Root().Find(protocol::kRecordIdsNode)->Text();
            for (size_t at = text.find("RecID='"); at != std::string::npos; at = text.find("RecID='", at + 1))
                asked_.push_back(static_cast<uint32_t>(std::strtoul(text.c_str() + at + 7, nullptr, 10)));
        }
        DeliverLater(machine_.Answer(*request), 0);
    }

private:
    vantrel::remote::RemoteMachine& machine_;
    ISnapInList* list_ = nullptr;
    std::map<uint32_t, size_t> requests_;
    std::vector<uint32_t> asked_;
};

struct CellTimes {
    double worst = 0;
    long long worstAt = -1;        // which cell, in reading order
    long long overHalf = 0;        // cells above 0.5 ms
    long long overOne = 0;         // cells above 1 ms
    // A loaded machine preempts a call now and then: a slow cell is read
    // again at once, and the fastest of those reads is what the cell costs.
    double worstReread = 0;
    double total = 0;
    long long cells = 0;
    long long emptyTypes = 0;  // rows shown without their details
};

// Reads every cell of the rows on screen, as drawing them does.
void ReadVisibleCells(HWND list, CellTimes& times) {
    const int top = static_cast<int>(::SendMessageW(list, LVM_GETTOPINDEX, 0, 0));
    const int page = static_cast<int>(::SendMessageW(list, LVM_GETCOUNTPERPAGE, 0, 0));
    const int count = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = top; row < std::min(top + page, count); ++row) {
        for (int column = 0; column < 8; ++column) {
            wchar_t text[260] = {};
            LVITEMW item = {};
            item.iSubItem = column;
            item.pszText = text;
            item.cchTextMax = 260;
            auto read = [&] {
                const double start = Now();
                ::SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
                return Now() - start;
            };
            const double took = read();
            if (took > 0.5) {
                double fastest = took;
                for (int again = 0; again < 3; ++again) fastest = std::min(fastest, read());
                times.worstReread = std::max(times.worstReread, fastest);
            }
            if (took > times.worst) {
                times.worst = took;
                times.worstAt = times.cells;
            }
            times.overHalf += took > 0.5;
            times.overOne += took > 1.0;
            times.total += took;
            ++times.cells;
            if (column == 0 && !text[0]) ++times.emptyTypes;
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    vantrel::remote::MachineConfig config;
    config.eventLogs.application = argc > 1 ? std::atoi(argv[1]) : 1'000'000;
    const int every = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1;
    vantrel::remote::RemoteMachine machine(config);
    BenchHost host(machine);
    // A visible window draws, and drawing names the rows it needs.
    SetWindowPos(host.Frame(), nullptr, 0, 0, 1024, 768, SWP_NOZORDER | SWP_SHOWWINDOW);

    ISnapIn* snapIn = host.Open(protocol::kSnapInId);
    if (!snapIn) return 1;
    HWND list = GetDlgItem(GetDlgItem(snapIn->GetWindow(), IDD_ELS_MAIN), IDC_ELS_APPLICATION_LIST);
    snapIn->QuerySupported();
    host.PumpUntil([&] { return host.Idle(); }, 10000);

    const double loadStart = Now();
    host.Activate(snapIn);
    if (!host.PumpUntil([&] { return host.Idle() && host.Requests(protocol::kIndexCommand) > 0; }, 600000)) return 2;
    const double loadTime = Now() - loadStart;
    const int rows = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    std::printf("record numbers: %d rows in %.0f ms (%zu pages of 309)\n", rows, loadTime,
                host.Requests(protocol::kIndexCommand));
    std::fflush(stdout);

    const int page = std::max(1, static_cast<int>(::SendMessageW(list, LVM_GETCOUNTPERPAGE, 0, 0)));
    CellTimes times;
    double worstPage = 0;
    int pages = 0;
    const double scrollStart = Now();
    for (int top = 0; top < rows; top += page * every) {
        const double pageStart = Now();
        const int bottom = std::min(top + page - 1, rows - 1);
        ::SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(bottom), FALSE);
        ::SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(top), FALSE);
        UpdateWindow(list);
        host.PumpUntil([&] { return host.Idle(); }, 10000);
        UpdateWindow(list);
        ReadVisibleCells(list, times);
        worstPage = std::max(worstPage, Now() - pageStart);
        if (++pages % 5000 == 0) {
            std::printf("  %d pages, %.1f s\n", pages, (Now() - scrollStart) / 1000.0);
            std::fflush(stdout);
        }
    }
    const double scrollTime = Now() - scrollStart;

    std::vector<uint32_t>& asked = host.Asked();
    const size_t total = asked.size();
    std::sort(asked.begin(), asked.end());
    const size_t twice = static_cast<size_t>(asked.end() - std::unique(asked.begin(), asked.end()));
    std::printf("scrolled %d pages of %d rows in %.1f s (worst page with its answers %.1f ms)\n", pages, page,
                scrollTime / 1000.0, worstPage);
    std::printf("cells read: %lld, worst %.3f ms (cell %lld), mean %.4f ms, above 0.5 ms: %lld, above 1 ms: %lld "
                "(slowest of those read again: %.3f ms); rows shown without details: %lld\n",
                times.cells, times.worst, times.worstAt, times.total / std::max<long long>(times.cells, 1), times.overHalf,
                times.overOne, times.worstReread, times.emptyTypes);
    std::printf("details requests: %zu for %zu record numbers; asked twice: %zu\n",
                host.Requests(protocol::kDetailsCommand), total, twice);
    return twice == 0 && times.worstReread < 1.0 && times.emptyTypes == 0 ? 0 : 3;
}
