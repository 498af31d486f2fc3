#include "snapins/users/HtmlHelp.h"

#include "framework/Handles.h"

#include <string>

namespace vantrel {
namespace {

constexpr char kHelpFile[] = "Ferolin.chm";
constexpr UINT kHelpContextCommand = 0x000F;  // HH_HELP_CONTEXT
constexpr wchar_t kViewerClassKey[] = L"CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";
constexpr wchar_t kViewerFallback[] = L"hhctrl.ocx";
constexpr WORD kEntryOrdinal = 14;

using HtmlHelpEntry = HWND(WINAPI*)(HWND caller, LPCSTR file, UINT command, DWORD_PTR data);

// The library the viewer's class is registered with, or empty.
std::wstring RegisteredViewer() {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, kViewerClassKey, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) return {};
    UniqueRegKey key(opened);
    wchar_t path[MAX_PATH] = {};
    DWORD type = 0;
    DWORD size = sizeof(path) - sizeof(wchar_t);  // room for a terminating zero the value may lack
    if (RegQueryValueExW(key.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(path), &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return {};
    if (type == REG_SZ) return path;
    wchar_t expanded[MAX_PATH] = {};
    const DWORD length = ExpandEnvironmentStringsW(path, expanded, MAX_PATH);
    return length > 0 && length <= MAX_PATH ? std::wstring(expanded) : std::wstring();
}

HtmlHelpEntry FindEntry() {
    std::wstring library = RegisteredViewer();
    HMODULE viewer = library.empty() ? nullptr : LoadLibraryW(library.c_str());
    if (!viewer) viewer = LoadLibraryW(kViewerFallback);
    if (!viewer) return nullptr;
    // The viewer stays loaded for the life of the process: its windows may
    // outlive any one request, and it must not be unloaded from DllMain.
    auto entry = reinterpret_cast<HtmlHelpEntry>(
        reinterpret_cast<void*>(GetProcAddress(viewer, MAKEINTRESOURCEA(kEntryOrdinal))));
    if (!entry) FreeLibrary(viewer);
    return entry;
}

// Looked up on first use; a failure is remembered and help does nothing.
HtmlHelpEntry Entry() {
    static const HtmlHelpEntry entry = FindEntry();
    return entry;
}

}  // namespace

void ShowContextHelp(DWORD contextId) {
    if (HtmlHelpEntry entry = Entry()) entry(GetDesktopWindow(), kHelpFile, kHelpContextCommand, contextId);
}

}  // namespace vantrel
