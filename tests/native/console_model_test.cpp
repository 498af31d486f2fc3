// The Command Console model: the screen assembled from pieces, its bounds
// against hostile answers, the colours, the runs a row is drawn in, and the
// key events as they travel.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/text/Base64.h"
#include "snapins/console/model/ConsoleScreen.h"
#include "snapins/console/model/KeyEvents.h"

namespace vantrel::console {
namespace {

// Cells of a width x height screen: every character `c`, attribute `a`.
std::vector<uint8_t> Cells(int width, int height, char c, uint8_t a) {
    std::vector<uint8_t> cells;
    for (int i = 0; i < width * height; ++i) cells.insert(cells.end(), {uint8_t(c), 0, a, 0});
    return cells;
}

ScreenAnswer Piece(int width, int height, const std::vector<uint8_t>& bytes, size_t from, size_t count,
                   std::string& storage) {
    storage = Base64Encode(bytes.data() + from, count);
    ScreenAnswer answer;
    answer.width = width;
    answer.height = height;
    answer.buffer = storage;
    answer.offset = static_cast<int32_t>(from);
    answer.cursorSize = 25;
    answer.cursorVisible = true;
    return answer;
}

ScreenAnswer Whole(int width, int height, const std::vector<uint8_t>& bytes, std::string& storage) {
    return Piece(width, height, bytes, 0, bytes.size(), storage);
}

std::vector<uint8_t> Shown(const ConsoleScreen& screen) {
    return std::vector<uint8_t>(screen.Cells(), screen.Cells() + screen.ByteCount());
}

// ---------------------------------------------------------------------------
// Assembly

TEST(ConsoleScreenTest, AScreenInThreePiecesIsShownOnlyWhenTheLastArrives) {
    ConsoleScreen screen;
    std::string text;
    const std::vector<uint8_t> first = Cells(10, 3, 'a', 0x07);
    ASSERT_EQ(screen.Apply(Whole(10, 3, first, text)).outcome, PieceOutcome::Completed);
    ASSERT_EQ(Shown(screen), first);

    const std::vector<uint8_t> second = Cells(10, 3, 'b', 0x1E);
    const size_t k = 40;
    ScreenUpdate update = screen.Apply(Piece(10, 3, second, 0, k, text));
    EXPECT_EQ(update.outcome, PieceOutcome::Stored);
    EXPECT_TRUE(update.advanced);
    EXPECT_FALSE(update.cellsChanged);
    EXPECT_FALSE(screen.Apply(Piece(10, 3, second, 0, k, text)).advanced) << "the same piece again";
    update = screen.Apply(Piece(10, 3, second, k, k, text));
    EXPECT_EQ(update.outcome, PieceOutcome::Stored);
    EXPECT_TRUE(update.advanced);
    EXPECT_EQ(Shown(screen), first) << "nothing of a screen is shown before its last piece";
    update = screen.Apply(Piece(10, 3, second, 2 * k, second.size() - 2 * k, text));
    EXPECT_EQ(update.outcome, PieceOutcome::Completed);
    EXPECT_TRUE(update.cellsChanged);
    EXPECT_EQ(Shown(screen), second);

    // The same screen again: complete, but nothing to redraw.
    update = screen.Apply(Whole(10, 3, second, text));
    EXPECT_EQ(update.outcome, PieceOutcome::Completed);
    EXPECT_FALSE(update.cellsChanged);
    // A last piece alone keeps what the earlier pieces left.
    std::vector<uint8_t> tail = second;
    tail[tail.size() - 4] = 'z';
    update = screen.Apply(Piece(10, 3, tail, tail.size() - 4, 4, text));
    EXPECT_EQ(update.outcome, PieceOutcome::Completed);
    EXPECT_EQ(screen.CharacterAt(9, 2), 'z');
    EXPECT_EQ(screen.CharacterAt(8, 2), 'b');
}

TEST(ConsoleScreenTest, ANewSizeStartsBlankAndThePiecesFillIt) {
    ConsoleScreen screen;
    std::string text;
    screen.Apply(Whole(4, 2, Cells(4, 2, 'x', 0x4F), text));
    const std::vector<uint8_t> wide = Cells(6, 3, 'y', 0x20);
    ScreenUpdate update = screen.Apply(Piece(6, 3, wide, 24, 24, text));
    EXPECT_TRUE(update.resized);
    EXPECT_EQ(update.outcome, PieceOutcome::Stored);
    EXPECT_EQ(screen.Width(), 6);
    EXPECT_EQ(screen.Height(), 3);
    EXPECT_EQ(Shown(screen), Cells(6, 3, ' ', 0x07)) << "blank, never the old screen or uninitialised bytes";

    update = screen.Apply(Piece(6, 3, wide, 48, 24, text));
    EXPECT_EQ(update.outcome, PieceOutcome::Completed);
    EXPECT_FALSE(update.resized);
    EXPECT_EQ(screen.CharacterAt(0, 0), ' ') << "the first row never came and stays blank";
    EXPECT_EQ(screen.AttributeAt(0, 0), 0x07);
    EXPECT_EQ(screen.CharacterAt(0, 1), 'y');
    EXPECT_EQ(screen.AttributeAt(5, 2), 0x20);
    EXPECT_EQ(screen.CharacterAt(6, 0), 0) << "outside the grid";
    EXPECT_EQ(screen.AttributeAt(0, -1), 0);
}

TEST(ConsoleScreenTest, HostileSizesAndOffsetsAreRefusedAndChangeNothing) {
    ConsoleScreen screen;
    std::string text;
    const std::vector<uint8_t> good = Cells(5, 2, 'g', 0x0A);
    screen.Apply(Whole(5, 2, good, text));
    const Cursor before = screen.CurrentCursor();

    // 65536 x 16384 x 4 is 2^32: zero in 32 bits.
    const struct {
        int width, height;
    } badSizes[] = {{65536, 16384}, {0, 25},    {80, 0},        {-80, 25},    {80, -25},
                    {32768, 1},     {1, 32768}, {32767, 32767}, {4096, 4097}, {INT32_MIN, INT32_MIN}};
    for (const auto& size : badSizes) {
        ScreenAnswer answer = Piece(5, 2, good, 0, 4, text);
        answer.width = size.width;
        answer.height = size.height;
        EXPECT_EQ(screen.Apply(answer).outcome, PieceOutcome::BadSize) << size.width << "x" << size.height;
    }
    EXPECT_EQ(ScreenBytes(4096, 4096), 64u << 20) << "64 MiB is still accepted";
    EXPECT_EQ(ScreenBytes(32767, 1), 32767u * 4);
    EXPECT_EQ(ScreenBytes(1, 1), 4u);

    const struct {
        int32_t offset;
        size_t count;
    } badPieces[] = {{-4, 4}, {INT32_MIN, 4}, {36, 8}, {40, 4}, {INT32_MAX, 1}, {0, 44}};
    const std::vector<uint8_t> big = Cells(11, 1, 'h', 0x0C);  // 44 bytes: longer than the screen
    for (const auto& bad : badPieces) {
        ScreenAnswer answer = Piece(5, 2, big, 0, bad.count, text);
        answer.offset = bad.offset;
        answer.cursorX = 3;
        answer.sizeRestricted = true;
        EXPECT_EQ(screen.Apply(answer).outcome, PieceOutcome::BadPiece) << bad.offset << "+" << bad.count;
    }
    EXPECT_EQ(Shown(screen), good);
    EXPECT_EQ(screen.CurrentCursor(), before);

    // A piece of nothing at the very end completes the screen as it is.
    ScreenAnswer empty = Piece(5, 2, good, 0, 0, text);
    empty.offset = 40;
    EXPECT_EQ(screen.Apply(empty).outcome, PieceOutcome::Completed);
    // A resize refused for its piece leaves the old size.
    ScreenAnswer resized = Piece(9, 9, big, 0, 44, text);
    resized.offset = 9 * 9 * 4 - 40;
    EXPECT_EQ(screen.Apply(resized).outcome, PieceOutcome::BadPiece);
    EXPECT_EQ(screen.Width(), 5);
    EXPECT_EQ(Shown(screen), good);
}

TEST(ConsoleScreenTest, TheCursorStaysInTheGridAndSizeRestrictedIsReportedWhenItTurnsTrue) {
    ConsoleScreen screen;
    std::string text;
    ScreenAnswer answer = Whole(80, 25, Cells(80, 25, ' ', 7), text);
    answer.cursorX = -5;
    answer.cursorY = 400;
    answer.cursorSize = 0;
    ScreenUpdate update = screen.Apply(answer);
    EXPECT_EQ(screen.CurrentCursor(), (Cursor{0, 24, 1, true}));
    EXPECT_TRUE(update.cursorChanged);
    answer.cursorX = 1000;
    answer.cursorY = -1;
    answer.cursorSize = 1000;
    answer.cursorVisible = false;
    screen.Apply(answer);
    EXPECT_EQ(screen.CurrentCursor(), (Cursor{79, 0, 100, false}));
    EXPECT_FALSE(screen.Apply(answer).cursorChanged);

    answer.sizeRestricted = true;
    EXPECT_TRUE(screen.Apply(answer).restrictedNow);
    EXPECT_FALSE(screen.Apply(answer).restrictedNow) << "every answer of a restricted console says so";
    answer.sizeRestricted = false;
    EXPECT_FALSE(screen.Apply(answer).restrictedNow);
    answer.sizeRestricted = true;
    EXPECT_TRUE(screen.Apply(answer).restrictedNow) << "true again after false";
}

// ---------------------------------------------------------------------------
// Colours

TEST(ConsoleColourTest, SixteenColoursWithTheirTwoGreys) {
    const uint32_t expected[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
                                   0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    for (unsigned i = 0; i < 16; ++i) EXPECT_EQ(ConsoleColour(i), expected[i]) << i;
    EXPECT_EQ(TextColourOf(0x1E), 0x00FFFFu) << "yellow on blue";
    EXPECT_EQ(BackgroundColourOf(0x1E), 0x800000u);
    EXPECT_EQ(BackgroundColourOf(0xFF4C), 0x000080u) << "only bits 4-7 choose the background";
}

// ---------------------------------------------------------------------------
// Runs

struct Planned {
    std::vector<CellRun> runs;
    std::string text;
};

Planned Plan(const std::vector<uint8_t>& row, int first, int last, LeadBytes rule) {
    Planned planned;
    PlanRow(row.data(), static_cast<int>(row.size() / 4), first, last, rule, planned.runs, planned.text);
    return planned;
}

std::vector<uint8_t> Row(const std::string& characters, const std::vector<uint8_t>& attributes) {
    std::vector<uint8_t> row;
    for (size_t i = 0; i < characters.size(); ++i)
        row.insert(row.end(), {uint8_t(characters[i]), 0, attributes[i], 0x80});
    return row;
}

bool SameRuns(const std::vector<CellRun>& runs, const std::vector<CellRun>& expected) {
    if (runs.size() != expected.size()) return false;
    for (size_t i = 0; i < runs.size(); ++i)
        if (runs[i].column != expected[i].column || runs[i].count != expected[i].count ||
            runs[i].attribute != expected[i].attribute)
            return false;
    return true;
}

TEST(ConsoleRunsTest, EqualAttributesMakeOneRunAndOnlyTheVisibleColumnsAreDrawn) {
    const auto row = Row(std::string("ab\0de", 5), {7, 7, 7, 0x1E, 0x1E});
    Planned all = Plan(row, 0, 4, LeadBytes::None);
    EXPECT_TRUE(SameRuns(all.runs, {{0, 3, 7}, {3, 2, 0x1E}}));
    EXPECT_EQ(all.text, "ab de") << "a zero character is drawn as a space";

    Planned middle = Plan(row, 1, 3, LeadBytes::None);
    EXPECT_TRUE(SameRuns(middle.runs, {{1, 2, 7}, {3, 1, 0x1E}}));
    EXPECT_EQ(middle.text, "b d");
    EXPECT_TRUE(Plan(row, 3, 99, LeadBytes::None).text == "de") << "columns past the row are not read";

    // Grouped by background alone, or by text colour alone.
    const auto shades = Row("abcd", {0x17, 0x1E, 0x2E, 0x2E});
    Planned grounds;
    PlanRow(shades.data(), 4, 0, 3, LeadBytes::None, grounds.runs, grounds.text, kBackgroundBits);
    EXPECT_TRUE(SameRuns(grounds.runs, {{0, 2, 0x10}, {2, 2, 0x20}}));
    Planned texts;
    PlanRow(shades.data(), 4, 0, 3, LeadBytes::None, texts.runs, texts.text, kTextBits);
    EXPECT_TRUE(SameRuns(texts.runs, {{0, 1, 0x07}, {1, 3, 0x0E}}));
    EXPECT_TRUE(IsBlankRun("   "));
    EXPECT_FALSE(IsBlankRun("  x"));
    EXPECT_TRUE(Plan(row, 4, 2, LeadBytes::None).runs.empty());
    EXPECT_TRUE(Plan(row, -9, -1, LeadBytes::None).runs.empty());
}

TEST(ConsoleRunsTest, DoubleByteCharactersTakeTwoCellsAndALeadInTheLastCellIsDrawnAlone) {
    EXPECT_EQ(LeadBytesFor(932, true), LeadBytes::CodePage932);
    EXPECT_EQ(LeadBytesFor(936, true), LeadBytes::AboveAscii);
    EXPECT_EQ(LeadBytesFor(437, false), LeadBytes::None);
    for (int b : {0x81, 0x9F, 0xE0, 0xFC}) EXPECT_TRUE(IsLeadByte(LeadBytes::CodePage932, uint8_t(b))) << b;
    for (int b : {0x80, 0xA0, 0xDF, 0xFD, 0x41}) EXPECT_FALSE(IsLeadByte(LeadBytes::CodePage932, uint8_t(b))) << b;
    EXPECT_FALSE(IsLeadByte(LeadBytes::AboveAscii, 0x80));
    EXPECT_TRUE(IsLeadByte(LeadBytes::AboveAscii, 0x81));
    EXPECT_FALSE(IsLeadByte(LeadBytes::None, 0x81));

    // "A", the pair 0x93 0xFA in another attribute than its trail, a
    // half-width katakana 0xB1, and a lead in the last cell.
    const auto row = Row("A\x93\xFA\xB1\x82", {7, 0x1E, 0x2F, 0x1E, 0x1E});
    Planned planned = Plan(row, 0, 4, LeadBytes::CodePage932);
    EXPECT_TRUE(SameRuns(planned.runs, {{0, 1, 7}, {1, 4, 0x1E}}))
        << "the pair takes its lead's attribute; the last cell's lead stands alone";
    EXPECT_EQ(planned.text, "A\x93\xFA\xB1\x82");

    // Scrolled so that the first visible column is the trail: the pair is
    // still drawn whole, from its lead.
    Planned scrolled = Plan(row, 2, 3, LeadBytes::CodePage932);
    EXPECT_TRUE(SameRuns(scrolled.runs, {{1, 3, 0x1E}}));
    EXPECT_EQ(scrolled.text, "\x93\xFA\xB1");

    // With any other double-byte code page every byte above 128 leads.
    Planned other = Plan(row, 0, 4, LeadBytes::AboveAscii);
    EXPECT_TRUE(SameRuns(other.runs, {{0, 1, 7}, {1, 4, 0x1E}})) << "two pairs, both led in 0x1E";
    EXPECT_EQ(other.text, "A\x93\xFA\xB1\x82");
    int cells = 0;
    for (const CellRun& run : other.runs) cells += run.count;
    EXPECT_EQ(cells, 5) << "never a cell past the row";
}

// ---------------------------------------------------------------------------
// Key events

TEST(ConsoleKeysTest, EachModifierHasItsBitAndTheWParamPacksKeyModifiersAndCharacter) {
    EXPECT_EQ(ModifierBits({}), 0);
    EXPECT_EQ(ModifierBits({.leftAlt = true, .rightCtrl = true, .numLock = true, .capsLock = true}),
              0x02 | 0x04 | 0x20 | 0x80);
    EXPECT_EQ(ModifierBits({.rightAlt = true, .leftCtrl = true, .shift = true, .scrollLock = true}),
              0x01 | 0x08 | 0x10 | 0x40);

    KeyEvent shiftA{256, 'A', 0x10 | 0x20, 'A', 0x001E0001};
    EXPECT_EQ(KeyEventWParam(shiftA), 0x41300041u);
    EXPECT_EQ(KeyEventsXml(shiftA),
              "<KeyEvents><KeyEvent Msg='256' WPARAM='1093664833' LPARAM='1966081' /></KeyEvents>");
    KeyEvent altUp{261, 0x12, 0x02, 0, 0xC0380001u};
    EXPECT_EQ(KeyEventsXml(altUp), "<KeyEvents><KeyEvent Msg='261' WPARAM='131090' LPARAM='3224895489' /></KeyEvents>")
        << "unsigned decimal numbers";

    const KeyEvent release = ControlReleaseEvent(0x08 | 0x04 | 0x10);
    EXPECT_EQ(release.message, 257u);
    EXPECT_EQ(release.virtualKey, 17);
    EXPECT_EQ(release.lParam, 0x001D0001u);
    EXPECT_EQ(release.modifiers, 0x10) << "Ctrl is up once it is released";
    EXPECT_EQ(KeyEventsXml(release), "<KeyEvents><KeyEvent Msg='257' WPARAM='1048593' LPARAM='1900545' /></KeyEvents>");
}

TEST(ConsoleKeysTest, CtrlF2NeverReachesTheOtherSideAndOtherKeysGoOnlyWhileCapturedAndRunning) {
    // Both halves of Ctrl+F2, whatever the capture.
    for (bool capture : {false, true}) {
        EXPECT_EQ(ClassifyKey(256, kVirtualKeyF2, true, capture, true), KeyAction::Swallow);
        EXPECT_EQ(ClassifyKey(257, kVirtualKeyF2, true, capture, true), KeyAction::ToggleCapture);
    }
    EXPECT_EQ(ClassifyKey(256, kVirtualKeyF2, false, true, true), KeyAction::Forward) << "F2 alone";
    for (uint32_t message : {256u, 257u, 260u, 261u}) {
        EXPECT_EQ(ClassifyKey(message, 'A', false, true, true), KeyAction::Forward) << message;
        EXPECT_EQ(ClassifyKey(message, 'A', false, false, true), KeyAction::PassOn) << message;
        EXPECT_EQ(ClassifyKey(message, 'A', false, true, false), KeyAction::PassOn) << message;
    }
    EXPECT_EQ(ClassifyKey(258, 'a', false, true, true), KeyAction::PassOn) << "WM_CHAR is not a key event";
    EXPECT_EQ(ClassifyKey(0x0101 + 1, 'a', false, true, true), KeyAction::PassOn);
}

}  // namespace
}  // namespace vantrel::console
