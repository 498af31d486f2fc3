#include "console/ConsoleOptions.h"

#include <algorithm>
#include <cwchar>

namespace vantrel::console {
namespace {

constexpr unsigned kMaxLatencyMs = 60000;
constexpr int kMaxScale = 100;
constexpr uint32_t kFirstTool = 15001;
constexpr uint32_t kLastTool = 15010;

// A whole decimal number within [low, high]; no sign, no trailing characters.
std::optional<long> ParseNumber(const std::wstring& text, long low, long high) {
    if (text.empty() || text.size() > 9) return std::nullopt;
    long value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return std::nullopt;
        value = value * 10 + (c - L'0');
    }
    if (value < low || value > high) return std::nullopt;
    return value;
}

// "15004,15010": numbers of tools the simulated machine does not offer.
bool ParseToolList(const std::wstring& text, std::vector<uint32_t>* out) {
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(L',', start);
        std::wstring item = text.substr(start, comma == std::wstring::npos ? std::wstring::npos : comma - start);
        auto id = ParseNumber(item, kFirstTool, kLastTool);
        if (!id) return false;
        out->push_back(static_cast<uint32_t>(*id));
        if (comma == std::wstring::npos) return true;
        start = comma + 1;
    }
    return false;
}

}  // namespace

const wchar_t* ConsoleUsage() {
    return L"console.exe [options]\n"
           L"  --platform general|device   the simulated machine's platform (default general)\n"
           L"  --latency MS                time each answer takes, 0 to 60000 (default 40)\n"
           L"  --scale N                   size of the simulated machine's data, 1 to 100 (default 1)\n"
           L"  --unsupported ID[,ID...]    tools (15001 to 15010) the machine does not offer\n"
           L"  --event-level 1|2           how the machine hands out event logs: 2 record numbers and\n"
           L"                              details on demand (default), 1 whole events\n"
           L"  --settings FILE             the settings file (default %APPDATA%\\Vantrel\\console-settings.txt)\n"
           L"  --screenshots DIR           save a picture of every tool into DIR, then exit\n"
           L"  --help                      this text\n";
}

std::optional<ConsoleOptions> ParseConsoleOptions(const std::vector<std::wstring>& args, std::wstring* error) {
    ConsoleOptions options;
    auto fail = [error](std::wstring text) {
        if (error) *error = std::move(text);
        return std::optional<ConsoleOptions>();
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::wstring& name = args[i];
        if (name == L"--help" || name == L"-h" || name == L"/?") {
            options.showUsage = true;
            continue;
        }
        bool takesValue = name == L"--platform" || name == L"--latency" || name == L"--scale" ||
                          name == L"--unsupported" || name == L"--settings" || name == L"--screenshots" ||
                          name == L"--event-level";
        if (!takesValue) return fail(L"Unknown option: " + name);
        if (i + 1 >= args.size()) return fail(L"Missing value after " + name);
        const std::wstring& value = args[++i];
        if (name == L"--platform") {
            if (value == L"general")
                options.machine.platform = remote::kGeneralPlatform;
            else if (value == L"device")
                options.machine.platform = remote::kDevicePlatform;
            else
                return fail(L"--platform takes general or device, not " + value);
        } else if (name == L"--latency") {
            auto ms = ParseNumber(value, 0, kMaxLatencyMs);
            if (!ms) return fail(L"--latency takes milliseconds from 0 to 60000, not " + value);
            options.latencyMs = static_cast<unsigned>(*ms);
        } else if (name == L"--scale") {
            auto scale = ParseNumber(value, 1, kMaxScale);
            if (!scale) return fail(L"--scale takes a number from 1 to 100, not " + value);
            options.machine.scale = static_cast<int>(*scale);
        } else if (name == L"--unsupported") {
            std::vector<uint32_t> refused;
            if (!ParseToolList(value, &refused)) return fail(L"--unsupported takes tool numbers 15001 to 15010, not " + value);
            auto& supported = options.machine.supportedSnapIns;
            for (uint32_t id : refused) supported.erase(std::remove(supported.begin(), supported.end(), id), supported.end());
        } else if (name == L"--event-level") {
            auto level = ParseNumber(value, 1, 2);
            if (!level) return fail(L"--event-level takes 1 or 2, not " + value);
            options.machine.eventLogs.protocolLevel = static_cast<int16_t>(*level);
        } else if (name == L"--settings") {
            if (value.empty()) return fail(L"--settings needs a file name");
            options.settingsFile = value;
        } else {
            if (value.empty()) return fail(L"--screenshots needs a folder");
            options.screenshotsDir = value;
            options.interactive = false;
        }
    }
    return options;
}

}  // namespace vantrel::console
