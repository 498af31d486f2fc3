#include "framework/FileDialogs.h"

#include "framework/Module.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

namespace vantrel {
namespace {

// Long paths are allowed by the dialogs when the buffer is large enough.
constexpr DWORD kPathCapacity = 32768;

std::optional<std::wstring> AskFileName(HWND owner, const FileDialogOptions& options, bool save) {
    std::wstring filter = options.filter;
    std::replace(filter.begin(), filter.end(), L'|', L'\0');
    filter.push_back(L'\0');  // the list ends with an empty pair
    std::vector<wchar_t> path(kPathCapacity, L'\0');
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = kPathCapacity;
    dialog.lpstrTitle = options.title.empty() ? nullptr : options.title.c_str();
    dialog.lpstrDefExt = options.defaultExtension.empty() ? nullptr : options.defaultExtension.c_str();
    dialog.Flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                   (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    ActivationScope scope;
    if (!(save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog))) return std::nullopt;
    return std::wstring(path.data());
}

}  // namespace

std::optional<std::wstring> AskOpenFileName(HWND owner, const FileDialogOptions& options) {
    return AskFileName(owner, options, false);
}

std::optional<std::wstring> AskSaveFileName(HWND owner, const FileDialogOptions& options) {
    return AskFileName(owner, options, true);
}

}  // namespace vantrel
