// Timing of the Command Console's terminal under Wine: one full repaint of a
// 120 x 50 visible area (of a 120 x 9001 screen) through the real window,
// against drawing the same cells one TextOut each into the same bitmap. Run
// by hand:
//   wine build/windows/bin/console_paint_bench.exe [rounds]
#include "bench/wine/WallClock.h"
#include "framework/text/Base64.h"
#include "snapins/console/ConsoleIds.h"
#include "snapins/console/model/Protocol.h"
#include "tests/host/TestHost.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

namespace wire = vantrel::console::protocol;
using vantrel::test::Message;
using vantrel::test::TestHost;

constexpr int kWidth = 120;
constexpr int kHeight = 9001;
constexpr int kShownRows = 50;
constexpr UINT_PTR kScreenTimer = 101;

using vantrel::bench::Milliseconds;
using vantrel::bench::Time;

template <typename F>
double Best(int rounds, F&& work) {
    double best = 1e300;
    for (int i = 0; i < rounds; ++i) {
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        work();
        GdiFlush();
        QueryPerformanceCounter(&end);
        best = std::min(best, Milliseconds(start, end));
    }
    return best;
}

struct Sample {
    const char* name;
    int runLength;       // cells of one colour
    uint8_t colourStep;  // added to the attribute from one run to the next
    int textColumns;     // blank beyond
};

// A listing in the default colours, runs of a few cells on changing grounds
// as coloured listings show, and the worst cases: a new ground, or a new
// ground and text colour, every cell.
constexpr Sample kSamples[] = {{"a listing, 60 columns", 1, 0x00, 60},
                               {"a new ground every 8 cells", 8, 0x10, kWidth},
                               {"a new ground every cell", 1, 0x10, kWidth},
                               {"new colours every cell", 1, 0x11, kWidth}};

std::vector<uint8_t> Cells(const Sample& sample) {
    std::vector<uint8_t> cells(static_cast<size_t>(kWidth) * kHeight * 4);
    for (size_t cell = 0; cell < cells.size() / 4; ++cell) {
        const bool text = static_cast<int>(cell % kWidth) < sample.textColumns;
        cells[cell * 4] = static_cast<uint8_t>(text ? '!' + cell % 90 : ' ');
        cells[cell * 4 + 2] = static_cast<uint8_t>(0x07 + sample.colourStep * ((cell / sample.runLength) % 4));
    }
    return cells;
}

std::unique_ptr<Message> Answer(TestHost& host, uint32_t command) {
    auto answer = host.MakeAnswer(wire::kSnapInId, command);
    answer->Root().ChildNode("RetValue").SetLong(0);
    return answer;
}

// A screen read answered; the pause before the read ends first, as its timer would.
void ShowScreen(TestHost& host, HWND snapInWindow, const std::vector<uint8_t>& cells) {
    ::SendMessageW(snapInWindow, WM_TIMER, kScreenTimer, 0);
    auto screen = Answer(host, wire::kScreenCommand);
    screen->Root().ChildNode(wire::kScreenWidthNode).SetLong(kWidth);
    screen->Root().ChildNode(wire::kScreenHeightNode).SetLong(kHeight);
    screen->Root().ChildNode(wire::kOffsetNode).SetLong(0);
    screen->Root().ChildNode(wire::kCursorSizeNode).SetLong(25);
    screen->Root().ChildNode(wire::kScreenBufferNode).SetText(vantrel::Base64Encode(cells.data(), cells.size()));
    host.Deliver(std::move(screen));
}

// The naive way: every cell with its own colours and its own call.
void CellByCell(HDC dc, const std::vector<uint8_t>& cells, int cellWidth, int cellHeight) {
    SelectObject(dc, GetStockObject(OEM_FIXED_FONT));
    for (int row = 0; row < kShownRows; ++row) {
        for (int column = 0; column < kWidth; ++column) {
            const uint8_t* cell = &cells[(static_cast<size_t>(row) * kWidth + column) * 4];
            SetTextColor(dc, (cell[2] & 0x08) ? RGB(0xFF, 0xFF, 0xFF) : RGB(0xC0, 0xC0, 0xC0));
            SetBkColor(dc, (cell[2] >> 4) ? RGB(0, 0, 0x80) : RGB(0, 0, 0));
            TextOutA(dc, 1 + column * cellWidth, 1 + row * cellHeight, reinterpret_cast<const char*>(cell), 1);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    TestHost host;
    ISnapIn* console = host.Open(wire::kSnapInId);
    if (!console) {
        std::printf("the module has no Command Console\n");
        return 1;
    }
    console->QuerySupported();
    auto supported = host.MakeAnswer(wire::kSnapInId, wire::kSupportedCommand);
    supported->Root().ChildNode("Supported").SetBool(1);
    host.Deliver(std::move(supported));
    host.Activate(console);
    host.Deliver(Answer(host, wire::kStartCommand));

    HWND terminal = GetDlgItem(console->GetWindow(), IDC_CON_TERMINAL);
    HDC screenDc = GetDC(nullptr);
    HGDIOBJ oldFont = SelectObject(screenDc, GetStockObject(OEM_FIXED_FONT));
    TEXTMETRICW metrics = {};
    GetTextMetricsW(screenDc, &metrics);
    SelectObject(screenDc, oldFont);
    ReleaseDC(nullptr, screenDc);
    const int cellWidth = metrics.tmAveCharWidth, cellHeight = metrics.tmHeight;
    MoveWindow(console->GetWindow(), 0, 0, kWidth * cellWidth + 2 + GetSystemMetrics(SM_CXVSCROLL),
               kShownRows * cellHeight + 2, TRUE);
    // The scroll bars settle with the first screen; the bitmap takes the client area then.
    ShowScreen(host, console->GetWindow(), Cells(kSamples[0]));
    RECT client = {};
    GetClientRect(terminal, &client);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), client.right, -client.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);

    std::printf("cells %dx%d, %dx%d shown (%ldx%ld pixels), best of %d\n", cellWidth, cellHeight, kWidth, kShownRows,
                client.right, client.bottom, rounds);
    std::printf("%-28s %10s %12s %7s\n", "screen", "repaint ms", "cell by cell", "ratio");
    for (const Sample& sample : kSamples) {
        const std::vector<uint8_t> cells = Cells(sample);
        ShowScreen(host, console->GetWindow(), cells);
        const double ours =
            Best(rounds, [&] { ::SendMessageW(terminal, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT); });
        const double naive = Best(rounds, [&] { CellByCell(dc, cells, cellWidth, cellHeight); });
        std::printf("%-28s %10.2f %12.2f %7.2f\n", sample.name, ours, naive, ours / naive);
    }
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return 0;
}
