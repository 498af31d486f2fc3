// Timing of the Registry under Wine: a key of 100,000 subkeys (every fifth
// with subkeys of its own) listed in pages of 1,000 into the real tree when
// the user expands it, against a bare TVM_INSERTITEM loop of the same names
// (and placeholders) into a tree view in the same run; then a key of 100,000
// values selected into the owner-data list. Run by hand:
//   build/windows/wine-run build/windows/bin/registry_bench.exe [runs]
// The machine's answers are made before the clock starts, so that only the
// snap-in's own work (parsing, the model, the tree) is timed.
#include "TestListSnapIn.h"
#include "framework/model/Answer.h"
#include "framework/text/Base64.h"
#include "framework/xml/Xml.h"
#include "remote/RemoteMachine.h"
#include "snapins/registry/RegistryIds.h"
#include "snapins/registry/RegistrySnapIn.h"
#include "snapins/registry/model/Protocol.h"
#include "tests/host/TestHost.h"
#include "tests/host/TreeView.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

using vantrel::host::Message;
namespace wire = vantrel::registry::protocol;
constexpr uint32_t kClassesRoot = 0x80000000u;
constexpr uint32_t kCurrentUser = 0x80000001u;

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

template <typename F>
double Time(F&& work) {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    work();
    QueryPerformanceCounter(&end);
    return Milliseconds(start, end);
}

std::string ListRequest(uint32_t rootKey, std::u16string_view path, uint32_t startAt) {
    return "<RegKey StartAt='" + std::to_string(startAt) + "' Key='" + std::to_string(rootKey) + "' SubKey='" +
           vantrel::EncodeUtf16Base64(path) + "' />";
}

// Every page of a key's listing, made once and keyed by the request's text.
void AddAnswers(vantrel::remote::RemoteMachine& machine, uint32_t rootKey, std::u16string_view path,
                std::map<std::string, std::unique_ptr<Message>>& answers) {
    for (uint32_t start = wire::kFirstPage;;) {
        Message request(wire::kListCommand, wire::kSnapInId, 1);
        const std::string text = ListRequest(rootKey, path, start);
        request.Root().ChildNode(wire::kItemsNode).SetText(text);
        auto answer = machine.Answer(request);
        vantrel::CXmlElement root;
        vantrel::ParseAnswer(answer->Root().ChildNode(wire::kItemsNode).Text(), root);
        const int64_t upTo = vantrel::ReadInt64(root, "UpTo");
        const int64_t total = vantrel::ReadInt64(root, "Total");
        answers[text] = std::move(answer);
        if (upTo + 1 >= total) break;
        start = static_cast<uint32_t>(upTo + 1);
    }
}

struct Entry {
    std::wstring name;
    bool hasChildren;
};

std::vector<Entry> KeysOf(const std::map<std::string, std::unique_ptr<Message>>& answers, std::u16string_view path) {
    std::vector<Entry> keys;
    for (const auto& [request, answer] : answers) {
        if (request.find(vantrel::EncodeUtf16Base64(path)) == std::string::npos) continue;
        vantrel::CXmlElement root;
        vantrel::ParseAnswer(answer->Root().Find(wire::kItemsNode)->Text(), root);
        for (int i = 0; i < root.GetChildCount(); ++i) {
            const std::u16string name = vantrel::ReadText(*root.GetChild(i), "Name");
            keys.push_back({std::wstring(name.begin(), name.end()), vantrel::ReadBool(*root.GetChild(i), "HasCh")});
        }
    }
    return keys;
}

// The reference: the same names (and a placeholder under each key with
// subkeys) inserted one by one below a collapsed item, then expanded.
double BareTreeFill(HWND parent, std::vector<Entry>& keys) {
    HWND tree = CreateWindowExW(0, WC_TREEVIEWW, nullptr,
                                WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT, 0, 0, 300, 400,
                                parent, nullptr, nullptr, nullptr);
    TVINSERTSTRUCTW insert = {};
    insert.hParent = TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT;
    insert.item.pszText = const_cast<wchar_t*>(L"CLSID");
    auto top = reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    const double ms = Time([&] {
        ::SendMessageW(tree, WM_SETREDRAW, FALSE, 0);
        for (Entry& key : keys) {
            insert.hParent = top;
            insert.item.pszText = key.name.data();
            auto item = reinterpret_cast<HTREEITEM>(
                ::SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
            if (!key.hasChildren) continue;
            insert.hParent = item;
            insert.item.pszText = const_cast<wchar_t*>(L"");
            ::SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert));
        }
        ::SendMessageW(tree, WM_SETREDRAW, TRUE, 0);
        ::SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(top));
        UpdateWindow(tree);
    });
    DestroyWindow(tree);
    return ms;
}

}  // namespace

int main(int argc, char** argv) {
    vantrel::test::StartModuleInThisProcess();
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;

    vantrel::remote::MachineConfig config;
    config.scale = 100;
    config.registry.pageSize = 1000;
    vantrel::remote::RemoteMachine machine(config);
    std::map<std::string, std::unique_ptr<Message>> answers;
    AddAnswers(machine, kClassesRoot, u"CLSID", answers);
    AddAnswers(machine, kCurrentUser, u"Software\\Vantrel\\Many Values", answers);
    std::vector<Entry> keys = KeysOf(answers, u"CLSID");
    std::printf("CLSID: %zu subkeys in pages of %d\n", keys.size(), *config.registry.pageSize);

    vantrel::test::TestHost host;
    host.AnswerWith(
        [&](const Message& request) {
            if (const auto* items = request.Root().Find(wire::kItemsNode)) {
                const auto found = answers.find(items->Text());
                if (found != answers.end()) return found->second->Clone();
            }
            return machine.Answer(request);
        },
        0);
    auto idle = [&] { return host.BusyDepth() == 0 && host.PendingAnswers() == 0; };

    for (int run = 0; run < runs; ++run) {
        vantrel::CRegistrySnapIn snapIn(&host);
        host.Adopt(&snapIn);
        host.Activate(&snapIn);
        host.PumpUntil(idle, 60000);
        HWND panes = GetDlgItem(snapIn.GetWindow(), IDC_REG_PANES);
        HWND tree = GetDlgItem(panes, IDC_REG_TREE);
        HWND list = GetDlgItem(panes, IDC_REG_LIST);
        snapIn.NavigateTo({kClassesRoot, u"", u"", false});
        host.PumpUntil(idle, 60000);
        HTREEITEM classes = vantrel::test::TreeSelection(tree);
        ::SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(classes));
        host.PumpUntil(idle, 60000);
        HTREEITEM clsid = vantrel::test::TreeChild(tree, classes, L"CLSID");
        const double expand = Time([&] {
            ::SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(clsid));
            host.PumpUntil(idle, 120000);
            UpdateWindow(tree);
        });
        const size_t shown = vantrel::test::TreeChildren(tree, clsid).size();
        const double bare = BareTreeFill(host.Content(), keys);

        const double values = Time([&] {
            snapIn.NavigateTo({kCurrentUser, u"Software\\Vantrel\\Many Values", u"", false});
            host.PumpUntil(idle, 120000);
            UpdateWindow(list);
        });
        const int rows = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
        std::printf(
            "run %d: expand CLSID %.0f ms (%zu keys); bare insert loop %.0f ms; ratio %.2f; "
            "100,000 values listed into the owner-data list %.0f ms (%d rows)\n",
            run + 1, expand, shown, bare, expand / bare, values, rows);
        host.DetachAllSnapIns();
    }
    return 0;
}
