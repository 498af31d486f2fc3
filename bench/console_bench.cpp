// The largest console screen a real machine sends (120 x 9001 cells, 4.3 MB,
// 5.8 MB of Base64) taken by the Command Console's model: decoded, placed and
// made the shown screen, whole or in eight pieces. The reference is what no
// implementation can avoid: decoding the text alone, and copying the cells.
#include "framework/text/Base64.h"
#include "snapins/console/model/ConsoleScreen.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using vantrel::console::ConsoleScreen;
using vantrel::console::ScreenAnswer;

constexpr int kWidth = 120;
constexpr int kHeight = 9001;
constexpr size_t kBytes = size_t{kWidth} * kHeight * 4;

// Text in a few colours, as a busy console shows; `seed` makes screens differ.
std::vector<uint8_t> ScreenCells(unsigned seed) {
    std::vector<uint8_t> cells(kBytes);
    for (size_t cell = 0; cell < kBytes / 4; ++cell) {
        cells[cell * 4] = static_cast<uint8_t>(' ' + (cell * 7 + seed) % 90);
        cells[cell * 4 + 2] = static_cast<uint8_t>((cell / 13 + seed) % 3 == 0 ? 0x1E : 0x07);
    }
    return cells;
}

const std::string& ScreenText(unsigned seed) {
    static const std::string texts[2] = {vantrel::Base64Encode(ScreenCells(0).data(), kBytes),
                                         vantrel::Base64Encode(ScreenCells(1).data(), kBytes)};
    return texts[seed % 2];
}

ScreenAnswer Answer(std::string_view text, size_t offset) {
    ScreenAnswer answer;
    answer.width = kWidth;
    answer.height = kHeight;
    answer.buffer = text;
    answer.offset = static_cast<int32_t>(offset);
    answer.cursorSize = 25;
    answer.cursorVisible = true;
    return answer;
}

// Screens alternate, so that every round really replaces what is shown.
void BM_WholeScreen(benchmark::State& state) {
    ConsoleScreen screen;
    unsigned round = 0;
    for (auto _ : state) {
        const auto update = screen.Apply(Answer(ScreenText(round++), 0));
        benchmark::DoNotOptimize(update);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kBytes));
}

void BM_EightPieces(benchmark::State& state) {
    // Pieces cut at multiples of 3 bytes so that each is Base64 of its own.
    constexpr size_t kPiece = (kBytes / 8 + 2) / 3 * 3;
    std::vector<std::string> pieces[2];
    for (unsigned seed = 0; seed < 2; ++seed) {
        const std::vector<uint8_t> cells = ScreenCells(seed);
        for (size_t at = 0; at < kBytes; at += kPiece)
            pieces[seed].push_back(vantrel::Base64Encode(cells.data() + at, std::min(kPiece, kBytes - at)));
    }
    ConsoleScreen screen;
    unsigned round = 0;
    for (auto _ : state) {
        const auto& screenPieces = pieces[round++ % 2];
        for (size_t i = 0; i < screenPieces.size(); ++i)
            benchmark::DoNotOptimize(screen.Apply(Answer(screenPieces[i], i * kPiece)));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kBytes));
}

void BM_DecodeOnly(benchmark::State& state) {
    for (auto _ : state) {
        std::vector<uint8_t> bytes = vantrel::Base64Decode(ScreenText(0));
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kBytes));
}

void BM_CopyCells(benchmark::State& state) {
    const std::vector<uint8_t> cells = ScreenCells(0);
    std::vector<uint8_t> target(kBytes);
    for (auto _ : state) {
        std::memcpy(target.data(), cells.data(), kBytes);
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kBytes));
}

BENCHMARK(BM_WholeScreen)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EightPieces)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyCells)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
