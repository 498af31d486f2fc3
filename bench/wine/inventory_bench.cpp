// Timing of the Inventory under Wine, in one run:
// 1. The machine's inventory at scale 100 (20,000 installed applications,
//    about 30 MB) read, parsed and shown as a tree by the module, from the
//    Refresh to the end of the busy state, against the XML parse of the same
//    text plus a bare TVM_INSERTITEM loop of the same items.
// 2. A category of 20,000 fields selected: the list filled by the module,
//    against a bare fill of the same texts.
// Run by hand: wine build/windows/bin/inventory_bench.exe [rounds]
#include "bench/wine/BenchKit.h"
#include "framework/text/Utf8.h"
#include "framework/xml/Xml.h"
#include "remote/RemoteMachine.h"
#include "remote/inventory/InventoryData.h"
#include "snapins/inventory/InventoryIds.h"
#include "snapins/inventory/model/InventoryDocument.h"
#include "snapins/inventory/model/Protocol.h"
#include "tests/host/TestHost.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using vantrel::host::Message;
namespace wire = vantrel::inventory::protocol;

using vantrel::bench::Time;

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// The parse alone and a bare tree of the same items (texts as the document
// holds them, converted the same way).
double BareTree(HWND parent, const std::string& text) {
    return Time([&] {
        vantrel::CXmlElement root;
        vantrel::CXmlOptions options;
        root.Parse(text.c_str() + text.find("<Inventory"), options);
        HWND tree = CreateWindowExW(0, WC_TREEVIEWW, nullptr, WS_CHILD | TVS_HASLINES | TVS_HASBUTTONS, 0, 0, 400, 600,
                                    parent, nullptr, GetModuleHandleW(nullptr), nullptr);
        ::SendMessageW(tree, WM_SETREDRAW, FALSE, 0);
        std::vector<std::pair<const vantrel::CXmlElement*, HTREEITEM>> pending;
        for (int i = root.GetChildCount() - 1; i >= 0; --i) pending.emplace_back(root.GetChild(i), TVI_ROOT);
        TVINSERTSTRUCTW insert = {};
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
        while (!pending.empty()) {
            auto [element, parentItem] = pending.back();
            pending.pop_back();
            const char* name = element->GetAttribute("Application_Name");
            const std::u16string utf16 = vantrel::Utf8ToUtf16(name ? std::string_view(name) : element->Name());
            std::wstring label(utf16.begin(), utf16.end());
            insert.hParent = parentItem;
            insert.item.pszText = label.data();
            auto item = reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
            for (int i = element->GetChildCount() - 1; i >= 0; --i) pending.emplace_back(element->GetChild(i), item);
        }
        DestroyWindow(tree);
    });
}

// A list like the module's: shown, of the same size, in the same window.
double BareList(HWND like, const std::vector<std::pair<std::wstring, std::wstring>>& rows) {
    RECT place = {};
    GetWindowRect(like, &place);
    MapWindowPoints(nullptr, GetParent(like), reinterpret_cast<POINT*>(&place), 2);
    HWND list = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, nullptr, WS_CHILD | WS_VISIBLE | LVS_REPORT, place.left,
                                place.top, place.right - place.left, place.bottom - place.top, GetParent(like), nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    LVCOLUMNW column = {};
    column.mask = LVCF_WIDTH;
    column.cx = 200;
    ::SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    ::SendMessageW(list, LVM_INSERTCOLUMNW, 1, reinterpret_cast<LPARAM>(&column));
    const double ms = Time([&] {
        ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
        for (size_t i = 0; i < rows.size(); ++i)
            vantrel::bench::InsertBareRow(list, static_cast<int>(i), {rows[i].first.c_str(), rows[i].second.c_str()}, 0);
        ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    });
    DestroyWindow(list);
    return ms;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / ("inventory-bench-" + std::to_string(GetCurrentProcessId()));
    fs::create_directories(folder);

    vantrel::remote::MachineConfig config;
    config.scale = 100;
    const fs::path large = folder / "large.xml";
    std::ofstream(large, std::ios::binary) << vantrel::remote::InventoryXml(config, 0);
    std::string wide = "<Inventory><Custom_Items><Custom_Item Custom_Item_Name='wide'";
    for (int i = 0; i < 20000; ++i) wide += " Field_" + std::to_string(i) + "='value " + std::to_string(i * 7) + "'";
    wide += "/></Custom_Items></Inventory>";
    const fs::path widePath = folder / "wide.xml";
    std::ofstream(widePath, std::ios::binary) << wide;

    vantrel::test::TestHost host;
    fs::path answered = large;
    host.AnswerWith(
        [&](const Message& request) {
            auto answer = host.MakeAnswer(wire::kSnapInId, request.Command());
            answer->Root().ChildNode(wire::kFileNameNode).SetText(answered.string());
            return answer;
        },
        0);
    ISnapIn* snapIn = host.Open(wire::kSnapInId);
    HWND window = snapIn->GetWindow();
    HWND splitter = GetDlgItem(window, IDC_INV_SPLITTER);
    HWND tree = GetDlgItem(splitter, IDC_INV_TREE);
    HWND list = GetDlgItem(splitter, IDC_INV_LIST);
    auto idle = [&] { return host.BusyDepth() == 0 && host.PendingAnswers() == 0; };
    host.Activate(snapIn);
    host.PumpUntil(idle, 60000);

    const std::string text = ReadAll(large);
    std::printf("inventory of %.1f MB, %d tree items\n", static_cast<double>(text.size()) / 1e6,
                static_cast<int>(::SendMessageW(tree, TVM_GETCOUNT, 0, 0)));
    double bestModule = 1e30, bestBare = 1e30;
    for (int round = 0; round < rounds; ++round) {
        const double module = Time([&] {
            ::SendMessageW(window, WM_COMMAND, ID_INV_REFRESH, 0);
            host.PumpUntil(idle, 60000);
        });
        const double bare = BareTree(window, text);
        std::printf("round %d: module %.0f ms, parse and bare tree %.0f ms, ratio %.2f\n", round, module, bare, module / bare);
        bestModule = std::min(bestModule, module);
        bestBare = std::min(bestBare, bare);
    }
    std::printf("tree best: module %.0f ms, reference %.0f ms, ratio %.2f (goal 1.5)\n", bestModule, bestBare,
                bestModule / bestBare);

    answered = widePath;
    ::SendMessageW(window, WM_COMMAND, ID_INV_REFRESH, 0);
    host.PumpUntil(idle, 60000);
    HTREEITEM items = reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    HTREEITEM item = reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(items)));
    std::vector<std::pair<std::wstring, std::wstring>> rows;
    double bestFill = 1e30, bestBareFill = 1e30;
    for (int round = 0; round < rounds; ++round) {
        ::SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(items));
        const double fill = Time([&] { ::SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item)); });
        if (rows.empty())
            for (int i = 0; i < static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); ++i)
                rows.emplace_back(vantrel::test::ListViewText(list, i, 0), vantrel::test::ListViewText(list, i, 1));
        const double bare = BareList(list, rows);
        std::printf("round %d: %zu rows, module %.1f ms, bare fill %.1f ms, ratio %.2f\n", round, rows.size(), fill, bare,
                    fill / bare);
        bestFill = std::min(bestFill, fill);
        bestBareFill = std::min(bestBareFill, bare);
    }
    std::printf("list best: module %.1f ms, reference %.1f ms, ratio %.2f (goal 1.2)\n", bestFill, bestBareFill,
                bestFill / bestBareFill);
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    return 0;
}
