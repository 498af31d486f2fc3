// The console program's command line.
#pragma once

#include "remote/RemoteMachine.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace vantrel::console {

struct ConsoleOptions {
    // The simulated managed machine: platform, scale and the tools it refuses.
    remote::MachineConfig machine;
    // Time an answer takes to come back; long enough that busy states show.
    unsigned latencyMs = 40;
    // Empty: the default file in the user's application-data folder.
    std::filesystem::path settingsFile;
    // Set: walk every tool, save a picture of each into this folder and exit.
    std::filesystem::path screenshotsDir;
    // Message boxes for the console's own notices (off for screenshots and tests).
    bool interactive = true;
    bool showUsage = false;
};

// Parses the arguments after the program name. On a mistake returns nothing
// and sets *error to a line that names the argument.
std::optional<ConsoleOptions> ParseConsoleOptions(const std::vector<std::wstring>& args, std::wstring* error);

// One line per option, for --help and for mistakes.
const wchar_t* ConsoleUsage();

}  // namespace vantrel::console
