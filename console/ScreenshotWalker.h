// --screenshots: opens every tool the machine offers in turn, waits until the
// console is idle, and saves a picture of the console window for each, with a
// list of what was taken (screenshots.txt) beside them.
#pragma once

#include "host/SnapInHost.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace vantrel::console {

class ConsoleHost;

struct WalkTiming {
    // Without any answer arriving for this long, the wait is given up.
    unsigned connectTimeoutMs = 15000;  // for every tool's "Supported" answer
    unsigned toolTimeoutMs = 30000;     // for one tool to become idle
    unsigned settleMs = 300;            // idle this long before the picture
    unsigned paintMs = 250;             // after repainting, before reading pixels
};

struct Shot {
    int32_t tool = 0;
    std::wstring name;
    std::filesystem::path file;
    unsigned waitedMs = 0;
    bool selected = false;  // the console could switch to the tool
    bool settled = false;   // idle before the time-out
    bool saved = false;
};

class ScreenshotWalker {
public:
    ScreenshotWalker(ConsoleHost& console, std::filesystem::path folder, WalkTiming timing = {});
    ~ScreenshotWalker();
    ScreenshotWalker(const ScreenshotWalker&) = delete;
    ScreenshotWalker& operator=(const ScreenshotWalker&) = delete;

    // 0: every picture taken on an idle console; 1: some tool did not become
    // idle or a picture could not be saved; 2: the console was closed.
    int Run();
    const std::vector<Shot>& Shots() const { return shots_; }
    // Message boxes and dialogs that opened during the walk, closed unanswered.
    const std::vector<std::wstring>& ClosedDialogs() const { return dialogs_; }

private:
    static LRESULT CALLBACK DialogHook(int code, WPARAM wParam, LPARAM lParam);
    void CloseDialog(HWND dialog);
    // Runs the message loop until done() or the time-out; false on time-out
    // or when the console closes.
    bool Pump(const std::function<bool()>& done, unsigned timeoutMs);
    bool WaitUntilSettled(unsigned* waitedMs);
    void Shoot(int32_t tool, size_t index);
    void WriteList() const;

    ConsoleHost& console_;
    std::filesystem::path folder_;
    WalkTiming timing_;
    HHOOK hook_ = nullptr;
    bool closed_ = false;
    bool connected_ = false;  // every tool answered before the time-out
    std::vector<Shot> shots_;
    std::vector<std::wstring> dialogs_;
};

// The window with its frame and menu bar as a 24-bit BMP file; false with a
// reason in *error.
bool SaveWindowBitmap(HWND window, const std::filesystem::path& file, std::string* error);

// "Disk Drives" -> "disk-drives".
std::wstring FileNameFor(const std::wstring& toolName);

}  // namespace vantrel::console
