// Conversions between the texts the module handles: wide (UTF-16) for display,
// the ANSI code page for 8-bit interfaces, and Base64 for messages.
#pragma once

#include "host/SnapInHost.h"

#include <string>
#include <string_view>

namespace vantrel {

std::wstring AnsiToWide(std::string_view text);
std::string WideToAnsi(std::wstring_view text);

// UTF-16 texts of the platform-free code, and ASCII texts such as formatted
// numbers, as wide texts.
inline std::wstring ToWide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }
inline std::wstring ToWide(std::string_view ascii) { return std::wstring(ascii.begin(), ascii.end()); }

// A message text: Base64 of UTF-16LE bytes, null read as empty.
std::wstring DecodeWideText(const char* base64);
std::string EncodeWideText(std::wstring_view text);

// The text with the first occurrence of `what` replaced; texts that come from
// elsewhere are inserted this way, never used as a format.
std::wstring ReplaceFirst(std::wstring text, std::wstring_view what, std::wstring_view with);

// printf-style formatting into a buffer that cannot overflow.
std::wstring FormatW(const wchar_t* format, ...);
std::string FormatA(const char* format, ...);

// FormatMessage from a string: %1, %2 ... take the given inserts.
std::wstring FormatMessageString(const std::wstring& pattern, const std::wstring& insert1);
std::wstring FormatMessageStrings(const std::wstring& pattern, const std::wstring& insert1, const std::wstring& insert2);
std::wstring FormatMessageNumber(const std::wstring& pattern, unsigned long number);
std::wstring FormatMessageNumbers(const std::wstring& pattern, unsigned long first, unsigned long second);
// A text of the user's locale (a separator: LOCALE_STIME, LOCALE_STHOUSAND
// ...), or the fallback when it has none.
std::u16string UserLocaleText(LCTYPE type, const char16_t* fallback);

// The system's text for an error code, without trailing line breaks; empty if none.
std::wstring SystemErrorText(DWORD code);

}  // namespace vantrel
