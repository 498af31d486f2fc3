// Saving a log of about 200 MB to the console's disk under Wine: the
// simulated machine answers command 1 chunk by chunk and the module checks,
// decodes and writes each one. Reported: the module's own time (the machine's
// making of each chunk taken out) against the Base64
// decode alone of as many chunks of the same size, measured in the same run
// (and the writes alone of the same bytes),
// and the process's peak memory before and after. Run by hand:
//   wine build/windows/bin/eventviewer_save_bench.exe [MB [chunk bytes]]
#include "bench/wine/TransferHost.h"
#include "framework/text/Base64.h"
#include "snapins/eventviewer/EventViewerIds.h"
#include "snapins/eventviewer/model/Protocol.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using vantrel::bench::Now;
using vantrel::bench::PeakMegabytes;
namespace protocol = vantrel::eventviewer::protocol;

}  // namespace

int main(int argc, char** argv) {
    const int megabytes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    vantrel::remote::MachineConfig config;
    config.eventLogs.application = static_cast<int>((uint64_t(megabytes) << 20) / 392);
    config.eventLogs.copyChunkSize = argc > 2 ? std::max(1, std::atoi(argv[2])) : 8000;
    vantrel::remote::RemoteMachine machine(config);
    vantrel::bench::TransferHost host(machine, L"Event Viewer save benchmark");

    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::wstring target = std::wstring(folder) + L"vantrel-save-bench.evt";
    // The Save dialog answered as a user would: the console's disk, this path.
    vantrel::bench::DialogAnswerer answerer([&](HWND dialog, const std::wstring& caption) {
        if (caption != L"Save Event Log") return;
        CheckRadioButton(dialog, IDC_ELS_GUEST, IDC_ELS_HOST, IDC_ELS_HOST);
        SetDlgItemTextW(dialog, IDC_ELS_PATH, target.c_str());
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    });

    ISnapIn* snapIn = host.Open(protocol::kSnapInId);
    if (!snapIn) return 1;
    snapIn->QuerySupported();
    host.RunUntilIdle(10000);
    host.Activate();
    if (!host.RunUntilIdle(600000)) return 2;
    const double peakBefore = PeakMegabytes();

    host.Time(protocol::kCopyCommand);
    const double start = Now();
    ::SendMessageW(snapIn->GetWindow(), WM_COMMAND, ID_ELS_SAVE, 0);
    if (!host.RunUntilIdle(3600000)) return 3;
    const double wall = Now() - start;
    const double peakAfter = PeakMegabytes();
    const double machineTime = host.machineTime;
    const double moduleTime = host.moduleTime;
    const double lastTime = host.lastAnswerTime;
    const size_t copies = host.timedRequests;

    WIN32_FILE_ATTRIBUTE_DATA attributes = {};
    if (!GetFileAttributesExW(target.c_str(), GetFileExInfoStandard, &attributes)) return 4;
    const double bytes = static_cast<double>((uint64_t(attributes.nFileSizeHigh) << 32) | attributes.nFileSizeLow);
    DeleteFileW(target.c_str());

    // The reference: decoding as many chunks of the same size, nothing else.
    std::vector<uint8_t> chunk(static_cast<size_t>(config.eventLogs.copyChunkSize));
    for (size_t i = 0; i < chunk.size(); ++i) chunk[i] = static_cast<uint8_t>(i * 131 + 7);
    const std::string text = vantrel::Base64Encode(chunk.data(), chunk.size());
    size_t sink = 0;
    const double decodeStart = Now();
    for (size_t i = 0; i < copies; ++i) sink += vantrel::Base64Decode(text).size();
    const double decode = Now() - decodeStart;

    // And the floor of any save: the same chunks gathered and written to a
    // file a megabyte at a time, nothing else.
    HANDLE file = CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr);
    const double writeStart = Now();
    std::vector<uint8_t> block;
    block.reserve(1 << 20);
    for (size_t i = 0; i < copies; ++i) {
        block.insert(block.end(), chunk.begin(), chunk.end());
        if (block.size() >= (1 << 20) || i + 1 == copies) {
            DWORD written = 0;
            WriteFile(file, block.data(), static_cast<DWORD>(block.size()), &written, nullptr);
            block.clear();
        }
    }
    FlushFileBuffers(file);
    const double write = Now() - writeStart;
    CloseHandle(file);
    DeleteFileW(target.c_str());

    const double mb = bytes / (1 << 20);
    std::printf("saved %.1f MB in %zu chunks of %d bytes through the machine: %.0f ms, the machine's part %.0f ms\n", mb,
                copies, config.eventLogs.copyChunkSize, wall, machineTime);
    std::printf("module: %.0f ms, %.0f MB/s; Base64 decode alone: %.0f ms, %.0f MB/s (%zu bytes); ratio %.2f\n",
                moduleTime, mb / (moduleTime / 1000), decode, mb / (decode / 1000), sink, decode / moduleTime);
    std::printf("of which the last chunk, the file flushed to disk and renamed: %.0f ms; the chunks before: ratio %.2f\n",
                lastTime, decode / (moduleTime - lastTime));
    std::printf("writing the same chunks alone: %.0f ms, %.0f MB/s\n", write, mb / (write / 1000));
    std::printf("peak working set: %.1f MB before the save, %.1f MB after\n", peakBefore, peakAfter);
    return 0;
}
