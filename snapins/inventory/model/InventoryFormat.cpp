#include "snapins/inventory/model/InventoryFormat.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace vantrel::inventory {
namespace {

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// The whole text as a number of type T, or nothing.
template <typename T>
std::optional<T> WholeNumber(std::string_view text) {
    text = Trimmed(text);
    if (text.starts_with('+')) text.remove_prefix(1);
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return value;
}

// Formats into a buffer that holds any double's "%.0f" (309 digits) and more.
template <typename... Args>
std::string Printed(const char* format, Args... args) {
    std::array<char, 512> buffer{};
    const int length = std::snprintf(buffer.data(), buffer.size(), format, args...);
    if (length < 0) return {};
    return std::string(buffer.data(), std::min<size_t>(static_cast<size_t>(length), buffer.size() - 1));
}

// Reads the leading number of `text` into `value` and steps past it.
bool TakeNumber(std::string_view& text, int& value, size_t maxDigits) {
    size_t digits = 0;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') ++digits;
    if (digits == 0 || digits > maxDigits) return false;
    std::from_chars(text.data(), text.data() + digits, value);
    text.remove_prefix(digits);
    return true;
}

bool TakeChar(std::string_view& text, char c) {
    if (text.empty() || text.front() != c) return false;
    text.remove_prefix(1);
    return true;
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// "2024-03-05", "2024/03/05" or the locale's "3/5/2024".
bool ParseDate(std::string_view text, DateTime& out) {
    int first = 0, second = 0, third = 0;
    if (!TakeNumber(text, first, 4)) return false;
    const char separator = text.empty() ? 0 : text.front();
    if ((separator != '-' && separator != '/') || !TakeChar(text, separator) || !TakeNumber(text, second, 2) ||
        !TakeChar(text, separator) || !TakeNumber(text, third, 4) || !text.empty())
        return false;
    const bool yearFirst = first >= 1000;
    out.year = yearFirst ? first : third;
    out.month = yearFirst ? second : first;
    out.day = yearFirst ? third : second;
    out.hasDate = out.year >= 1601 && out.year <= 9999 && out.month >= 1 && out.month <= 12 && out.day >= 1 &&
                  out.day <= DaysInMonth(out.year, out.month);
    return out.hasDate;
}

// "14:22", "14:22:10", "2:22:10 PM".
bool ParseTime(std::string_view text, DateTime& out) {
    if (!TakeNumber(text, out.hour, 2) || !TakeChar(text, ':') || !TakeNumber(text, out.minute, 2)) return false;
    if (TakeChar(text, ':') && !TakeNumber(text, out.second, 2)) return false;
    text = Trimmed(text);
    if (text == "AM" || text == "am" || text == "PM" || text == "pm") {
        if (out.hour < 1 || out.hour > 12) return false;
        out.hour = out.hour % 12 + (text.front() == 'P' || text.front() == 'p' ? 12 : 0);
    } else if (!text.empty()) {
        return false;
    }
    out.hasTime = out.hour < 24 && out.minute < 60 && out.second < 60;
    return out.hasTime;
}

}  // namespace

std::optional<std::string> FormatHex(std::string_view value) {
    const std::optional<int64_t> number = WholeNumber<int64_t>(value);
    if (!number || *number < std::numeric_limits<int32_t>::min() || *number > std::numeric_limits<uint32_t>::max())
        return std::nullopt;
    // A 32-bit field: values above the signed range are its unsigned readings.
    const auto bits = static_cast<uint32_t>(*number);
    return Printed("%d (0x%04X)", static_cast<int>(static_cast<int32_t>(bits)), static_cast<unsigned>(bits));
}

std::optional<int> DriveType(std::string_view value) {
    const std::optional<int> type = WholeNumber<int>(value);
    if (!type || *type < 0 || *type > 6 || *type == 1) return std::nullopt;
    return type;
}

std::u16string SingleLine(std::u16string text) {
    for (char16_t& c : text)
        if (c == u'\r' || c == u'\n' || c == u'\t') c = u' ';
    return text;
}

std::optional<std::string> FormatSize(std::string_view value) {
    std::string_view text = Trimmed(value);
    if (text.starts_with('+')) text.remove_prefix(1);
    double bytes = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), bytes);
    if (error != std::errc() || end != text.data() + text.size() || text.empty() || !std::isfinite(bytes) || bytes < 0)
        return std::nullopt;
    constexpr double kMegabyte = 1048576.0, kGigabyte = 1073741824.0;
    if (bytes < kMegabyte) return Printed("%G KB (%.0f bytes)", std::ceil(bytes / 1024.0), bytes);
    if (bytes < kGigabyte) return Printed("%G MB (%.0f bytes)", std::ceil(bytes / kMegabyte), bytes);
    return Printed("%G GB (%.0f bytes)", std::ceil(bytes / kGigabyte), bytes);
}

std::optional<DateTime> ParseDateTime(std::string_view value) {
    std::string text(Trimmed(value));
    for (char& c : text)
        if (c == 'T' || c == ',') c = ' ';
    // The zone ("+01:00", "Z") and fractions of seconds are dropped.
    if (const size_t plus = text.find('+'); plus != std::string::npos) text.erase(plus);
    if (const size_t dot = text.find('.'); dot != std::string::npos) text.erase(dot);
    std::string_view rest = Trimmed(text);
    if (rest.ends_with('Z')) rest.remove_suffix(1);
    DateTime result;
    const size_t space = rest.find(' ');
    const std::string_view first = rest.substr(0, space);
    const std::string_view second = space == std::string_view::npos ? std::string_view() : Trimmed(rest.substr(space + 1));
    if (first.find(':') != std::string_view::npos) {
        // A time alone (with its AM or PM).
        if (!ParseTime(rest, result)) return std::nullopt;
        return result;
    }
    if (!ParseDate(first, result)) return std::nullopt;
    if (!second.empty() && !ParseTime(second, result)) return std::nullopt;
    return result;
}

std::optional<uint32_t> LanguageNumber(std::string_view value) { return WholeNumber<uint32_t>(value); }

std::string LanguageSuffix(uint32_t number) { return Printed(" %04X", static_cast<unsigned>(number)); }

}  // namespace vantrel::inventory
