// Timing of the Services list under Wine: 5,000 services in pages of 500
// parsed, stored and shown through the snap-in of the module, against the
// XML parse of the same pages plus a bare list-view fill of the same rows, in
// the same run; and the heap a stored service takes. Run by hand:
//   wine build/windows/bin/services_bench.exe [machine scale 1-100] [page size]
// (scale 100, the default, is 5,000 services)
#include "bench/wine/WallClock.h"
#include "framework/model/Answer.h"
#include "framework/text/Base64.h"
#include "framework/xml/Xml.h"
#include "remote/RemoteMachine.h"
#include "snapins/services/model/ServiceModel.h"
#include "tests/host/TestHost.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <new>
#include <string>

// ---- heap bytes asked for by this program (not by the module, which has its own runtime) ----

namespace {

size_t g_liveBytes = 0;

struct alignas(16) Header {
    size_t size;
};

}  // namespace

void* operator new(size_t size) {
    auto* header = static_cast<Header*>(std::malloc(sizeof(Header) + size));
    if (!header) throw std::bad_alloc();
    header->size = size;
    g_liveBytes += size;
    return header + 1;
}

void operator delete(void* pointer) noexcept {
    if (!pointer) return;
    Header* header = static_cast<Header*>(pointer) - 1;
    g_liveBytes -= header->size;
    std::free(header);
}

void operator delete(void* pointer, size_t) noexcept { operator delete(pointer); }

namespace {

using vantrel::host::Message;
constexpr int32_t kServices = 15005;
constexpr int kRefresh = 2556;
constexpr int kList = 15106;

using vantrel::bench::Milliseconds;
using vantrel::bench::Time;

int64_t StartAtOf(const Message& request) {
    const auto* body = request.Root().Find("Services");
    const std::string text = body ? body->Text() : "";
    const size_t at = text.find("StartAt='");
    return at == std::string::npos ? -1 : std::stoll(text.substr(at + 9));
}

std::string ListRequestText(int64_t startAt) { return "<Services StartAt='" + std::to_string(startAt) + "' />"; }

// The answers of the machine to a whole listing, by StartAt, made once.
struct Listing {
    std::vector<std::pair<int64_t, std::unique_ptr<Message>>> pages;

    std::unique_ptr<Message> AnswerTo(int64_t startAt) const {
        for (const auto& [start, answer] : pages)
            if (start == startAt) return answer->Clone();
        return nullptr;
    }
};

Listing MakeListing(vantrel::remote::RemoteMachine& machine) {
    Listing listing;
    int64_t startAt = -1;
    for (;;) {
        Message request(601, kServices, 1);
        request.Root().ChildNode("Services").SetText(ListRequestText(startAt));
        auto answer = machine.Answer(request);
        vantrel::CXmlElement root;
        vantrel::ParseAnswer(answer->Root().ChildNode("Services").Text(), root);
        const int64_t upTo = vantrel::ReadInt64(root, "UpTo");
        const int64_t total = vantrel::ReadInt64(root, "Total");
        listing.pages.emplace_back(startAt, std::move(answer));
        if (upTo >= total) break;
        startAt = upTo;
    }
    return listing;
}

// ---- the reference: parse, decode the shown texts, insert them into a bare list ----

HWND BareList(HWND parent) {
    HWND list = CreateWindowExW(0, WC_LISTVIEWW, nullptr, WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 800, 600, parent,
                                nullptr, nullptr, nullptr);
    for (int i = 0; i < 5; ++i) {
        LVCOLUMNW column = {};
        column.mask = LVCF_WIDTH;
        column.cx = 100;
        ::SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
    return list;
}

std::wstring Decoded(const vantrel::CXmlElement& element, const char* name) {
    const std::u16string text = vantrel::DecodeUtf16Base64(element.GetAttribute(name));
    return std::wstring(text.begin(), text.end());
}

void BareFill(HWND list, const Listing& listing) {
    static const wchar_t* const kStates[] = {L"Unknown", L"Stopped", L"Starting", L"Stopping", L"Started",
                                             L"Continuing", L"Pausing", L"Paused"};
    static const wchar_t* const kStartup[] = {L"Boot", L"System", L"Automatic", L"Manual", L"Disabled"};
    ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    int row = 0;
    for (const auto& [startAt, answer] : listing.pages) {
        vantrel::CXmlElement root;
        vantrel::ParseAnswer(answer->Root().ChildNode("Services").Text(), root);
        for (int i = 0; i < root.GetChildCount(); ++i, ++row) {
            const vantrel::CXmlElement& service = *root.GetChild(i);
            std::wstring texts[5] = {Decoded(service, "DisplayName"), Decoded(service, "Description"),
                                     kStates[std::clamp(service.GetAttributeInt("State"), 0, 7)],
                                     kStartup[std::clamp(service.GetAttributeInt("StartupType"), 0, 4)],
                                     Decoded(service, "StartName")};
            LVITEMW item = {};
            item.mask = LVIF_TEXT | LVIF_PARAM;
            item.iItem = row;
            item.pszText = texts[0].data();
            item.lParam = row;
            const int index = static_cast<int>(::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
            for (int column = 1; column < 5; ++column) {
                LVITEMW sub = {};
                sub.iSubItem = column;
                sub.pszText = texts[column].data();
                ::SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&sub));
            }
        }
    }
    ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
}

// ---- the snap-in: a refresh answered page by page, without waiting ----

class SnapInRun {
public:
    SnapInRun(vantrel::test::TestHost& host, const Listing& listing) : host_(host), listing_(listing) {
        host_.AnswerWith([this](const Message& request) -> std::unique_ptr<Message> {
            if (request.Command() == 601) asked_.push_back(StartAtOf(request));
            return nullptr;
        });
        snapIn_ = host_.Open(kServices);
        list_ = GetDlgItem(GetDlgItem(snapIn_->GetWindow(), 2000), kList);
        host_.Activate(snapIn_);
        AnswerAll();
    }

