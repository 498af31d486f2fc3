#include "framework/Text.h"

#include "framework/text/Base64.h"

#include <cstdarg>
#include <cstdio>
#include <cwchar>
#include <iterator>

namespace vantrel {

std::wstring AnsiToWide(std::string_view text) {
    if (text.empty()) return {};
    int size = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (size <= 0) return {};
    std::wstring result(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), result.data(), size);
    return result;
}

std::string WideToAnsi(std::wstring_view text) {
    if (text.empty()) return {};
    int size = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    if (size <= 0) return {};
    std::string result(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), result.data(), size, nullptr, nullptr);
    return result;
}

std::wstring DecodeWideText(const char* base64) {
    std::u16string text = DecodeUtf16Base64(base64);
    return std::wstring(text.begin(), text.end());
}

std::string EncodeWideText(std::wstring_view text) {
    std::u16string units(text.begin(), text.end());
    return EncodeUtf16Base64(units);
}

std::wstring ReplaceFirst(std::wstring text, std::wstring_view what, std::wstring_view with) {
    size_t at = text.find(what);
    if (at != std::wstring::npos) text.replace(at, what.size(), with);
    return text;
}

std::wstring FormatW(const wchar_t* format, ...) {
    wchar_t buffer[1024];
    va_list args;
    va_start(args, format);
    int length = _vsnwprintf(buffer, _countof(buffer) - 1, format, args);
    va_end(args);
    buffer[_countof(buffer) - 1] = L'\0';
    if (length < 0) length = static_cast<int>(wcslen(buffer));
    return std::wstring(buffer, static_cast<size_t>(length));
}

std::string FormatA(const char* format, ...) {
    char buffer[1024];
    va_list args;
    va_start(args, format);
    int length = vsnprintf(buffer, sizeof(buffer), format, args);
    va_end(args);
    if (length < 0) return {};
    if (static_cast<size_t>(length) >= sizeof(buffer)) length = sizeof(buffer) - 1;
    return std::string(buffer, static_cast<size_t>(length));
}

namespace {

std::wstring FormatFromString(const std::wstring& pattern, DWORD_PTR* inserts) {
    wchar_t* output = nullptr;
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY | FORMAT_MESSAGE_ALLOCATE_BUFFER,
                                  pattern.c_str(), 0, 0, reinterpret_cast<LPWSTR>(&output), 0,
                                  reinterpret_cast<va_list*>(inserts));
    std::wstring result = length && output ? std::wstring(output, length) : std::wstring();
    if (output) LocalFree(output);
    return result;
}

}  // namespace

std::wstring FormatMessageString(const std::wstring& pattern, const std::wstring& insert1) {
    // Spare inserts keep a pattern that names more than one from reading past
    // the array.
    DWORD_PTR inserts[4] = {reinterpret_cast<DWORD_PTR>(insert1.c_str()), reinterpret_cast<DWORD_PTR>(L""),
                            reinterpret_cast<DWORD_PTR>(L""), reinterpret_cast<DWORD_PTR>(L"")};
    return FormatFromString(pattern, inserts);
}

std::wstring FormatMessageStrings(const std::wstring& pattern, const std::wstring& insert1, const std::wstring& insert2) {
    DWORD_PTR inserts[4] = {reinterpret_cast<DWORD_PTR>(insert1.c_str()), reinterpret_cast<DWORD_PTR>(insert2.c_str()),
                            reinterpret_cast<DWORD_PTR>(L""), reinterpret_cast<DWORD_PTR>(L"")};
    return FormatFromString(pattern, inserts);
}

std::wstring FormatMessageNumber(const std::wstring& pattern, unsigned long number) {
    DWORD_PTR inserts[4] = {number, 0, 0, 0};
    return FormatFromString(pattern, inserts);
}

std::wstring FormatMessageNumbers(const std::wstring& pattern, unsigned long first, unsigned long second) {
    DWORD_PTR inserts[4] = {first, second, 0, 0};
    return FormatFromString(pattern, inserts);
}

std::wstring SystemErrorText(DWORD code) {
    wchar_t* output = nullptr;
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
                                  nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                  reinterpret_cast<LPWSTR>(&output), 0, nullptr);
    std::wstring result = length && output ? std::wstring(output, length) : std::wstring();
    if (output) LocalFree(output);
    while (!result.empty() && (result.back() == L'\n' || result.back() == L'\r' || result.back() == L' '))
        result.pop_back();
    return result;
}

std::u16string UserLocaleText(LCTYPE type, const char16_t* fallback) {
    wchar_t buffer[16] = {};
    const int length = GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buffer, static_cast<int>(std::size(buffer)));
    return length > 1 ? std::u16string(buffer, buffer + length - 1) : std::u16string(fallback);
}

}  // namespace vantrel
