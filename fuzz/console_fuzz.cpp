// The Command Console's screen reads (804) on arbitrary answers: one answer a
// line, "width height offset cursorX cursorY cursorSize visible restricted
// base64", applied in turn to one screen. Whatever arrives, the screen keeps
// its size within the limits, a refused answer changes nothing, the cursor
// stays in the grid, and every row plans into runs inside the row.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "snapins/console/model/ConsoleScreen.h"

namespace {

using namespace vantrel::console;

void Require(bool condition) {
    if (!condition) std::abort();
}

// The next blank-separated number of a line, saturated to 32 bits.
int32_t NextNumber(std::string_view& line) {
    while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
    const std::string field(line.substr(0, line.find(' ')));
    line.remove_prefix(field.size());
    const long long value = std::strtoll(field.c_str(), nullptr, 10);
    if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(value);
}

ScreenAnswer ReadAnswer(std::string_view line) {
    ScreenAnswer answer;
    answer.width = NextNumber(line);
    answer.height = NextNumber(line);
    answer.offset = NextNumber(line);
    answer.cursorX = NextNumber(line);
    answer.cursorY = NextNumber(line);
    answer.cursorSize = NextNumber(line);
    answer.cursorVisible = NextNumber(line) != 0;
    answer.sizeRestricted = NextNumber(line) != 0;
    while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
    answer.buffer = line;
    return answer;
}

struct Snapshot {
    int32_t width;
    int32_t height;
    std::vector<uint8_t> cells;
    Cursor cursor;
};

Snapshot Take(const ConsoleScreen& screen) {
    return {screen.Width(), screen.Height(), std::vector<uint8_t>(screen.Cells(), screen.Cells() + screen.ByteCount()),
            screen.CurrentCursor()};
}

void CheckRows(const ConsoleScreen& screen) {
    std::vector<CellRun> runs;
    std::string text;
    for (LeadBytes rule : {LeadBytes::None, LeadBytes::CodePage932, LeadBytes::AboveAscii}) {
        for (int32_t row = 0; row < screen.Height(); ++row) {
            runs.clear();
            text.clear();
            const int32_t first = row % 3 == 0 ? 0 : row % screen.Width();
            PlanRow(screen.Row(row), screen.Width(), first, screen.Width() - 1, rule, runs, text);
            size_t cells = 0;
            int32_t next = -1;
            for (const CellRun& run : runs) {
                Require(run.count > 0 && run.column >= 0 && run.column + run.count <= screen.Width());
                Require(run.column >= next);
                Require(run.column + run.count > first);
                next = run.column + run.count;
                cells += static_cast<size_t>(run.count);
            }
            Require(text.size() == cells);
            Require(runs.empty() || runs.front().column <= first);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    ConsoleScreen screen;
    for (int answers = 0; !input.empty() && answers < 32; ++answers) {
        const size_t end = input.find('\n');
        const std::string line(input.substr(0, end));
        input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);

        const ScreenAnswer answer = ReadAnswer(line);
        // Screens above 8 MiB (twice the largest a real console has) only cost
        // time here; their bounds are the unit tests' business.
        const auto bytes = ScreenBytes(answer.width, answer.height);
        if (bytes && *bytes > (8u << 20)) continue;
        const Snapshot before = Take(screen);
        const ScreenUpdate update = screen.Apply(answer);
        if (!update.Accepted()) {
            const Snapshot after = Take(screen);
            Require(after.width == before.width && after.height == before.height);
            Require(after.cells == before.cells && after.cursor == before.cursor);
            Require(!update.resized && !update.cellsChanged && !update.restrictedNow);
            continue;
        }
        Require(screen.Width() >= 1 && screen.Width() <= kMaxScreenSide);
        Require(screen.Height() >= 1 && screen.Height() <= kMaxScreenSide);
        Require(screen.ByteCount() == uint64_t(screen.Width()) * uint64_t(screen.Height()) * 4);
        Require(screen.ByteCount() <= kMaxScreenBytes);
        const Cursor& cursor = screen.CurrentCursor();
        Require(cursor.column >= 0 && cursor.column < screen.Width());
        Require(cursor.row >= 0 && cursor.row < screen.Height());
        Require(cursor.sizePercent >= 1 && cursor.sizePercent <= 100);
        Require(update.resized == (before.width != screen.Width() || before.height != screen.Height()));
        if (update.outcome == PieceOutcome::Stored && !update.resized) Require(Take(screen).cells == before.cells);
        if (screen.ByteCount() <= (1u << 20)) CheckRows(screen);
    }
    return 0;
}
