#include "hostkit/SettingsCodec.h"

#include "hostkit/SettingsStore.h"

#include <utility>

namespace vantrel::host {

// ---------------------------------------------------------------------------
// UTF-8

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

void AppendWide(std::wstring& out, char32_t cp)
{
    if constexpr (sizeof(wchar_t) == 2) {
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<wchar_t>(0xD800 + (cp >> 10));
            out += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
            return;
        }
    }
    out += static_cast<wchar_t>(cp);
}

[[maybe_unused]] bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
[[maybe_unused]] bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// The code point of the sequence at text[pos] (advancing pos), or false for an
// invalid, overlong or truncated sequence.
bool DecodeUtf8(std::string_view text, size_t& pos, char32_t* cp)
{
    const auto lead = static_cast<unsigned char>(text[pos]);
    size_t length;
    char32_t value;
    char32_t minimum;
    if (lead < 0x80) {
        *cp = lead;
        ++pos;
        return true;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, value = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, value = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, value = lead & 0x07, minimum = 0x10000;
    } else {
        return false;
    }
    if (text.size() - pos < length)
        return false;
    for (size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[pos + i]);
        if ((next & 0xC0) != 0x80)
            return false;
        value = (value << 6) | (next & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF)
        return false;
    pos += length;
    *cp = value;
    return true;
}

}  // namespace

std::string WideToUtf8(std::wstring_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t unit;
        if constexpr (sizeof(wchar_t) == 2)
            unit = static_cast<char16_t>(text[i]);
        else
            unit = static_cast<char32_t>(text[i]);
        if constexpr (sizeof(wchar_t) == 2) {
            if (IsHighSurrogate(unit) && i + 1 < text.size() &&
                IsLowSurrogate(static_cast<char16_t>(text[i + 1]))) {
                const char32_t low = static_cast<char16_t>(text[++i]);
                unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
            }
        }
        AppendUtf8(out, unit > 0x10FFFF ? kReplacement : unit);
    }
    return out;
}

bool Utf8ToWide(std::string_view text, std::wstring* out)
{
    std::wstring result;
    result.reserve(text.size());
    size_t pos = 0;
    while (pos < text.size()) {
        char32_t cp;
        if (!DecodeUtf8(text, pos, &cp))
            return false;
        AppendWide(result, cp);
    }
    *out = std::move(result);
    return true;
}

// ---------------------------------------------------------------------------
// Escapes

namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

bool ParseQuotedName(std::string_view field, std::string* utf8, std::string* why)
{
    if (field.size() < 2 || field.front() != '"' || field.back() != '"') {
        *why = "the name is not quoted";
        return false;
    }
    const std::string_view body = field.substr(1, field.size() - 2);
    std::string result;
    for (size_t i = 0; i < body.size(); ++i) {
        const char c = body[i];
        if (c == '"') {
            *why = "a quote inside the name";
            return false;
        }
        if (c != '\\') {
            result += c;
            continue;
        }
        if (++i == body.size()) {
            *why = "the name ends inside an escape";
            return false;
        }
        switch (body[i]) {
        case '\\': result += '\\'; break;
        case '"': result += '"'; break;
        case 'n': result += '\n'; break;
        case 'r': result += '\r'; break;
        case 't': result += '\t'; break;
        case 'x': {
            const int high = i + 1 < body.size() ? HexDigit(body[i + 1]) : -1;
            const int low = i + 2 < body.size() ? HexDigit(body[i + 2]) : -1;
            if (high < 0 || low < 0) {
                *why = "a bad \\x escape in the name";
                return false;
            }
            result += static_cast<char>(high * 16 + low);
            i += 2;
            break;
        }
        default:
            *why = "an unknown escape in the name";
            return false;
        }
    }
    *utf8 = std::move(result);
    return true;
}


}  // namespace vantrel::host
