// The system's open and save dialogs for a file on the console's own disk.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace vantrel {

struct FileDialogOptions {
    std::wstring title;             // empty: the system's own
    // Pairs of a description and a pattern, each pair's parts separated by
    // '|' ("Text|*.txt|All|*.*|"): string tables cannot hold the NULs.
    std::wstring filter;
    std::wstring defaultExtension;  // without the dot; empty: none
};

// The path the user chose; nothing when cancelled. The open dialog takes only
// an existing file, the save dialog asks before replacing one.
std::optional<std::wstring> AskOpenFileName(HWND owner, const FileDialogOptions& options);
std::optional<std::wstring> AskSaveFileName(HWND owner, const FileDialogOptions& options);

}  // namespace vantrel
