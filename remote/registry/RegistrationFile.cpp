#include "remote/registry/RegistrationFile.h"

namespace vantrel::remote {
namespace {

constexpr char16_t kHeader[] = u"Windows Registry Editor Version 5.00";
constexpr uint32_t kRegSz = 1;
constexpr uint32_t kRegBinary = 3;
constexpr uint32_t kRegDword = 4;
constexpr size_t kLineWidth = 76;
constexpr char16_t kHexDigits[] = u"0123456789abcdef";

void AppendQuoted(std::u16string& out, std::u16string_view text) {
    out += u'"';
    for (char16_t c : text) {
        if (c == u'\\' || c == u'"') out += u'\\';
        out += c;
    }
    out += u'"';
}

void AppendHex(std::u16string& out, uint64_t value, int digits) {
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) out += kHexDigits[(value >> shift) & 0xF];
}

// A string value stored as the system stores it: with its terminator, which
// the file does not show.
std::u16string StringOf(const std::vector<uint8_t>& data) {
    std::u16string text;
    for (size_t i = 0; i + 1 < data.size(); i += 2) {
        const char16_t c = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
        if (c == 0) break;
        text += c;
    }
    return text;
}

bool PrintableAsString(const RegistrationValue& value) {
    if (value.type != kRegSz || value.data.size() % 2 || value.data.size() < 2) return false;
    // Only data that reads back the same: one terminator at the very end.
    return StringOf(value.data).size() * 2 + 2 == value.data.size();
}

void AppendBinary(std::u16string& out, const RegistrationValue& value, size_t lineStart) {
    if (value.type == kRegBinary) {
        out += u"hex:";
    } else {
        out += u"hex(";
        int digits = 1;
        while (digits < 8 && (value.type >> (4 * digits))) ++digits;
        AppendHex(out, value.type, digits);
        out += u"):";
    }
    for (size_t i = 0; i < value.data.size(); ++i) {
        AppendHex(out, value.data[i], 2);
        if (i + 1 == value.data.size()) break;
        out += u',';
        if (out.size() - lineStart >= kLineWidth) {
            out += u"\\\r\n  ";
            lineStart = out.size() - 2;
        }
    }
}

void AppendDword(std::u16string& out, const std::vector<uint8_t>& data) {
    out += u"dword:";
    AppendHex(out, data[0] | data[1] << 8 | data[2] << 16 | static_cast<uint64_t>(data[3]) << 24, 8);
}

void AppendValue(std::u16string& out, const RegistrationValue& value) {
    const size_t lineStart = out.size();
    if (value.name.empty())
        out += u'@';
    else
        AppendQuoted(out, value.name);
    out += u'=';
    if (value.remove)
        out += u'-';
    else if (PrintableAsString(value))
        AppendQuoted(out, StringOf(value.data));
    else if (value.type == kRegDword && value.data.size() == 4)
        AppendDword(out, value.data);
    else
        AppendBinary(out, value, lineStart);
    out += u"\r\n";
}

// ---- reading ------------------------------------------------------------------------

class LineReader {
public:
    explicit LineReader(std::u16string_view text) : text_(text) {}

