// Timing of the Shared Folders refresh under Wine at the largest scale: the
// whole chain of 701, 702 and 703 through the module (parse, store, fill and
// sort of the three lists) against a bare fill and sort of the same rows (the
// same answers parsed, one text per row inserted into plain list views, each
// sorted by that text with LVM_SORTITEMS), measured in the same run. The
// module's lists are owner-data: filling one is setting its row count. Run by hand:
//   wine build/windows/bin/shares_bench.exe [scale [page size [rounds]]]
#include "bench/wine/BenchKit.h"
#include "framework/model/Answer.h"
#include "framework/text/TextCompare.h"
#include "framework/xml/Xml.h"
#include "remote/RemoteMachine.h"
#include "snapins/shares/SharesIds.h"
#include "snapins/shares/model/Protocol.h"
#include "snapins/shares/model/SharesModel.h"
#include "tests/host/TestHost.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace {

using vantrel::bench::Now;
using vantrel::host::Message;
using vantrel::test::TestHost;
namespace wire = vantrel::shares::protocol;

const char* ListNode(uint32_t command) {
    return command == wire::kSharesCommand ? wire::kSharesNode
           : command == wire::kSessionsCommand ? wire::kSessionsNode
                                               : wire::kFilesNode;
}
// The text each list sorts by in both measurements: the first column.
const char* SortAttribute(uint32_t command) {
    return command == wire::kSharesCommand ? wire::kAttrName
           : command == wire::kSessionsCommand ? wire::kAttrUserName
                                               : wire::kAttrName;
}

bool Idle(TestHost& host) { return host.BusyDepth() == 0 && host.PendingAnswers() == 0; }

// A plain list view with one text per row, sorted by that text.
class BareList {
public:
    explicit BareList(HWND parent) : list_(vantrel::bench::BareReportList(parent, 1, 600, 400)) {}
    ~BareList() { DestroyWindow(list_); }
    void Clear() {
        ::SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0);
        texts_.clear();
    }
    void Hold(bool on) { ::SendMessageW(list_, WM_SETREDRAW, on ? FALSE : TRUE, 0); }
    void Add(std::u16string text) {
        texts_.push_back(std::move(text));
        LVITEMW item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = static_cast<int>(texts_.size());
        item.pszText = reinterpret_cast<wchar_t*>(texts_.back().data());
        item.lParam = static_cast<LPARAM>(texts_.size() - 1);
        ::SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
    void Sort() {
        ::SendMessageW(list_, LVM_SORTITEMS, reinterpret_cast<WPARAM>(this), reinterpret_cast<LPARAM>(&Compare));
        InvalidateRect(list_, nullptr, TRUE);
    }
    int Count() const { return static_cast<int>(::SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0)); }

private:
    static int CALLBACK Compare(LPARAM a, LPARAM b, LPARAM self) {
        const auto& texts = reinterpret_cast<BareList*>(self)->texts_;
        return vantrel::CompareNoCase(texts[static_cast<size_t>(a)], texts[static_cast<size_t>(b)]);
    }
    HWND list_ = nullptr;
    std::deque<std::u16string> texts_;  // stable addresses for the items' texts
};

double ReferenceRefresh(const std::vector<std::unique_ptr<Message>>& answers, BareList (&lists)[3]) {
    const double start = Now();
    for (BareList& list : lists) list.Clear(), list.Hold(true);
    for (const auto& answer : answers) {
        const uint32_t command = answer->Command();
        vantrel::CXmlElement root;
        vantrel::ParseAnswer(answer->Root().Find(ListNode(command))->Text(), root);
        BareList& list = lists[command - wire::kSharesCommand];
        for (int i = 0; i < root.GetChildCount(); ++i)
            list.Add(vantrel::ReadText(*root.GetChild(i), SortAttribute(command)));
    }
    for (BareList& list : lists) list.Sort(), list.Hold(false);
    return Now() - start;
}

// The module's model alone on the same answers: parse and store.
double ModelRefresh(const std::vector<std::unique_ptr<Message>>& answers, double* parse) {
    vantrel::shares::ShareStore shares;
    vantrel::shares::SessionStore sessions;
    vantrel::shares::OpenFileStore files;
    const double start = Now();
    for (const auto& answer : answers) {
        const uint32_t command = answer->Command();
        vantrel::CXmlElement root;
        const double parseStart = Now();
        vantrel::ParseAnswer(answer->Root().Find(ListNode(command))->Text(), root);
        *parse += Now() - parseStart;
        if (command == wire::kSharesCommand) shares.MergePage(root);
        else if (command == wire::kSessionsCommand) sessions.MergePage(root);
        else files.MergePage(root);
    }
    return Now() - start;
}

