// console.exe: loads the snap-in module next to it and shows its tools for a
// simulated managed machine.
#include "console/ConsoleHost.h"

#include <shellapi.h>

#include <vector>

namespace {

std::vector<std::wstring> Arguments() {
    std::vector<std::wstring> args;
    int count = 0;
    wchar_t** list = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!list) return args;
    for (int i = 1; i < count; ++i) args.emplace_back(list[i]);
    LocalFree(list);
    return args;
}

// A GUI program has no console of its own; text goes to the one it was
// started from if there is one, else into a message box.
void Tell(const std::wstring& text, bool error, bool boxAllowed) {
    HANDLE out = GetStdHandle(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    if (out && out != INVALID_HANDLE_VALUE) {
        int length = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
        std::string bytes(static_cast<size_t>(std::max(length, 0)), '\0');
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(), length, nullptr, nullptr);
        bytes += '\n';
        DWORD written = 0;
        if (WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) return;
    }
    if (boxAllowed) MessageBoxW(nullptr, text.c_str(), L"Vantrel Console", error ? MB_ICONERROR : MB_ICONINFORMATION);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    using namespace vantrel::console;
    std::wstring error;
    auto options = ParseConsoleOptions(Arguments(), &error);
    if (!options) {
        Tell(error + L"\n\n" + ConsoleUsage(), true, true);
        return 2;
    }
    if (options->showUsage) {
        Tell(ConsoleUsage(), false, true);
        return 0;
    }
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);

    ConsoleHost console(*options);
    if (!console.Start(true, &error)) {
        Tell(error, true, options->interactive);
        return 1;
    }
    int code = console.Run();
    if (!options->screenshotsDir.empty())
        Tell(L"Screenshots: " + std::filesystem::absolute(options->screenshotsDir).wstring(), false, false);
    return code;
}
