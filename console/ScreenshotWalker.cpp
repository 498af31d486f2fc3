#include "console/ScreenshotWalker.h"

#include "console/ConsoleHost.h"

#include <cwctype>

namespace vantrel::console {
namespace {

// The walk that closes dialogs; one at a time, on the console's thread.
ScreenshotWalker* g_walker = nullptr;

class DeviceContext {
public:
    explicit DeviceContext(HWND window) : window_(window), dc_(GetWindowDC(window)) {}
    ~DeviceContext() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    DeviceContext(const DeviceContext&) = delete;
    DeviceContext& operator=(const DeviceContext&) = delete;
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

class MemoryBitmap {
public:
    MemoryBitmap(HDC like, int width, int height) : dc_(CreateCompatibleDC(like)) {
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
        if (dc_ && bitmap_) old_ = SelectObject(dc_, bitmap_);
    }
    ~MemoryBitmap() {
        if (old_) SelectObject(dc_, old_);
        if (bitmap_) DeleteObject(bitmap_);
        if (dc_) DeleteDC(dc_);
    }
    MemoryBitmap(const MemoryBitmap&) = delete;
    MemoryBitmap& operator=(const MemoryBitmap&) = delete;
    bool valid() const { return dc_ && bitmap_ && bits_; }
    HDC dc() const { return dc_; }
    const void* bits() const { return bits_; }

private:
    HDC dc_;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    void* bits_ = nullptr;
};

bool WriteWholeFile(const std::filesystem::path& file, const std::string& bytes, std::string* error) {
    HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        *error = "cannot create the file (system error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    DWORD written = 0;
    BOOL ok = WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
    if (!ok) *error = "cannot write the file (system error " + std::to_string(GetLastError()) + ")";
    CloseHandle(handle);
    return ok;
}

template <typename T>
void Append(std::string& out, const T& value) {
    out.append(reinterpret_cast<const char*>(&value), sizeof(value));
}

std::string Utf8(const std::wstring& text) {
    int length = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(std::max(length, 0)), '\0');
    if (length > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), length, nullptr, nullptr);
    return out;
}

std::wstring ControlText(HWND window) {
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, static_cast<int>(std::size(text)));
    return text;
}

}  // namespace

std::wstring FileNameFor(const std::wstring& toolName) {
    std::wstring name;
    for (wchar_t c : toolName) {
        if (std::iswalnum(c) && c < 0x80)
            name += static_cast<wchar_t>(std::towlower(c));
        else if (!name.empty() && name.back() != L'-')
            name += L'-';
    }
    while (!name.empty() && name.back() == L'-') name.pop_back();
    return name.empty() ? L"tool" : name;
}

bool SaveWindowBitmap(HWND window, const std::filesystem::path& file, std::string* error) {
    RECT rect = {};
    if (!GetWindowRect(window, &rect) || rect.right <= rect.left || rect.bottom <= rect.top) {
        *error = "the window has no size";
        return false;
    }
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    DeviceContext source(window);
    MemoryBitmap picture(source.get(), width, height);
    if (!source.get() || !picture.valid()) {
        *error = "no drawing surface for the picture";
        return false;
    }
    if (!BitBlt(picture.dc(), 0, 0, width, height, source.get(), 0, 0, SRCCOPY)) {
        *error = "the window's pixels could not be read";
        return false;
    }
    GdiFlush();

    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    const DWORD imageBytes = stride * static_cast<DWORD>(height);
    BITMAPINFOHEADER info = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, imageBytes, 2835, 2835, 0, 0};
    BITMAPFILEHEADER header = {};
    header.bfType = 0x4D42;  // "BM"
    header.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    header.bfSize = header.bfOffBits + imageBytes;
    std::string bytes;
    bytes.reserve(header.bfSize);
    Append(bytes, header);
    Append(bytes, info);
    bytes.append(static_cast<const char*>(picture.bits()), imageBytes);
    return WriteWholeFile(file, bytes, error);
}

ScreenshotWalker::ScreenshotWalker(ConsoleHost& console, std::filesystem::path folder, WalkTiming timing)
    : console_(console), folder_(std::move(folder)), timing_(timing) {}

ScreenshotWalker::~ScreenshotWalker() {
    if (hook_) UnhookWindowsHookEx(hook_);
    if (g_walker == this) g_walker = nullptr;
}

