// The remote console's screen without its window: pieces of the screen buffer
// assembled from the answers to 804, the last complete screen that is shown,
// the cursor, the sixteen console colours, and the runs of cells a row is
// drawn in.
//
// The other side is not trusted: sizes are checked in 64 bits and bounded
// before anything is allocated, a piece is taken only if it lies inside the
// buffer, and a buffer of a new size starts blank, so that nothing stale or
// uninitialised is ever shown.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::console {

// Limits of a screen the view accepts: each side 1 to 32767 cells, and at most
// 64 MiB of cells (a real console's largest buffer, 120 x 9001, is 4.3 MB).
constexpr int32_t kMaxScreenSide = 32767;
constexpr uint64_t kMaxScreenBytes = uint64_t{64} << 20;

// A blank cell: a space in the default colours (light grey on black).
constexpr uint8_t kBlankCharacter = ' ';
constexpr uint8_t kBlankAttribute = 7;

// The fields of one 804 answer, as read from its nodes.
struct ScreenAnswer {
    int32_t width = 0;
    int32_t height = 0;
    std::string_view buffer;  // Base64 of the piece's bytes
    int32_t offset = 0;
    int32_t cursorX = 0;
    int32_t cursorY = 0;
    int32_t cursorSize = 0;
    bool cursorVisible = false;
    bool sizeRestricted = false;
};

// The byte size of a width x height screen, or nothing when it is outside the
// limits above.
std::optional<uint32_t> ScreenBytes(int32_t width, int32_t height);

struct Cursor {
    int32_t column = 0;
    int32_t row = 0;
    int32_t sizePercent = 25;  // 1 to 100 of the cell height
    bool visible = false;

    bool operator==(const Cursor&) const = default;
};

// The cursor of an answer within a width x height grid (both at least 1).
Cursor ClampCursor(const ScreenAnswer& answer, int32_t width, int32_t height);

enum class PieceOutcome {
    Stored,     // kept; the screen is shown when its last piece arrives
    Completed,  // the piece ended the buffer: the assembled screen is shown
    BadSize,    // the width or height is out of bounds; nothing changed
    BadPiece,   // the piece lies outside the buffer; nothing changed
};

struct ScreenUpdate {
    PieceOutcome outcome = PieceOutcome::BadSize;
    bool resized = false;       // the grid has a new size (blank until its screen completes)
    bool cellsChanged = false;  // the shown cells differ from before
    bool cursorChanged = false;
    bool restrictedNow = false;  // "SizeRestricted" turned true with this answer
    // A stored piece ended past every piece stored since the last complete
    // screen: the screen's transfer moves on.
    bool advanced = false;

    bool Accepted() const { return outcome == PieceOutcome::Stored || outcome == PieceOutcome::Completed; }
};

class ConsoleScreen {
public:
    // Takes one answer. A rejected answer changes nothing at all.
    ScreenUpdate Apply(const ScreenAnswer& answer);

    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    // The shown screen: Width() x Height() cells of 4 bytes, row by row.
    const uint8_t* Cells() const { return shown_.data(); }
    const uint8_t* Row(int32_t row) const { return shown_.data() + RowBytes() * static_cast<size_t>(row); }
    size_t ByteCount() const { return shown_.size(); }
    const Cursor& CurrentCursor() const { return cursor_; }

    // The character byte and the attribute of a shown cell; 0 outside the grid.
    uint8_t CharacterAt(int32_t column, int32_t row) const;
    uint16_t AttributeAt(int32_t column, int32_t row) const;

private:
    size_t RowBytes() const;
    void Resize(int32_t width, int32_t height, uint32_t bytes);
    bool Commit();

    int32_t width_ = 0;
    int32_t height_ = 0;
    std::vector<uint8_t> pending_;  // where pieces land
    std::vector<uint8_t> shown_;    // the last complete screen
    Cursor cursor_;
    bool restricted_ = false;
    size_t storedTo_ = 0;  // the furthest end of a piece since the last complete screen
};

// ---- colours ------------------------------------------------------------------

// The colour of a console colour index 0-15 (bit 0 blue, 1 green, 2 red, 3
// intensity) as 0x00BBGGRR: 0x80 per set component, 0xFF with intensity; 7
// is the 0xC0 grey and 8 the 0x80 grey.
uint32_t ConsoleColour(unsigned index);
inline uint32_t TextColourOf(uint16_t attribute) { return ConsoleColour(attribute & 0x0F); }
inline uint32_t BackgroundColourOf(uint16_t attribute) { return ConsoleColour((attribute >> 4) & 0x0F); }

// ---- drawing runs ----------------------------------------------------------------

// Which bytes begin a double-byte character.
enum class LeadBytes {
    None,         // a single-byte code page
    CodePage932,  // 0x81-0x9F and 0xE0-0xFC
    AboveAscii,   // any other double-byte code page: every byte above 128
};

LeadBytes LeadBytesFor(uint32_t codePage, bool doubleByte);
bool IsLeadByte(LeadBytes rule, uint8_t byte);

// Cells of one row drawn with one call: `count` cells from `column` that agree
// in the attribute bits drawn. A double-byte character takes its lead's cell
// and the next, and the lead's attribute; each cell gives one byte of the
// run's text.
struct CellRun {
    int32_t column = 0;
    int32_t count = 0;
    uint8_t attribute = 0;  // the cells' attribute bits within the mask
};

// The attribute bits a run agrees in: both colours, the background alone
// (filled first) or the text colour alone (drawn over it).
constexpr uint8_t kBothColours = 0xFF;
constexpr uint8_t kBackgroundBits = 0xF0;
constexpr uint8_t kTextBits = 0x0F;

// Appends the runs of a row of `width` cells that touch columns [first, last]
// and their text (count bytes per run, in order). A lead byte in the row's
// last cell is drawn alone; a zero character is drawn as a space.
void PlanRow(const uint8_t* rowCells, int32_t width, int32_t first, int32_t last, LeadBytes rule,
             std::vector<CellRun>& runs, std::string& text, uint8_t attributeMask = kBothColours);

// Whether a run's text is all spaces: nothing to draw over its background.
bool IsBlankRun(std::string_view text);

}  // namespace vantrel::console
