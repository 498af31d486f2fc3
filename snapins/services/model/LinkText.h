// The hyperlink label of the description pane without its window: which part
// of a label's text is the link, and the link colours as the browser settings
// of the current user keep them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel::services {

// A label text split at its "<A>" and "</A>" marks (in any case). Without a
// "<A>" the whole text is the link; without a "</A>" the link runs to the end.
struct LinkParts {
    std::u16string before;
    std::u16string link;
    std::u16string after;
};
LinkParts SplitLinkMarkup(std::u16string_view text);

struct LinkColour {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    bool operator==(const LinkColour&) const = default;
};

// The longest colour text there is: "255,255,255" and a little room.
constexpr size_t kLinkColourMaxBytes = 12;

// "r,g,b": three decimal components of 0 to 255 separated by commas, blanks
// around them allowed, at most kLinkColourMaxBytes bytes. Anything else is no
// colour, and the label keeps its own.
std::optional<LinkColour> ParseLinkColour(std::string_view text);

}  // namespace vantrel::services
