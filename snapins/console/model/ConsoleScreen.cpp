#include "snapins/console/model/ConsoleScreen.h"

#include <algorithm>
#include <cstring>

#include "framework/text/Base64.h"
#include "snapins/console/model/Protocol.h"

namespace vantrel::console {
namespace {

using protocol::kCellBytes;

void FillBlank(std::vector<uint8_t>& cells, size_t bytes) {
    cells.resize(bytes);
    for (size_t i = 0; i + kCellBytes <= bytes; i += kCellBytes) {
        cells[i] = kBlankCharacter;
        cells[i + 1] = 0;
        cells[i + 2] = kBlankAttribute;
        cells[i + 3] = 0;
    }
}

}  // namespace

std::optional<uint32_t> ScreenBytes(int32_t width, int32_t height) {
    if (width < 1 || height < 1 || width > kMaxScreenSide || height > kMaxScreenSide) return std::nullopt;
    const uint64_t bytes = uint64_t(width) * uint64_t(height) * kCellBytes;
    if (bytes > kMaxScreenBytes) return std::nullopt;
    return static_cast<uint32_t>(bytes);
}

Cursor ClampCursor(const ScreenAnswer& answer, int32_t width, int32_t height) {
    Cursor cursor;
    cursor.column = std::clamp(answer.cursorX, 0, std::max(width, 1) - 1);
    cursor.row = std::clamp(answer.cursorY, 0, std::max(height, 1) - 1);
    cursor.sizePercent = std::clamp(answer.cursorSize, 1, 100);
    cursor.visible = answer.cursorVisible;
    return cursor;
}

ScreenUpdate ConsoleScreen::Apply(const ScreenAnswer& answer) {
    ScreenUpdate update;
    const std::optional<uint32_t> full = ScreenBytes(answer.width, answer.height);
    if (!full) return update;

    // The decoded byte count is the truth; the piece must fit where it says it goes.
    std::vector<uint8_t> piece = Base64Decode(answer.buffer);
    if (answer.offset < 0 || uint64_t(answer.offset) + piece.size() > *full) {
        update.outcome = PieceOutcome::BadPiece;
        return update;
    }

    if (answer.width != width_ || answer.height != height_) {
        Resize(answer.width, answer.height, *full);
        update.resized = true;
        update.cellsChanged = true;
    }
    const size_t offset = static_cast<size_t>(answer.offset);
    if (offset == 0 && piece.size() == *full) {
        pending_.swap(piece);  // the whole screen at once
    } else if (!piece.empty()) {
        std::memcpy(pending_.data() + offset, piece.data(), piece.size());
    }
    const size_t end = offset + piece.size();
    if (update.resized) storedTo_ = 0;
    update.outcome = PieceOutcome::Stored;
    update.advanced = end > storedTo_;
    storedTo_ = std::max(storedTo_, end);
    if (end == *full) {
        update.outcome = PieceOutcome::Completed;
        update.cellsChanged = Commit() || update.cellsChanged;
        storedTo_ = 0;
    }

    const Cursor cursor = ClampCursor(answer, width_, height_);
    update.cursorChanged = cursor != cursor_;
    cursor_ = cursor;
    update.restrictedNow = answer.sizeRestricted && !restricted_;
    restricted_ = answer.sizeRestricted;
    return update;
}

void ConsoleScreen::Resize(int32_t width, int32_t height, uint32_t bytes) {
    width_ = width;
    height_ = height;
    FillBlank(pending_, bytes);
    FillBlank(shown_, bytes);
}

bool ConsoleScreen::Commit() {
    if (shown_ == pending_) return false;
    shown_ = pending_;
    return true;
}

size_t ConsoleScreen::RowBytes() const { return static_cast<size_t>(width_) * kCellBytes; }

uint8_t ConsoleScreen::CharacterAt(int32_t column, int32_t row) const {
    if (column < 0 || row < 0 || column >= width_ || row >= height_) return 0;
    return Row(row)[static_cast<size_t>(column) * kCellBytes];
}

uint16_t ConsoleScreen::AttributeAt(int32_t column, int32_t row) const {
    if (column < 0 || row < 0 || column >= width_ || row >= height_) return 0;
    const uint8_t* cell = Row(row) + static_cast<size_t>(column) * kCellBytes;
    return static_cast<uint16_t>(cell[2] | cell[3] << 8);
}

// ---- colours ------------------------------------------------------------------

uint32_t ConsoleColour(unsigned index) {
    index &= 0x0F;
    if (index == 7) return 0xC0C0C0;
    if (index == 8) return 0x808080;
    const uint32_t level = (index & 8) ? 0xFF : 0x80;
    const uint32_t red = (index & 4) ? level : 0;
    const uint32_t green = (index & 2) ? level : 0;
    const uint32_t blue = (index & 1) ? level : 0;
    return red | green << 8 | blue << 16;
}

// ---- drawing runs ----------------------------------------------------------------

LeadBytes LeadBytesFor(uint32_t codePage, bool doubleByte) {
    if (!doubleByte) return LeadBytes::None;
    return codePage == 932 ? LeadBytes::CodePage932 : LeadBytes::AboveAscii;
}

bool IsLeadByte(LeadBytes rule, uint8_t byte) {
    switch (rule) {
    case LeadBytes::CodePage932:
        return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    case LeadBytes::AboveAscii:
        return byte > 128;
    default:
        return false;
    }
}

void PlanRow(const uint8_t* rowCells, int32_t width, int32_t first, int32_t last, LeadBytes rule,
             std::vector<CellRun>& runs, std::string& text, uint8_t attributeMask) {
    first = std::max(first, 0);
    last = std::min(last, width - 1);
    if (!rowCells || first > last) return;
    auto character = [&](int32_t column) {
        const uint8_t byte = rowCells[static_cast<size_t>(column) * kCellBytes];
        return static_cast<char>(byte == 0 ? ' ' : byte);
    };
    auto attribute = [&](int32_t column) {
        return static_cast<uint8_t>(rowCells[static_cast<size_t>(column) * kCellBytes + 2] & attributeMask);
    };

    // Pairs are found from the row's start, so that a character whose lead is
    // left of the visible columns is still drawn whole.
    int32_t column = rule == LeadBytes::None ? first : 0;
    CellRun* run = nullptr;
    while (column <= last) {
        const uint8_t byte = rowCells[static_cast<size_t>(column) * kCellBytes];
        const int32_t cells = IsLeadByte(rule, byte) && column + 1 < width ? 2 : 1;
        if (column + cells > first) {
            const uint8_t shade = attribute(column);
            if (!run || shade != run->attribute) {
                runs.push_back({column, 0, shade});
                run = &runs.back();
            }
            for (int32_t i = 0; i < cells; ++i) text.push_back(character(column + i));
            run->count += cells;
        }
        column += cells;
    }
}

bool IsBlankRun(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c == ' '; });
}

}  // namespace vantrel::console