    // The next logical line: continuations joined, the line break gone.
    std::optional<std::u16string> Next() {
        if (at_ >= text_.size()) return std::nullopt;
        std::u16string line;
        for (;;) {
            size_t end = text_.find(u'\n', at_);
            if (end == std::u16string_view::npos) end = text_.size();
            std::u16string_view part = text_.substr(at_, end - at_);
            at_ = end + 1;
            if (part.ends_with(u'\r')) part.remove_suffix(1);
            if (!line.empty()) part = Trimmed(part);
            // Only binary data is continued: no other kind of line ends in a backslash.
            if (part.ends_with(u'\\') && at_ < text_.size()) {
                part.remove_suffix(1);
                line += part;
                continue;
            }
            line += part;
            return line;
        }
    }

private:
    static std::u16string_view Trimmed(std::u16string_view text) {
        while (!text.empty() && (text.front() == u' ' || text.front() == u'\t')) text.remove_prefix(1);
        return text;
    }
    std::u16string_view text_;
    size_t at_ = 0;
};

std::optional<size_t> ReadQuoted(std::u16string_view line, size_t at, std::u16string& out) {
    if (at >= line.size() || line[at] != u'"') return std::nullopt;
    for (++at; at < line.size(); ++at) {
        char16_t c = line[at];
        if (c == u'"') return at + 1;
        if (c == u'\\') {
            if (++at >= line.size()) return std::nullopt;
            c = line[at];
        }
        out += c;
    }
    return std::nullopt;
}

std::optional<uint32_t> HexNumber(std::u16string_view text, size_t maxDigits) {
    if (text.empty() || text.size() > maxDigits) return std::nullopt;
    uint32_t value = 0;
    for (char16_t c : text) {
        uint32_t digit;
        if (c >= u'0' && c <= u'9') {
            digit = c - u'0';
        } else if (c >= u'a' && c <= u'f') {
            digit = c - u'a' + 10;
        } else if (c >= u'A' && c <= u'F') {
            digit = c - u'A' + 10;
        } else {
            return std::nullopt;
        }
        value = value << 4 | digit;
    }
    return value;
}

std::optional<std::vector<uint8_t>> HexBytes(std::u16string_view text) {
    std::vector<uint8_t> bytes;
    while (!text.empty()) {
        const size_t comma = text.find(u',');
        const std::u16string_view item = text.substr(0, comma);
        const std::optional<uint32_t> byte = HexNumber(item, 2);
        if (!byte) return std::nullopt;
        bytes.push_back(static_cast<uint8_t>(*byte));
        if (comma == std::u16string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    return bytes;
}

std::vector<uint8_t> StringData(std::u16string_view text) {
    std::vector<uint8_t> data;
    for (char16_t c : text) {
        data.push_back(static_cast<uint8_t>(c));
        data.push_back(static_cast<uint8_t>(c >> 8));
    }
    data.insert(data.end(), 2, 0);
    return data;
}

std::optional<RegistrationValue> ReadValue(std::u16string_view line) {
    RegistrationValue value;
    size_t at = 0;
    if (line.starts_with(u'@')) {
        at = 1;
    } else if (const auto end = ReadQuoted(line, 0, value.name)) {
        at = *end;
    } else {
        return std::nullopt;
    }
    if (at >= line.size() || line[at] != u'=') return std::nullopt;
    const std::u16string_view data = line.substr(at + 1);
    if (data == u"-") {
        value.remove = true;
        return value;
    }
    if (data.starts_with(u'"')) {
        std::u16string text;
        const auto end = ReadQuoted(data, 0, text);
        if (!end || *end != data.size()) return std::nullopt;
        value.type = kRegSz;
        value.data = StringData(text);
        return value;
    }
    if (data.starts_with(u"dword:")) {
        const std::optional<uint32_t> number = HexNumber(data.substr(6), 8);
        if (!number) return std::nullopt;
        value.type = kRegDword;
        for (int i = 0; i < 4; ++i) value.data.push_back(static_cast<uint8_t>(*number >> (8 * i)));
        return value;
    }
    std::u16string_view bytes;
    if (data.starts_with(u"hex:")) {
        value.type = kRegBinary;
        bytes = data.substr(4);
    } else if (data.starts_with(u"hex(")) {
        const size_t close = data.find(u"):");
        const std::optional<uint32_t> type = close == std::u16string_view::npos ? std::nullopt : HexNumber(data.substr(4, close - 4), 8);
        if (!type) return std::nullopt;
        value.type = *type;
        bytes = data.substr(close + 2);
    } else {
        return std::nullopt;
    }
    auto parsed = HexBytes(bytes);
    if (!parsed) return std::nullopt;
    value.data = std::move(*parsed);
    return value;
}

}  // namespace

std::vector<uint8_t> WriteRegistrationFile(std::span<const RegistrationKey> keys) {
    std::u16string text = kHeader;
    text += u"\r\n\r\n";
    for (const RegistrationKey& key : keys) {
        text += key.remove ? u"[-" : u"[";
        text += key.path;
        text += u"]\r\n";
        for (const RegistrationValue& value : key.values) AppendValue(text, value);
        text += u"\r\n";
    }
    std::vector<uint8_t> file = {0xFF, 0xFE};
    file.reserve(2 + 2 * text.size());
    for (char16_t c : text) {
        file.push_back(static_cast<uint8_t>(c));
        file.push_back(static_cast<uint8_t>(c >> 8));
    }
    return file;
}

std::optional<std::vector<RegistrationKey>> ReadRegistrationFile(std::span<const uint8_t> file) {
    if (file.size() < 2 || file[0] != 0xFF || file[1] != 0xFE) return std::nullopt;
    std::u16string text((file.size() - 2) / 2, u'\0');
    for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char16_t>(file[2 + 2 * i] | (file[3 + 2 * i] << 8));
    LineReader lines(text);
    if (lines.Next() != std::u16string(kHeader)) return std::nullopt;
    std::vector<RegistrationKey> keys;
    while (std::optional<std::u16string> line = lines.Next()) {
        if (line->empty() || line->starts_with(u';')) continue;
        if (line->starts_with(u'[')) {
            if (!line->ends_with(u']') || line->size() < 3) return std::nullopt;
            RegistrationKey key;
            key.remove = (*line)[1] == u'-';
            key.path = line->substr(key.remove ? 2 : 1, line->size() - (key.remove ? 3 : 2));
            if (key.path.empty()) return std::nullopt;
            keys.push_back(std::move(key));
            continue;
        }
        std::optional<RegistrationValue> value = ReadValue(*line);
        if (!value || keys.empty() || keys.back().remove) return std::nullopt;
        keys.back().values.push_back(std::move(*value));
    }
    return keys;
}

}  // namespace vantrel::remote
