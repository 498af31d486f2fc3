#include "snapins/eventviewer/model/EventDetails.h"

#include "framework/text/Base64.h"
#include "snapins/eventviewer/model/EventAnswers.h"

#include <algorithm>
#include <cstdio>

namespace vantrel::eventviewer {
namespace {

bool Printable(uint8_t byte) { return byte >= 0x20 && byte < 0x7F; }

void AppendHex(std::string& out, const char* format, unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, format, value);
    out += text;
}

}  // namespace

std::u16string CleanDescription(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size() + text.size() / 8);
    size_t i = 0;
    while (i < text.size()) {
        const char16_t c = text[i];
        if (c == u'\r') {
            // "\r\r" -> "\r": the run is one "\r"; "\r\n\r\n" -> "\r\n": a
            // run of line ends (each made of one run of "\r" and a "\n") is one.
            while (i < text.size() && text[i] == u'\r') ++i;
            if (i < text.size() && text[i] == u'\n') {
                ++i;
                size_t next = i;
                while (next < text.size() && text[next] == u'\r') {
                    size_t after = next;
                    while (after < text.size() && text[after] == u'\r') ++after;
                    if (after >= text.size() || text[after] != u'\n') break;
                    next = after + 1;
                }
                i = next;
                out += u"\r\n";
            } else {
                out += u'\r';
            }
        } else if (c == u'\n') {
            out += u"\r\n";
            ++i;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

std::string BytesDump(std::span<const uint8_t> data) {
    std::string out;
    out.reserve((data.size() / 8 + 1) * 42);
    for (size_t line = 0; line < data.size(); line += 8) {
        AppendHex(out, "%.4x: ", static_cast<unsigned>(line));
        for (size_t i = line; i < line + 8; ++i) {
            if (i < data.size())
                AppendHex(out, "%.2x ", data[i]);
            else
                out += "   ";
        }
        out += "  ";
        for (size_t i = line; i < line + 8 && i < data.size(); ++i) out += Printable(data[i]) ? static_cast<char>(data[i]) : '.';
        out += "\r\n";
    }
    return out;
}

std::string WordsDump(std::span<const uint8_t> data) {
    std::string out;
    out.reserve((data.size() / 16 + 1) * 44);
    for (size_t line = 0; line < data.size(); line += 16) {
        if (line > 0) out += "\r\n";
        AppendHex(out, "%.4x: ", static_cast<unsigned>(line));
        for (size_t word = line; word < line + 16 && word < data.size(); word += 4) {
            const size_t end = std::min(word + 4, data.size());
            for (size_t i = end; i > word; --i) AppendHex(out, "%02x", data[i - 1]);
            out += ' ';
        }
    }
    return out;
}

std::vector<uint8_t> DescriptionAnswerData(std::string_view base64) {
    // Decoding more than an event may hold is not worth the memory.
    const size_t limit = kMaxEventData / 3 * 4 + 4;
    std::vector<uint8_t> data = Base64Decode(base64.substr(0, std::min(base64.size(), limit)));
    if (data.size() > kMaxEventData) data.resize(kMaxEventData);
    return data;
}

std::u16string ClipboardText(std::span<const LabelledText> fields, const LabelledText& description, const LabelledText& data) {
    std::u16string out;
    for (const LabelledText& pair : fields) {
        if (pair.label.empty() || pair.value.empty()) continue;
        out += pair.label;
        if (pair.label.size() < 12) out.append(12 - pair.label.size(), u' ');
        out += u'\t';
        out += pair.value;
        out += u"\r\n";
    }
    for (const LabelledText* pair : {&description, &data}) {
        if (pair->label.empty() || pair->value.empty()) continue;
        out += pair->label + u"\r\n" + pair->value + u"\r\n";
    }
    return out;
}

}  // namespace vantrel::eventviewer
