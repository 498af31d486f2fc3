// The snap-in module as a console maker meets it: a library next to the
// program with one export, CreateSnapInList.
#pragma once

#include "host/SnapInHost.h"

#include <filesystem>
#include <string>

namespace vantrel::console {

class SnapInModule {
public:
    static constexpr wchar_t kFileName[] = L"Vantrel.Snapins.dll";

    SnapInModule() = default;
    ~SnapInModule();
    SnapInModule(const SnapInModule&) = delete;
    SnapInModule& operator=(const SnapInModule&) = delete;

    // Loads the library from `directory`; false with a reason in *error.
    bool Load(const std::filesystem::path& directory, std::wstring* error);
    HMODULE Handle() const { return module_; }
    // Null if the module refuses.
    ISnapInList* CreateList(ISnapInHost* host) const;
    // A string of the module's table (a tool's name by its number); empty if absent.
    std::wstring String(UINT id) const;

    // The folder of the running program.
    static std::filesystem::path ProgramDirectory();

private:
    HMODULE module_ = nullptr;
    CreateSnapInListFn create_ = nullptr;
};

}  // namespace vantrel::console