void ClickHeader(HWND list, int column) {
    NMLISTVIEW click = {};
    click.hdr = {list, static_cast<UINT_PTR>(GetDlgCtrlID(list)), static_cast<UINT>(LVN_COLUMNCLICK)};
    click.iItem = -1;
    click.iSubItem = column;
    ::SendMessageW(GetParent(list), WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click));
}

}  // namespace

int main(int argc, char** argv) {
    vantrel::remote::MachineConfig config;
    config.scale = argc > 1 ? std::atoi(argv[1]) : 100;
    config.pageSize = argc > 2 ? std::atoi(argv[2]) : 1000;
    const int rounds = std::max(argc > 3 ? std::atoi(argv[3]) : 5, 1);
    vantrel::remote::RemoteMachine machine(config);

    TestHost host;
    std::vector<std::unique_ptr<Message>> recording;
    size_t bytes = 0;
    host.AnswerWith(
        [&](const Message& request) {
            auto answer = machine.Answer(request);
            if (request.Command() >= wire::kSharesCommand && request.Command() <= wire::kFilesCommand) {
                bytes += answer->Root().Find(ListNode(request.Command()))->Text().size();
                recording.push_back(answer->Clone());
            }
            return answer;
        },
        0);
    ISnapIn* snapIn = host.Open(wire::kSnapInId);
    if (!snapIn) {
        std::printf("the module could not be loaded\n");
        return 1;
    }
    HWND dialog = GetDlgItem(snapIn->GetWindow(), IDD_SHR_MAIN);
    HWND lists[3] = {GetDlgItem(dialog, IDC_SHR_SHARES), GetDlgItem(dialog, IDC_SHR_SESSIONS),
                     GetDlgItem(dialog, IDC_SHR_FILES)};
    host.Activate(snapIn);
    host.PumpUntil([&] { return Idle(host); }, 600000);
    // Every list sorted by its first column: each refill sorts again.
    for (HWND list : lists) ClickHeader(list, 0);
    host.AnswerWith({});

    BareList bare[3] = {BareList(host.Content()), BareList(host.Content()), BareList(host.Content())};
    double module = 1e300, reference = 1e300, model = 1e300, parse = 1e300;
    double best[3] = {1e300, 1e300, 1e300}, lastFill = 1e300;
    std::vector<double> ratios;
    for (int round = 0; round < rounds; ++round) {
        std::deque<std::unique_ptr<Message>> replay;
        for (const auto& answer : recording) replay.push_back(answer->Clone());
        double byCommand[3] = {};
        const double start = Now();
        ::SendMessageW(snapIn->GetWindow(), WM_COMMAND, MAKEWPARAM(ID_SHR_REFRESH, 0), 0);
        // Each answer makes the module ask for the next page at once.
        double lastFiles = 0;
        while (!replay.empty()) {
            std::unique_ptr<Message> answer = std::move(replay.front());
            replay.pop_front();
            const uint32_t command = answer->Command();
            const double before = Now();
            host.Deliver(std::move(answer));
            const double spent = Now() - before;
            byCommand[command - wire::kSharesCommand] += spent;
            if (command == wire::kFilesCommand) lastFiles = spent;
        }
        for (int c = 0; c < 3; ++c) best[c] = std::min(best[c], byCommand[c]);
        lastFill = std::min(lastFill, lastFiles);
        const double moduleRound = Now() - start;
        host.PumpFor(1);
        const double referenceRound = ReferenceRefresh(recording, bare);
        double parseRound = 0;
        model = std::min(model, ModelRefresh(recording, &parseRound));
        parse = std::min(parse, parseRound);
        module = std::min(module, moduleRound);
        reference = std::min(reference, referenceRound);
        ratios.push_back(moduleRound / referenceRound);
    }
    std::sort(ratios.begin(), ratios.end());
    int rows[3];
    for (int i = 0; i < 3; ++i) rows[i] = static_cast<int>(::SendMessageW(lists[i], LVM_GETITEMCOUNT, 0, 0));
    std::printf("refresh at scale %d: %d shares, %d sessions, %d open files (bare lists %d/%d/%d), %zu pages, "
                "%.1f MB of XML; best of %d rounds\n",
                config.scale, rows[0], rows[1], rows[2], bare[0].Count(), bare[1].Count(), bare[2].Count(),
                recording.size(), static_cast<double>(bytes) / 1e6, rounds);
    std::printf("module: parse, store, fill and sort   %10.1f ms\n", module);
    std::printf("  of which parse and store (model)     %10.1f ms\n", model);
    std::printf("  of which parse                       %10.1f ms\n", parse);
    std::printf("reference: parse, bare fill and sort  %10.1f ms\n", reference);
    std::printf("by answer: 701 %.1f, 702 %.1f, 703 %.1f ms; the last 703, which shows the open files, %.1f ms\n",
                best[0], best[1], best[2], lastFill);
    std::printf("ratio of the best %.2f, median of the rounds %.2f\n", module / reference, ratios[ratios.size() / 2]);
    return 0;
}
