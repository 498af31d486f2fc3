#include "snapins/services/model/LinkText.h"

#include <array>

namespace vantrel::services {

namespace {

char16_t AsciiLower(char16_t c)
{
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

// Position of an ASCII mark in the text, without regard to case, or npos.
size_t FindMark(std::u16string_view text, std::u16string_view mark, size_t from)
{
    for (size_t at = from; at + mark.size() <= text.size(); ++at) {
        bool same = true;
        for (size_t i = 0; i < mark.size() && same; ++i)
            same = AsciiLower(text[at + i]) == mark[i];
        if (same)
            return at;
    }
    return std::u16string_view::npos;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

}  // namespace

LinkParts SplitLinkMarkup(std::u16string_view text)
{
    constexpr std::u16string_view kOpen = u"<a>";
    constexpr std::u16string_view kClose = u"</a>";
    LinkParts parts;
    const size_t open = FindMark(text, kOpen, 0);
    if (open == std::u16string_view::npos) {
        parts.link = text;
        return parts;
    }
    parts.before = text.substr(0, open);
    const size_t linkStart = open + kOpen.size();
    const size_t close = FindMark(text, kClose, linkStart);
    if (close == std::u16string_view::npos) {
        parts.link = text.substr(linkStart);
        return parts;
    }
    parts.link = text.substr(linkStart, close - linkStart);
    parts.after = text.substr(close + kClose.size());
    return parts;
}

std::optional<LinkColour> ParseLinkColour(std::string_view text)
{
    if (text.size() > kLinkColourMaxBytes)
        return std::nullopt;
    std::array<int, 3> components = {};
    size_t at = 0;
    for (size_t c = 0; c < components.size(); ++c) {
        if (c > 0) {
            if (at >= text.size() || text[at] != ',')
                return std::nullopt;
            ++at;
        }
        while (at < text.size() && IsBlank(text[at]))
            ++at;
        int value = 0;
        size_t digits = 0;
        for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at, ++digits) {
            value = value * 10 + (text[at] - '0');
            if (value > 255)
                return std::nullopt;
        }
        if (digits == 0)
            return std::nullopt;
        while (at < text.size() && IsBlank(text[at]))
            ++at;
        components[c] = value;
    }
    if (at != text.size())
        return std::nullopt;
    return LinkColour{static_cast<uint8_t>(components[0]), static_cast<uint8_t>(components[1]),
                      static_cast<uint8_t>(components[2])};
}

}  // namespace vantrel::services
