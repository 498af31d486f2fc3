// The choice of the library from which the module takes its user-interface
// resources: a language library "Vantrel.Snapins.<code>.dll" found below the
// current directory, or the module itself.
#pragma once

#include <windows.h>

#include <array>
#include <string>
#include <string_view>

namespace vantrel {

inline constexpr std::array<std::wstring_view, 13> kLanguageCodes = {
    L"de", L"fr", L"es", L"it", L"jp", L"pt", L"cn", L"dk", L"il", L"kr", L"nl", L"se", L"ar"};

// For each code, the first file of that name in a depth-first walk below
// `root` (each directory's files are checked before its subdirectories, which
// are entered in the order the system lists them; only plain directories are
// entered, and a directory is never taken for a library). A later file of the
// same name never replaces the first. Empty where nothing was found.
std::array<std::wstring, 13> FindLanguageLibraries(const std::wstring& root);

// Loads the first library that loads, in code order; null if none does.
HMODULE LoadLanguageLibrary();

}  // namespace vantrel
