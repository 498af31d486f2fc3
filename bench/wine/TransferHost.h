// What the file-transfer benchmarks under Wine share: a console that answers
// from the simulated machine and delivers the answers itself, so that the
// module's time with the answers of one command can be told from the
// machine's time making them; and the process's peak memory.
#pragma once
#define PSAPI_VERSION 2

#include "bench/wine/BenchKit.h"
#include "hostwin/HostFrame.h"
#include "remote/RemoteMachine.h"
#include "tests/host/TestHost.h"

#include <psapi.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>

namespace vantrel::bench {

inline double PeakMegabytes() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return static_cast<double>(counters.PeakWorkingSetSize) / (1 << 20);
}

// Answers the dialogs that open on this thread, as a user would: `answer`
// gets each one with its caption when it activates.
class DialogAnswerer {
public:
    explicit DialogAnswerer(std::function<void(HWND dialog, const std::wstring& caption)> answer)
        : answer_(std::move(answer)) {
        current_ = this;
        hook_ = SetWindowsHookExW(WH_CBT, &Hook, nullptr, GetCurrentThreadId());
    }
    ~DialogAnswerer() {
        UnhookWindowsHookEx(hook_);
        current_ = nullptr;
    }
    DialogAnswerer(const DialogAnswerer&) = delete;
    DialogAnswerer& operator=(const DialogAnswerer&) = delete;

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HCBT_ACTIVATE && current_) {
            HWND dialog = reinterpret_cast<HWND>(wParam);
            wchar_t caption[128] = {};
            GetWindowTextW(dialog, caption, 128);
            current_->answer_(dialog, caption);
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static inline DialogAnswerer* current_ = nullptr;
    std::function<void(HWND, const std::wstring&)> answer_;
    HHOOK hook_ = nullptr;
};

class TransferHost final : public host::HostFrame {
public:
    TransferHost(remote::RemoteMachine& machine, const wchar_t* title) : machine_(machine) {
        CreateFrame(title, true);
        list_ = test::ModuleUnderTest::CreateList(this);
    }
    ~TransferHost() override {
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
    // The answers of this command are timed from now on.
    void Time(uint32_t command) {
        timed_ = command;
        machineTime = moduleTime = 0;
        timedRequests = 0;
    }
    // Delivers what is waiting and pumps the window messages until idle.
    bool RunUntilIdle(unsigned timeoutMs) {
        const ULONGLONG end = GetTickCount64() + timeoutMs;
        for (;;) {
            // Answers first: the window messages are looked at only when none
            // waits, as a console's loop would find the answers queued.
            while (!answers_.empty()) {
                std::unique_ptr<host::Message> answer = std::move(answers_.front());
                answers_.pop_front();
                const bool timed = answer->Command() == timed_;
                const double machineBefore = machineTime;
                const double start = Now();
                snapIn_->GetAnswerSink()->OnAnswer(answer.release());
                // The module's part: the answer's handling less the machine's
                // answering of the next request inside it.
                if (timed) {
                    lastAnswerTime = Now() - start - (machineTime - machineBefore);
                    moduleTime += lastAnswerTime;
                }
            }
            PumpPending();
            if (answers_.empty() && BusyDepth() == 0) return true;
            if (GetTickCount64() > end) return false;
            if (answers_.empty()) MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
        }
    }

    double machineTime = 0;
    double moduleTime = 0;
    // The last answer's part: for a download, the file made durable on disk
    // and renamed over the target.
    double lastAnswerTime = 0;
    size_t timedRequests = 0;

protected:
    void OnRequest(std::unique_ptr<host::Message> request) override {
        timedRequests += request->Command() == timed_;
        const double start = Now();
        std::unique_ptr<host::Message> answer = machine_.Answer(*request);
        machineTime += Now() - start;
        if (answer) answers_.push_back(std::move(answer));
    }

private:
    remote::RemoteMachine& machine_;
    ISnapInList* list_ = nullptr;
    ISnapIn* snapIn_ = nullptr;
    uint32_t timed_ = 0;
    std::deque<std::unique_ptr<host::Message>> answers_;
};

}  // namespace vantrel::bench
