// Exporting a key of about 200 MB to the console's disk and importing the
// file again, under Wine: the simulated machine answers 509 and 508 chunk by
// chunk, the module checks, decodes and writes (export) or reads and encodes
// (import) each one. Reported: the module's own time (the machine's part
// taken out) against the Base64 decode (export) and encode (import) alone of
// as many chunks of the same size, measured in the same run, and the
// process's peak memory before and after each. Run by hand:
//   wine build/windows/bin/registry_transfer_bench.exe [1 MB values [export chunk bytes]]
#include "bench/wine/TransferHost.h"
#include "framework/model/Answer.h"
#include "framework/text/Base64.h"
#include "hostkit/MessageTree.h"
#include "snapins/registry/RegistryIds.h"
#include "snapins/registry/model/Protocol.h"
#include "tests/host/TreeView.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using vantrel::bench::Now;
using vantrel::bench::PeakMegabytes;
using vantrel::bench::TransferHost;
namespace wire = vantrel::registry::protocol;

// Opens the keys of the path one by one, as a user clicks them, and selects the last.
bool OpenKey(TransferHost& host, HWND tree, std::initializer_list<const wchar_t*> path) {
    HTREEITEM item = vantrel::test::TreeRoot(tree);
    for (const wchar_t* name : path) {
        ::SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
        if (!host.RunUntilIdle(600000)) return false;
        item = vantrel::test::TreeChild(tree, item, name);
        if (!item) return false;
    }
    SetFocus(tree);
    ::SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    return host.RunUntilIdle(600000);
}

uint64_t FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA attributes = {};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &attributes)) return 0;
    return (uint64_t(attributes.nFileSizeHigh) << 32) | attributes.nFileSizeLow;
}

// Base64 of as many chunks of the same size as the transfer moved, one way.
template <typename Work>
double ReferenceTime(size_t chunks, Work&& work) {
    const double start = Now();
    for (size_t i = 0; i < chunks; ++i) work();
    return Now() - start;
}

std::vector<uint8_t> Pattern(size_t size) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 131 + 7);
    return bytes;
}

}  // namespace

