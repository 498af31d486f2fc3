// The value formats of the inventory's fields, as far as they need no
// system: numbers, drive types, sizes, single lines, dates and languages read
// from the file's text. Texts that do not read as their format are shown as
// they are.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel::inventory {

// "%d (0x%04X)": "18" shows "18 (0x0012)".
std::optional<std::string> FormatHex(std::string_view value);

// A drive type the table names: 0, 2, 3, 4, 5 or 6.
std::optional<int> DriveType(std::string_view value);

// Carriage returns, line feeds and tabs each become one space.
std::u16string SingleLine(std::u16string text);

// Bytes as "2 KB (1536 bytes)", "1024 KB (1048575 bytes)", "1 GB (1073741824
// bytes)": the unit rounded up, then the exact count. Nothing for a negative
// or non-finite size, or a text that is no number.
std::optional<std::string> FormatSize(std::string_view value);

struct DateTime {
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0;
    bool hasDate = false;
    bool hasTime = false;
};
// An ISO 8601-style date and time ("2024-03-05T14:22:10.123+01:00"), as the
// English (United States) locale reads it: the zone and fractions of seconds
// are dropped, the date may also be written 3/5/2024 and the time with AM or
// PM. Nothing when the date or the time is no valid one.
std::optional<DateTime> ParseDateTime(std::string_view value);

// The number of a language field; its low 16 bits are a language identifier.
std::optional<uint32_t> LanguageNumber(std::string_view value);
// " %04X" of the whole number, so that nothing of a larger number is lost.
std::string LanguageSuffix(uint32_t number);

}  // namespace vantrel::inventory