    HWND List() const { return list_; }
    void Refresh() {
        ::SendMessageW(snapIn_->GetWindow(), WM_COMMAND, kRefresh, 0);
        AnswerAll();
    }
    void SortByName() {
        NMLISTVIEW click = {};
        click.hdr.hwndFrom = list_;
        click.hdr.idFrom = kList;
        click.hdr.code = LVN_COLUMNCLICK;
        click.iItem = -1;
        ::SendMessageW(snapIn_->GetWindow(), WM_NOTIFY, kList, reinterpret_cast<LPARAM>(&click));
    }
    // Answers made before the clock starts: copying them is not what is measured.
    void Prepare() {
        ready_.clear();
        for (const auto& page : listing_.pages) ready_.emplace_back(page.first, listing_.AnswerTo(page.first));
    }

private:
    void AnswerAll() {
        while (!asked_.empty()) {
            const int64_t startAt = asked_.front();
            asked_.pop_front();
            std::unique_ptr<Message> answer;
            for (auto& [start, prepared] : ready_)
                if (start == startAt && prepared) answer = std::move(prepared);
            if (!answer) answer = listing_.AnswerTo(startAt);
            host_.Deliver(std::move(answer));
        }
    }

    vantrel::test::TestHost& host_;
    const Listing& listing_;
    ISnapIn* snapIn_ = nullptr;
    HWND list_ = nullptr;
    std::deque<int64_t> asked_;
    std::vector<std::pair<int64_t, std::unique_ptr<Message>>> ready_;
};

struct StoreMemory {
    double bytes = 0;      // heap per stored service
    double textBytes = 0;  // of which the five texts' characters
};

// Heap bytes of a store holding the listing, per service.
StoreMemory MeasureStore(const Listing& listing) {
    vantrel::services::ServiceStore store;
    const size_t before = g_liveBytes;
    for (const auto& [startAt, answer] : listing.pages) {
        vantrel::CXmlElement root;
        vantrel::ParseAnswer(answer->Root().ChildNode("Services").Text(), root);
        store.MergePage(root);
    }
    StoreMemory memory;
    if (store.Count() == 0) return memory;
    size_t text = 0;
    for (const auto& service : store.Records())
        text += 2 * (service.name.size() + service.displayName.size() + service.description.size() +
                     service.servicePath.size() + service.startName.size());
    memory.bytes = static_cast<double>(g_liveBytes - before) / static_cast<double>(store.Count());
    memory.textBytes = static_cast<double>(text) / static_cast<double>(store.Count());
    return memory;
}

}  // namespace

int main(int argc, char** argv) {
    vantrel::remote::MachineConfig config;
    config.scale = 100;
    config.pageSize = 500;
    if (argc > 1) config.scale = std::clamp(std::atoi(argv[1]), 1, 100);
    if (argc > 2) config.pageSize = std::clamp(std::atoi(argv[2]), 1, 100000);
    vantrel::remote::RemoteMachine machine(config);
    const Listing listing = MakeListing(machine);

    vantrel::test::TestHost host;
    SnapInRun snapIn(host, listing);
    HWND bare = BareList(host.Content());
    const int rows = static_cast<int>(::SendMessageW(snapIn.List(), LVM_GETITEMCOUNT, 0, 0));

    // Best of several rounds, alternating which side goes first.
    double ours = 1e300, sorted = 1e300, reference = 1e300;
    constexpr int kRounds = 6;
    for (int round = 0; round < kRounds; ++round) {
        ::SendMessageW(bare, LVM_DELETEALLITEMS, 0, 0);
        snapIn.Prepare();
        if (round % 2) ours = std::min(ours, Time([&] { snapIn.Refresh(); }));
        reference = std::min(reference, Time([&] { BareFill(bare, listing); }));
        if (round % 2 == 0) ours = std::min(ours, Time([&] { snapIn.Refresh(); }));
    }
    snapIn.SortByName();
    for (int round = 0; round < 3; ++round) {
        snapIn.Prepare();
        sorted = std::min(sorted, Time([&] { snapIn.Refresh(); }));
    }
    std::printf("%d services in %zu pages of %d\n", rows, listing.pages.size(), config.pageSize);
    std::printf("%-44s %10.1f ms\n", "snap-in: refresh, parse, store, fill", ours);
    std::printf("%-44s %10.1f ms\n", "reference: parse, decode, bare fill", reference);
    std::printf("%-44s %10.2f\n", "ratio", ours / reference);
    std::printf("%-44s %10.1f ms\n", "snap-in, sorted by name", sorted);
    const StoreMemory memory = MeasureStore(listing);
    std::printf("%-44s %10.0f bytes\n", "heap per stored service", memory.bytes);
    std::printf("%-44s %10.0f bytes\n", "  of which the characters of its five texts", memory.textBytes);
    return 0;
}