LRESULT CALLBACK ScreenshotWalker::DialogHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && g_walker) {
        HWND window = reinterpret_cast<HWND>(wParam);
        wchar_t className[16] = {};
        GetClassNameW(window, className, static_cast<int>(std::size(className)));
        if (wcscmp(className, L"#32770") == 0) g_walker->CloseDialog(window);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// A box that waits for an answer would stop the walk: it is noted and closed.
void ScreenshotWalker::CloseDialog(HWND dialog) {
    std::wstring text = ControlText(dialog);
    if (HWND message = GetDlgItem(dialog, 0xFFFF)) text += L": " + ControlText(message);
    dialogs_.push_back(text);
    int button = GetDlgItem(dialog, IDCANCEL) ? IDCANCEL : IDOK;
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
}

// Waits until done; gives up only after timeoutMs without a single answer
// arriving while the console is busy, so slow machines and large data sets
// still finish. Answers to a tool's background reads, which never stop, do
// not hold the walk.
bool ScreenshotWalker::Pump(const std::function<bool()>& done, unsigned timeoutMs) {
    constexpr int kMessagesPerRound = 1000;
    ULONGLONG end = GetTickCount64() + timeoutMs;
    size_t answers = console_.AnswersDelivered();
    for (;;) {
        MSG message;
        // A window that never stops posting must not hold the walk for ever.
        for (int i = 0; i < kMessagesPerRound && PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE); ++i) {
            if (!console_.PumpOne(false)) {
                closed_ = true;
                return false;
            }
        }
        if (done()) return true;
        if (console_.AnswersDelivered() != answers) {
            answers = console_.AnswersDelivered();
            if (!console_.Idle()) end = GetTickCount64() + timeoutMs;
        }
        if (GetTickCount64() >= end) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

bool ScreenshotWalker::WaitUntilSettled(unsigned* waitedMs) {
    const ULONGLONG start = GetTickCount64();
    ULONGLONG idleSince = 0;
    bool settled = Pump(
        [&] {
            ULONGLONG now = GetTickCount64();
            if (!console_.Idle()) {
                idleSince = 0;
                return false;
            }
            if (idleSince == 0) idleSince = now;
            return now - idleSince >= timing_.settleMs;
        },
        timing_.toolTimeoutMs);
    *waitedMs = static_cast<unsigned>(GetTickCount64() - start);
    return settled;
}

void ScreenshotWalker::Shoot(int32_t tool, size_t index) {
    Shot shot;
    shot.tool = tool;
    shot.name = console_.ToolName(tool);
    wchar_t number[8] = {};
    swprintf(number, std::size(number), L"%02u-", static_cast<unsigned>(index));
    shot.file = folder_ / (number + FileNameFor(shot.name) + L".bmp");
    shot.selected = console_.Select(tool);
    if (shot.selected) shot.settled = WaitUntilSettled(&shot.waitedMs);
    if (!closed_) {
        // Without a window manager the desktop may never tell the frame it is
        // active although it is the foreground window: draw it as it is.
        if (GetForegroundWindow() == console_.Frame()) ::SendMessageW(console_.Frame(), WM_NCACTIVATE, TRUE, 0);
        RedrawWindow(console_.Frame(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Pump([] { return false; }, timing_.paintMs);
    }
    std::string error;
    if (!closed_) shot.saved = SaveWindowBitmap(console_.Frame(), shot.file, &error);
    shots_.push_back(std::move(shot));
}

int ScreenshotWalker::Run() {
    std::error_code status;
    std::filesystem::create_directories(folder_, status);
    g_walker = this;
    hook_ = SetWindowsHookExW(WH_CBT, &ScreenshotWalker::DialogHook, nullptr, GetCurrentThreadId());

    connected_ = Pump([this] { return console_.AllToolsAnswered() && console_.RemoteHostVersionIsKnown(); },
                      timing_.connectTimeoutMs);
    std::vector<int32_t> tools = {ConsoleHost::kStartPage};
    for (int32_t id : console_.AvailableTools()) tools.push_back(id);
    for (size_t i = 0; i < tools.size() && !closed_; ++i) Shoot(tools[i], i);
    if (!closed_) console_.Select(ConsoleHost::kStartPage);
    WriteList();

    if (closed_) return 2;
    if (!connected_) return 1;
    for (const Shot& shot : shots_)
        if (!shot.selected || !shot.settled || !shot.saved) return 1;
    return 0;
}

void ScreenshotWalker::WriteList() const {
    std::wstring list;
    if (!connected_) list += L"connection\tthe managed machine did not answer every tool\n";
    for (const Shot& shot : shots_) {
        list += shot.file.stem().wstring() + L"\t" + shot.name + L"\t";
        if (!shot.saved)
            list += L"not saved";
        else if (!shot.selected)
            list += L"could not be selected";
        else if (!shot.settled)
            list += L"still busy after " + std::to_wstring(shot.waitedMs) + L" ms";
        else
            list += L"idle after " + std::to_wstring(shot.waitedMs) + L" ms";
        list += L"\n";
    }
    for (const std::wstring& dialog : dialogs_) list += L"closed dialog\t" + dialog + L"\n";
    std::string error;
    WriteWholeFile(folder_ / L"screenshots.txt", Utf8(list), &error);
}

}  // namespace vantrel::console
