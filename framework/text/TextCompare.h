// The one text comparison of the module: every sort, every model and the
// simulated machine compare names with it, so that a list sorts the same
// whichever side ordered it.
//
// Case folding is simple (one UTF-16 unit to one unit) and independent of the
// locale: ASCII, Latin-1, Latin Extended-A and -B pairs, Greek, Cyrillic,
// Armenian, Latin Extended Additional and the full-width forms. Anything else,
// surrogates included, is kept as it is.
#pragma once

#include <string_view>

namespace vantrel {

char16_t FoldCase(char16_t c);

// Both texts upper-cased unit by unit and compared as unsigned values; a
// prefix sorts first. Returns -1, 0 or 1. Never allocates.
int CompareNoCase(std::u16string_view a, std::u16string_view b);
bool EqualsNoCase(std::u16string_view a, std::u16string_view b);

// ASCII texts (names of the wire, numbers).
int CompareNoCase(std::string_view a, std::string_view b);

// Numbers in the same form: -1, 0 or 1.
template <typename Number>
constexpr int CompareValues(Number a, Number b) {
    return (a > b) - (a < b);
}

}  // namespace vantrel