int main(int argc, char** argv) {
    vantrel::remote::MachineConfig config;
    config.registry.classes = 30;
    config.registry.manyValues = 20;
    config.registry.bulkValues = argc > 1 ? std::max(1, std::atoi(argv[1])) : 32;
    config.registry.exportChunkSize = argc > 2 ? std::max(1, std::atoi(argv[2])) : 65536;
    vantrel::remote::RemoteMachine machine(config);
    TransferHost host(machine, L"Registry transfer benchmark");

    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::wstring file = std::wstring(folder) + L"vantrel-registry-bench.reg";
    DeleteFileW(file.c_str());
    // The file dialogs answered as a user would: this path.
    vantrel::bench::DialogAnswerer answerer([&](HWND dialog, const std::wstring& caption) {
        if (caption != L"Export Registry File" && caption != L"Import Registry File") return;
        for (int edit : {0x47C, 0x480}) SetDlgItemTextW(dialog, edit, file.c_str());
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    });

    ISnapIn* snapIn = host.Open(wire::kSnapInId);
    if (!snapIn) return 1;
    host.Activate();
    if (!host.RunUntilIdle(60000)) return 2;
    HWND tree = GetDlgItem(GetDlgItem(snapIn->GetWindow(), IDC_REG_PANES), IDC_REG_TREE);
    if (!OpenKey(host, tree, {L"HKEY_CURRENT_USER", L"Software", L"Vantrel", L"Bulk"})) return 3;

    // ---- export ----
    // The machine makes the whole file when its first chunk is asked for: it
    // does so once before, so that the peak before holds the machine's share
    // and what the module adds shows.
    for (uint64_t at = 0, size = 1; at < size;) {
        vantrel::host::Message request(wire::kExportCommand, wire::kSnapInId, 1);
        request.Root().ChildNode(wire::kKeyNode).SetLong(static_cast<int32_t>(0x80000001u));
        request.Root().ChildNode(wire::kSubkeyNode).SetText(vantrel::EncodeUtf16Base64(u"Software\\Vantrel\\Bulk"));
        request.Root().ChildNode(wire::kStartAtHighNode).SetLong(static_cast<int32_t>(at >> 32));
        request.Root().ChildNode(wire::kStartAtLowNode).SetLong(static_cast<int32_t>(at));
        const std::unique_ptr<vantrel::host::Message> answer = machine.Answer(request);
        const auto half = [&](const char* name) { return static_cast<uint32_t>(answer->Root().Find(name)->AsLong()); };
        if (!answer || answer->Root().Find(vantrel::kRetValueNode)->AsLong() != 0) return 8;
        at = (uint64_t{half(wire::kUpToHighNode)} << 32) | half(wire::kUpToLowNode);
        size = (uint64_t{half(wire::kFileSizeHighNode)} << 32) | half(wire::kFileSizeLowNode);
    }
    const double peakBeforeExport = PeakMegabytes();
    host.Time(wire::kExportCommand);
    double start = Now();
    ::SendMessageW(snapIn->GetWindow(), WM_COMMAND, ID_REG_EXPORT, 0);
    if (!host.RunUntilIdle(3600000)) return 4;
    const double exportWall = Now() - start;
    const double exportModule = host.moduleTime;
    const double exportLast = host.lastAnswerTime;
    const double exportMachine = host.machineTime;
    const size_t exportChunks = host.timedRequests;
    const double peakAfterExport = PeakMegabytes();
    const uint64_t bytes = FileSize(file);
    if (bytes == 0) return 5;

    const std::string exportText = [&] {
        const std::vector<uint8_t> chunk = Pattern(static_cast<size_t>(config.registry.exportChunkSize));
        return vantrel::Base64Encode(chunk.data(), chunk.size());
    }();
    size_t sink = 0;
    const double decode = ReferenceTime(exportChunks, [&] { sink += vantrel::Base64Decode(exportText).size(); });

    // ---- import ----
    const double peakBeforeImport = PeakMegabytes();
    host.Time(wire::kImportCommand);
    start = Now();
    ::SendMessageW(snapIn->GetWindow(), WM_COMMAND, ID_REG_IMPORT, 0);
    if (!host.RunUntilIdle(3600000)) return 6;
    const double importWall = Now() - start;
    const double importModule = host.moduleTime;
    const double importMachine = host.machineTime;
    const size_t importChunks = host.timedRequests;
    const double peakAfterImport = PeakMegabytes();
    DeleteFileW(file.c_str());
    if (importChunks != (bytes + wire::kImportChunk - 1) / wire::kImportChunk) return 7;

    const std::vector<uint8_t> importChunk = Pattern(wire::kImportChunk);
    const double encode =
        ReferenceTime(importChunks, [&] { sink += vantrel::Base64Encode(importChunk.data(), importChunk.size()).size(); });

    const double mb = static_cast<double>(bytes) / (1 << 20);
    std::printf("export: %.1f MB in %zu chunks of %d bytes: %.0f ms, the machine's part %.0f ms\n", mb, exportChunks,
                config.registry.exportChunkSize, exportWall, exportMachine);
    std::printf("  module: %.0f ms, %.0f MB/s; Base64 decode alone: %.0f ms, %.0f MB/s; ratio %.2f\n", exportModule,
                mb / (exportModule / 1000), decode, mb / (decode / 1000), decode / exportModule);
    std::printf("  of which the last chunk, the file flushed to disk and renamed: %.0f ms; the chunks before: ratio %.2f\n",
                exportLast, decode / (exportModule - exportLast));
    std::printf("  peak working set: %.1f MB before, %.1f MB after\n", peakBeforeExport, peakAfterExport);
    std::printf("import: %.1f MB in %zu chunks of %zu bytes: %.0f ms, the machine's part %.0f ms\n", mb, importChunks,
                wire::kImportChunk, importWall, importMachine);
    std::printf("  module: %.0f ms, %.0f MB/s; Base64 encode alone: %.0f ms, %.0f MB/s; ratio %.2f\n", importModule,
                mb / (importModule / 1000), encode, mb / (encode / 1000), encode / importModule);
    std::printf("  peak working set: %.1f MB before, %.1f MB after (%zu)\n", peakBeforeImport, peakAfterImport, sink);
    return 0;
}
