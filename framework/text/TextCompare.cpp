#include "framework/text/TextCompare.h"

#include <algorithm>

namespace vantrel {
namespace {

constexpr char16_t Shift(char16_t c, int delta) { return static_cast<char16_t>(c + delta); }

// Runs of alternating upper/lower pairs: [first, last], upper case on even
// code points when `upperEven`.
struct PairRun {
    char16_t first;
    char16_t last;
    bool upperEven;
};

constexpr PairRun kPairRuns[] = {
    {0x0100, 0x012F, true},  {0x0132, 0x0137, true},  {0x0139, 0x0148, false}, {0x014A, 0x0177, true},
    {0x0179, 0x017E, false}, {0x01CD, 0x01DC, false}, {0x01DE, 0x01EF, true},  {0x01F8, 0x021F, true},
    {0x0222, 0x0233, true},  {0x0460, 0x0481, true},  {0x048A, 0x04BF, true},  {0x04C1, 0x04CE, false},
    {0x04D0, 0x052F, true},  {0x1E00, 0x1E95, true},  {0x1EA0, 0x1EFF, true},
};

}  // namespace

char16_t FoldCase(char16_t c) {
    if (c < 0x80) return c >= u'a' && c <= u'z' ? Shift(c, -32) : c;
    if (c < 0xE0) return c == 0xB5 ? char16_t{0x39C} : c;                      // micro sign
    if (c <= 0xFE) return c == 0xF7 ? c : Shift(c, -32);                         // Latin-1, not the division sign
    if (c == 0xFF) return 0x178;
    if (c >= 0x3B1 && c <= 0x3CB) return c == 0x3C2 ? char16_t{0x3A3} : Shift(c, -32);  // Greek; final sigma
    if (c >= 0x3AC && c <= 0x3AF) return c == 0x3AC ? char16_t{0x386} : Shift(c, -37);  // Greek with tonos
    if (c == 0x3CC) return 0x38C;
    if (c == 0x3CD || c == 0x3CE) return Shift(c, -63);
    if (c >= 0x430 && c <= 0x44F) return Shift(c, -32);                          // Cyrillic
    if (c >= 0x450 && c <= 0x45F) return Shift(c, -80);
    if (c >= 0x561 && c <= 0x586) return Shift(c, -48);                          // Armenian
    if (c >= 0xFF41 && c <= 0xFF5A) return Shift(c, -32);                        // full-width Latin
    for (const PairRun& run : kPairRuns) {
        if (c < run.first || c > run.last) continue;
        const bool even = (c & 1) == 0;
        return even == run.upperEven ? c : Shift(c, -1);
    }
    return c;
}

int CompareNoCase(std::u16string_view a, std::u16string_view b) {
    const size_t common = std::min(a.size(), b.size());
    for (size_t i = 0; i < common; ++i) {
        const char16_t x = FoldCase(a[i]);
        const char16_t y = FoldCase(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool EqualsNoCase(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() && CompareNoCase(a, b) == 0;
}

int CompareNoCase(std::string_view a, std::string_view b) {
    const size_t common = std::min(a.size(), b.size());
    for (size_t i = 0; i < common; ++i) {
        const auto x = FoldCase(static_cast<unsigned char>(a[i]));
        const auto y = FoldCase(static_cast<unsigned char>(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

}  // namespace vantrel
