#include "module/LanguageLibrary.h"

#include "framework/Handles.h"
#include "framework/QuorvException.h"

#include <vector>

namespace vantrel {
namespace {

constexpr std::wstring_view kBaseName = L"Vantrel.Snapins";
// Deep or wide trees are not searched for ever (the current directory may be a
// drive's root); no installation keeps its languages that far away.
constexpr int kMaxDepth = 32;
constexpr int kMaxDirectories = 4096;

std::wstring LibraryFileName(std::wstring_view code) {
    std::wstring name(kBaseName);
    name += L'.';
    name += code;
    name += L".dll";
    return name;
}

bool SameName(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

class LibrarySearch {
public:
    LibrarySearch() {
        for (size_t i = 0; i < kLanguageCodes.size(); ++i) names_[i] = LibraryFileName(kLanguageCodes[i]);
    }

    std::array<std::wstring, 13> Run(const std::wstring& root) {
        Visit(root, 0);
        return found_;
    }

private:
    bool AllFound() const {
        for (const auto& path : found_)
            if (path.empty()) return false;
        return true;
    }

    // One listing per directory serves every code: files are matched against all
    // names, plain directories are remembered and entered afterwards, so each
    // directory's own files win over its subdirectories as in a search per code.
    void Visit(const std::wstring& directory, int depth) {
        if (depth > kMaxDepth || AllFound() || ++visited_ > kMaxDirectories) return;
        WIN32_FIND_DATAW entry;
        UniqueFind find(FindFirstFileW((directory + L"\\*.*").c_str(), &entry));
        if (!find) return;
        std::vector<std::wstring> subdirectories;
        do {
            std::wstring_view name = entry.cFileName;
            if (name == L"." || name == L"..") continue;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                // A folder of a library's name is entered like any other, never loaded.
                if (entry.dwFileAttributes == FILE_ATTRIBUTE_DIRECTORY)
                    subdirectories.push_back(directory + L'\\' + entry.cFileName);
                continue;
            }
            for (size_t i = 0; i < names_.size(); ++i)
                if (found_[i].empty() && SameName(name, names_[i])) found_[i] = directory + L'\\' + names_[i];
        } while (FindNextFileW(find.get(), &entry));
        find.reset();
        for (const auto& subdirectory : subdirectories) Visit(subdirectory, depth + 1);
    }

    std::array<std::wstring, 13> names_;
    std::array<std::wstring, 13> found_;
    int visited_ = 0;
};

// A language library is data: its code never runs, whoever put a file of
// that name below the current directory.
HMODULE LoadOrThrow(const std::wstring& path) {
    HMODULE library = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!library) throw CQuorvException(GetLastError(), path + L": ");
    return library;
}

}  // namespace

std::array<std::wstring, 13> FindLanguageLibraries(const std::wstring& root) { return LibrarySearch().Run(root); }

HMODULE LoadLanguageLibrary() {
    wchar_t current[MAX_PATH] = {};
    DWORD length = GetCurrentDirectoryW(MAX_PATH, current);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    std::wstring root(current, length);
    while (!root.empty() && (root.back() == L'\\' || root.back() == L'/')) root.pop_back();

    const auto found = FindLanguageLibraries(root);
    for (const auto& path : found) {
        if (path.empty()) continue;
        try {
            return LoadOrThrow(path);
        } catch (const CQuorvException&) {
            // A library that does not load is skipped like a missing one.
        }
    }
    return nullptr;
}

}  // namespace vantrel
