// Saving a log of about 200 MB to the console's disk under Wine: the
// simulated machine answers command 1 chunk by chunk and the module checks,
// decodes and writes each one. Reported: the module's own time (the machine's
// making of each chunk taken out) against the Base64
// decode alone of as many chunks of the same size, measured in the same run
// (and the writes alone of the same bytes),
// and the process's peak memory before and after. Run by hand:
//   wine build/windows/bin/eventviewer_save_bench.exe [MB [chunk bytes]]
#define PSAPI_VERSION 2
#include "bench/wine/BenchKit.h"
#include "framework/text/Base64.h"
#include "hostwin/HostFrame.h"
#include "remote/RemoteMachine.h"
#include "snapins/eventviewer/EventViewerIds.h"
#include "snapins/eventviewer/model/Protocol.h"
#include "tests/host/TestHost.h"

#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace {

using vantrel::bench::Now;
using vantrel::host::Message;
namespace protocol = vantrel::eventviewer::protocol;

double PeakMegabytes() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return static_cast<double>(counters.PeakWorkingSetSize) / (1 << 20);
}

std::wstring g_target;

// The Save dialog answered as a user would: the console's disk, this path.
LRESULT CALLBACK AnswerSaveDialog(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        HWND dialog = reinterpret_cast<HWND>(wParam);
        wchar_t caption[64] = {};
        GetWindowTextW(dialog, caption, 64);
        if (std::wstring(caption) == L"Save Event Log") {
            CheckRadioButton(dialog, IDC_ELS_GUEST, IDC_ELS_HOST, IDC_ELS_HOST);
            SetDlgItemTextW(dialog, IDC_ELS_PATH, g_target.c_str());
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// A console that answers from the simulated machine and delivers the answers
// itself, so that the module's time can be told from the machine's.
class BenchHost final : public vantrel::host::HostFrame {
public:
    explicit BenchHost(vantrel::remote::RemoteMachine& machine) : machine_(machine) {
        CreateFrame(L"Event Viewer save benchmark", true);
        list_ = vantrel::test::ModuleUnderTest::CreateList(this);
    }
    ~BenchHost() override {
        if (list_) list_->Release();
        DetachAllSnapIns();
    }
    ISnapIn* Open(int32_t id) {
        snapIn_ = list_ ? list_->GetSnapIn(id) : nullptr;
        if (!snapIn_) return nullptr;
        AttachSnapIn(snapIn_);
        snapIn_->Create(Content());
        return snapIn_;
    }
    void Activate() {
        SetActiveSnapIn(snapIn_);
        snapIn_->Activate();
    }
    // Delivers what is waiting and pumps the window messages until idle.
    bool RunUntilIdle(unsigned timeoutMs) {
        const ULONGLONG end = GetTickCount64() + timeoutMs;
        for (;;) {
            // Answers first: the window messages are looked at only when none
            // waits, as a console's loop would find the answers queued.
            while (!answers_.empty()) {
                std::unique_ptr<Message> answer = std::move(answers_.front());
                answers_.pop_front();
                const bool copy = answer->Command() == protocol::kCopyCommand;
                const double machineBefore = machineTime_;
                const double start = Now();
                snapIn_->GetAnswerSink()->OnAnswer(answer.release());
                // The module's part: the answer's handling less the machine's
                // making of the next chunk inside it.
                if (copy) moduleTime_ += Now() - start - (machineTime_ - machineBefore);
            }
            PumpPending();
            if (answers_.empty() && BusyDepth() == 0) return true;
            if (GetTickCount64() > end) return false;
            if (answers_.empty()) MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
        }
    }
    double machineTime_ = 0;
    double moduleTime_ = 0;
    size_t copies_ = 0;

protected:
    void OnRequest(std::unique_ptr<Message> request) override {
        copies_ += request->Command() == protocol::kCopyCommand;
        const double start = Now();
        std::unique_ptr<Message> answer = machine_.Answer(*request);
        machineTime_ += Now() - start;
        if (answer) answers_.push_back(std::move(answer));
    }

private:
    vantrel::remote::RemoteMachine& machine_;
    ISnapInList* list_ = nullptr;
    ISnapIn* snapIn_ = nullptr;
    std::deque<std::unique_ptr<Message>> answers_;
};

}  // namespace

int main(int argc, char** argv) {
    const int megabytes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    vantrel::remote::MachineConfig config;
    config.eventLogs.application = static_cast<int>((uint64_t(megabytes) << 20) / 392);
    config.eventLogs.copyChunkSize = argc > 2 ? std::max(1, std::atoi(argv[2])) : 8000;
    vantrel::remote::RemoteMachine machine(config);
    BenchHost host(machine);

    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    g_target = std::wstring(folder) + L"vantrel-save-bench.evt";
    HHOOK hook = SetWindowsHookExW(WH_CBT, &AnswerSaveDialog, nullptr, GetCurrentThreadId());

    ISnapIn* snapIn = host.Open(protocol::kSnapInId);
    if (!snapIn) return 1;
    snapIn->QuerySupported();
    host.RunUntilIdle(10000);
    host.Activate();
    if (!host.RunUntilIdle(600000)) return 2;
    const double peakBefore = PeakMegabytes();

    const double start = Now();
    ::SendMessageW(snapIn->GetWindow(), WM_COMMAND, ID_ELS_SAVE, 0);
    if (!host.RunUntilIdle(3600000)) return 3;
    const double wall = Now() - start;
    UnhookWindowsHookEx(hook);
    const double peakAfter = PeakMegabytes();
    const double machineTime = host.machineTime_;
    const double moduleTime = host.moduleTime_;
    const size_t copies = host.copies_;

    WIN32_FILE_ATTRIBUTE_DATA attributes = {};
    if (!GetFileAttributesExW(g_target.c_str(), GetFileExInfoStandard, &attributes)) return 4;
    const double bytes = static_cast<double>((uint64_t(attributes.nFileSizeHigh) << 32) | attributes.nFileSizeLow);
    DeleteFileW(g_target.c_str());

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
    HANDLE file = CreateFileW(g_target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr);
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
    DeleteFileW(g_target.c_str());

    const double mb = bytes / (1 << 20);
    std::printf("saved %.1f MB in %zu chunks of %d bytes through the machine: %.0f ms, the machine's part %.0f ms\n", mb,
                copies, config.eventLogs.copyChunkSize, wall, machineTime);
    std::printf("module: %.0f ms, %.0f MB/s; Base64 decode alone: %.0f ms, %.0f MB/s (%zu bytes); ratio %.2f\n",
                moduleTime, mb / (moduleTime / 1000), decode, mb / (decode / 1000), sink, decode / moduleTime);
    std::printf("writing the same chunks alone: %.0f ms, %.0f MB/s\n", write, mb / (write / 1000));
    std::printf("peak working set: %.1f MB before the save, %.1f MB after\n", peakBefore, peakAfter);
    return 0;
}
