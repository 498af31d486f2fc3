#include "console/SnapInModule.h"

#include <vector>

namespace vantrel::console {
namespace {

std::wstring SystemMessage(DWORD code) {
    wchar_t* text = nullptr;
    DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = length && text ? std::wstring(text, length) : L"system error " + std::to_wstring(code);
    if (text) LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' '))
        message.pop_back();
    return message;
}

}  // namespace

SnapInModule::~SnapInModule() {
    if (module_) FreeLibrary(module_);
}

std::filesystem::path SnapInModule::ProgramDirectory() {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) return std::filesystem::path(std::wstring(path.data(), length)).parent_path();
        if (path.size() >= 32768) return {};
        path.resize(path.size() * 2);
    }
}

bool SnapInModule::Load(const std::filesystem::path& directory, std::wstring* error) {
    std::filesystem::path file = directory / kFileName;
    // The full path, so that no other copy on the search path is picked up.
    module_ = LoadLibraryExW(file.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!module_) {
        *error = L"The snap-in module " + file.wstring() + L" could not be loaded: " + SystemMessage(GetLastError());
        return false;
    }
    create_ = reinterpret_cast<CreateSnapInListFn>(reinterpret_cast<void*>(GetProcAddress(module_, "CreateSnapInList")));
    if (!create_) {
        *error = L"The snap-in module " + file.wstring() + L" has no CreateSnapInList export.";
        FreeLibrary(module_);
        module_ = nullptr;
        return false;
    }
    return true;
}

ISnapInList* SnapInModule::CreateList(ISnapInHost* host) const { return create_ ? create_(host) : nullptr; }

std::wstring SnapInModule::String(UINT id) const {
    if (!module_) return {};
    const wchar_t* text = nullptr;
    // With a zero buffer size LoadStringW hands out the resource's own text.
    int length = LoadStringW(module_, id, reinterpret_cast<wchar_t*>(&text), 0);
    return length > 0 && text ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}

}  // namespace vantrel::console
