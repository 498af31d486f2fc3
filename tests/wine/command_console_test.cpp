// Command Console through its real windows: the terminal's pixels read back
// through WM_PRINTCLIENT, the caret, the status bar, the startup dialog and
// the message boxes, against hand-made answers and the simulated machine.
#include "framework/text/Base64.h"
#include "remote/RemoteMachine.h"
#include "snapins/console/ConsoleIds.h"
#include "snapins/console/model/Protocol.h"
#include "tests/host/TestHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace vantrel::test {
namespace {

namespace wire = console::protocol;
constexpr int32_t kConsole = wire::kSnapInId;
constexpr UINT_PTR kChildTimer = 100;
constexpr UINT_PTR kScreenTimer = 101;
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kNavy = RGB(0, 0, 0x80);
constexpr COLORREF kYellow = RGB(0xFF, 0xFF, 0);
constexpr COLORREF kGrey = RGB(0xC0, 0xC0, 0xC0);
const std::wstring kRestartHint =
    L"To restart console select restart from command console menu or press restart button ...";
const std::wstring kUnreadable = L"Read operation failed. The managed machine sent an answer that could not be read.";

// Cells of a screen: blank (attribute 7) unless set.
struct Screen {
    int width, height;
    std::vector<uint8_t> bytes;
    Screen(int w, int h) : width(w), height(h) {
        for (int i = 0; i < w * h; ++i) bytes.insert(bytes.end(), {' ', 0, 7, 0});
    }
    Screen& Set(int column, int row, char c, uint8_t attribute) {
        uint8_t* cell = &bytes[(static_cast<size_t>(row) * width + column) * 4];
        cell[0] = static_cast<uint8_t>(c);
        cell[2] = attribute;
        return *this;
    }
};

struct CursorState {
    int x = 0, y = 0, size = 25;
    bool visible = true;
};

// The terminal's client area as WM_PRINTCLIENT draws it.
class Canvas {
public:
    explicit Canvas(HWND window) {
        RECT client = {};
        GetClientRect(window, &client);
        width_ = client.right;
        height_ = client.bottom;
        pixels_ = PrintedClient(window, width_, height_, 0x00FF00FF);
    }
    COLORREF At(int x, int y) const {
        if (x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
        const uint32_t p = pixels_[static_cast<size_t>(y) * width_ + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    // Whether text of this colour was drawn in the area: glyphs may be
    // smoothed into the ground, so the pixel nearest to the colour decides.
    bool TextIn(const RECT& area, COLORREF colour) const {
        int nearest = 1 << 30;
        for (LONG y = area.top; y < area.bottom; ++y) {
            for (LONG x = area.left; x < area.right; ++x) {
                const COLORREF p = At(x, y);
                const int d = std::abs(GetRValue(p) - GetRValue(colour)) + std::abs(GetGValue(p) - GetGValue(colour)) +
                              std::abs(GetBValue(p) - GetBValue(colour));
                nearest = std::min(nearest, d);
            }
        }
        return nearest < 0x60;
    }
    int Width() const { return width_; }
    int Height() const { return height_; }

private:
    int width_ = 0, height_ = 0;
    std::vector<uint32_t> pixels_;
};

class CommandConsoleTest : public testing::Test {
protected:
    void SetUp() override {
        snapIn_ = host_.Open(kConsole);
        ASSERT_NE(snapIn_, nullptr);
        terminal_ = GetDlgItem(snapIn_->GetWindow(), IDC_CON_TERMINAL);
        ASSERT_NE(terminal_, nullptr);
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, GetStockObject(OEM_FIXED_FONT));
        TEXTMETRICW metrics = {};
        GetTextMetricsW(dc, &metrics);
        SelectObject(dc, old);
        DeleteDC(dc);
        cw_ = metrics.tmAveCharWidth;
        ch_ = metrics.tmHeight;
        ASSERT_GT(cw_, 0);
        SizeView(82, 27);
    }
    void TearDown() override {
        BYTE keys[256] = {};
        SetKeyboardState(keys);
    }

    // The snap-in window with room for columns x rows cells.
    void SizeView(int columns, int rows) {
        MoveWindow(snapIn_->GetWindow(), 0, 0, columns * cw_ + 2 + GetSystemMetrics(SM_CXVSCROLL),
                   rows * ch_ + 2 + GetSystemMetrics(SM_CYHSCROLL), TRUE);
    }

    void Supported(bool impersonate) {
        snapIn_->QuerySupported();
        auto answer = host_.MakeAnswer(kConsole, wire::kSupportedCommand);
        answer->Root().ChildNode("Supported").SetBool(1);
        answer->Root().ChildNode(wire::kImpersonateNode).SetBool(impersonate ? 1 : 0);
        host_.Deliver(std::move(answer));
    }
    std::unique_ptr<Message> Result(uint32_t command, int32_t retValue, const std::u16string& error = {}) {
        auto answer = host_.MakeAnswer(kConsole, command);
        answer->Root().ChildNode("RetValue").SetLong(retValue);
        if (!error.empty()) answer->Root().ChildNode("ErrorStr").SetText(EncodeUtf16Base64(error));
        return answer;
    }
    // Supported, activated and started: the terminal draws cells.
    void Started() {
        Supported(false);
        host_.Activate(snapIn_);
        host_.Deliver(Result(wire::kStartCommand, 0));
        ASSERT_TRUE(WindowText(terminal_).empty());
    }
    // The answer to a read; the pause before a read ends first, as its timer would.
    void DeliverPiece(const Screen& screen, size_t offset, size_t count, CursorState cursor = {},
                      bool restricted = false) {
        ScreenTimer();
        auto answer = Result(wire::kScreenCommand, 0);
        host::MessageNode& root = answer->Root();
        root.ChildNode(wire::kScreenWidthNode).SetLong(screen.width);
        root.ChildNode(wire::kScreenHeightNode).SetLong(screen.height);
        root.ChildNode(wire::kScreenBufferNode).SetText(Base64Encode(screen.bytes.data() + offset, count));
        root.ChildNode(wire::kOffsetNode).SetLong(static_cast<int32_t>(offset));
        root.ChildNode(wire::kCursorXNode).SetLong(cursor.x);
        root.ChildNode(wire::kCursorYNode).SetLong(cursor.y);
        root.ChildNode(wire::kCursorSizeNode).SetLong(cursor.size);
        root.ChildNode(wire::kCursorVisibleNode).SetBool(cursor.visible ? 1 : 0);
        root.ChildNode(wire::kSizeRestrictedNode).SetBool(restricted ? 1 : 0);
        host_.Deliver(std::move(answer));
    }
    void DeliverScreen(const Screen& screen, CursorState cursor = {}, bool restricted = false) {
        DeliverPiece(screen, 0, screen.bytes.size(), cursor, restricted);
    }
    RECT Cell(int column, int row) const {
        return {1 + column * cw_, 1 + row * ch_, 1 + (column + 1) * cw_, 1 + (row + 1) * ch_};
    }
    COLORREF Ground(const Canvas& canvas, int column, int row) const {
        const RECT cell = Cell(column, row);
        return canvas.At(cell.left, cell.top);
    }
    std::vector<std::string> KeyEvents() const {
        std::vector<std::string> events;
        for (const auto& request : host_.Requests())
            if (request->Command() == wire::kKeyCommand)
                events.push_back(request->Root().Find(wire::kKeyEventsNode)->Text());
        return events;
    }
    static uint32_t WParamOf(const std::string& xml) {
        const size_t at = xml.find("WPARAM='");
        return at == std::string::npos ? 0 : static_cast<uint32_t>(std::stoul(xml.substr(at + 8)));
    }
    std::string Field(const Message* request, const char* name) const {
        const host::MessageNode* node = request ? request->Root().Find(name) : nullptr;
        return node ? (node->HasText() ? node->Text() : std::to_string(node->AsLong())) : "<missing>";
    }
    void Timer() { ::SendMessageW(snapIn_->GetWindow(), WM_TIMER, kChildTimer, 0); }
    void ScreenTimer() { ::SendMessageW(snapIn_->GetWindow(), WM_TIMER, kScreenTimer, 0); }

    TestHost host_;
    ISnapIn* snapIn_ = nullptr;
    HWND terminal_ = nullptr;
    int cw_ = 0, ch_ = 0;
};

TEST_F(CommandConsoleTest, StartsWithoutImpersonationAndDrawsEachCellInItsColours) {
    EXPECT_EQ(WindowText(terminal_), L"") << "disabled with an empty text until started";
    Supported(false);
    EXPECT_EQ(host_.CountRequests(wire::kScreenCommand), 1u) << "the first read goes with the answer";
    Supported(false);
    EXPECT_EQ(host_.CountRequests(wire::kScreenCommand), 1u) << "a second answer starts no second loop";
    host_.Activate(snapIn_);
    const Message* start = host_.LastRequest(wire::kStartCommand);
    ASSERT_NE(start, nullptr) << "no dialog without impersonation";
    EXPECT_EQ(Field(start, wire::kUseHostNode), "1");
    EXPECT_EQ(Field(start, wire::kDomainNode), "");
    EXPECT_EQ(Field(start, wire::kLoginNode), "");
    EXPECT_EQ(Field(start, wire::kPasswordNode), "");
    EXPECT_EQ(Field(start, wire::kLoadProfileNode), "1");
    EXPECT_EQ(WindowText(terminal_), L"Console is restarting...");
    EXPECT_EQ(host_.StatusText(1), L"In progress...");

    host_.Deliver(Result(wire::kStartCommand, 0));
    EXPECT_EQ(host_.StatusText(1), L"Success");
    EXPECT_EQ(host_.BusyDepth(), 0);
    EXPECT_EQ(GetFocus(), terminal_);
    EXPECT_EQ(host_.StatusText(0), L"To release keyboard press Ctrl+F2");
    EXPECT_EQ(host_.CountRequests(wire::kScreenCommand), 1u) << "a read is on its way already: no second";

    DeliverScreen(Screen(80, 25).Set(0, 0, 'X', 0x1E).Set(1, 0, ' ', 0x1E).Set(79, 24, ' ', 0x70).Set(5, 2, 'Q', 0x0E));
    EXPECT_EQ(host_.CountRequests(wire::kScreenCommand), 1u) << "a complete screen: the next after a pause";
    ScreenTimer();
    EXPECT_EQ(host_.CountRequests(wire::kScreenCommand), 2u);
    const Canvas canvas(terminal_);
    EXPECT_EQ(Ground(canvas, 1, 0), kNavy);
    EXPECT_TRUE(canvas.TextIn(Cell(0, 0), kYellow)) << "yellow text on navy";
    EXPECT_EQ(Ground(canvas, 79, 24), kGrey) << "the 0xC0 grey";
    EXPECT_EQ(Ground(canvas, 5, 2), kBlack);
    EXPECT_TRUE(canvas.TextIn(Cell(5, 2), kYellow));
    EXPECT_EQ(Ground(canvas, 2, 0), kBlack);
    EXPECT_FALSE(canvas.TextIn(Cell(2, 0), kYellow)) << "a blank cell";

    // A row whose colours change every cell is drawn by colour: each cell
    // still shows its own ground and text.
    Screen busy(80, 25);
    const uint8_t attributes[] = {0x1E, 0x70, 0x0E, 0x7E};  // yellow on navy, black on grey, ...
    for (int column = 0; column < 80; ++column)
        busy.Set(column, 4, column % 5 == 4 ? ' ' : static_cast<char>('A' + column % 26), attributes[column % 4]);
    DeliverScreen(busy);
    ScreenTimer();
    const Canvas colours(terminal_);
    for (int column : {0, 1, 2, 3, 41, 42, 78}) {
        const uint8_t attribute = attributes[column % 4];
        EXPECT_EQ(Ground(colours, column, 4), attribute >> 4 == 1 ? kNavy : attribute >> 4 == 7 ? kGrey : kBlack)
            << column;
        const COLORREF text = (attribute & 0x0F) == 0xE ? kYellow : kBlack;
        if (column % 5 == 4 || text == Ground(colours, column, 4)) continue;
        EXPECT_TRUE(colours.TextIn(Cell(column, 4), text)) << column;
    }
    EXPECT_FALSE(colours.TextIn(Cell(4, 4), kYellow)) << "a blank cell between";
    EXPECT_EQ(Ground(colours, 0, 5), kBlack) << "the row below untouched";
    // The sunken border.
    EXPECT_EQ(canvas.At(0, 5), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(canvas.At(canvas.Width() - 1, 5), GetSysColor(COLOR_BTNHIGHLIGHT));
}

TEST_F(CommandConsoleTest, AScreenInThreePiecesIsDrawnOnceAfterTheLastAndANewSizeResizesFirst) {
    Started();
    DeliverScreen(Screen(80, 25).Set(3, 3, ' ', 0x10));
    Screen next = Screen(80, 25).Set(3, 3, ' ', 0x70).Set(70, 20, ' ', 0x10);
    const size_t k = 3200;
    DeliverPiece(next, 0, k);
    DeliverPiece(next, k, k);
    Canvas partial(terminal_);
    EXPECT_EQ(Ground(partial, 3, 3), kNavy) << "still the old screen after two of three pieces";
    EXPECT_EQ(Ground(partial, 70, 20), kBlack);
    DeliverPiece(next, 2 * k, next.bytes.size() - 2 * k);
    Canvas whole(terminal_);
    EXPECT_EQ(Ground(whole, 3, 3), kGrey);
    EXPECT_EQ(Ground(whole, 70, 20), kNavy);
    EXPECT_EQ(host_.CountRequests(wire::kScreenCommand), 4u)
        << "the pieces of a screen follow at once; the next screen waits for its pause";

    // A taller screen: grid and scroll bars change with its first piece, blank
    // until its last.
    Screen tall = Screen(80, 300).Set(3, 3, ' ', 0x20);
    DeliverPiece(tall, 0, 4000);
    SCROLLINFO vertical = {sizeof(vertical), SIF_ALL};
    ASSERT_TRUE(GetScrollInfo(terminal_, SB_VERT, &vertical));
    EXPECT_EQ(vertical.nMax, 299);
    EXPECT_EQ(Ground(Canvas(terminal_), 3, 3), kBlack) << "blank, not the old screen";
    DeliverPiece(tall, 4000, tall.bytes.size() - 4000);
    EXPECT_EQ(Ground(Canvas(terminal_), 3, 3), RGB(0, 0x80, 0));

    // Scrolling by line and by page moves the rows up.
    ::SendMessageW(terminal_, WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(GetScrollPos(terminal_, SB_VERT), 1);
    EXPECT_EQ(Ground(Canvas(terminal_), 3, 2), RGB(0, 0x80, 0));
    ::SendMessageW(terminal_, WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(GetScrollPos(terminal_, SB_VERT), 1 + static_cast<int>(vertical.nPage));
    ::SendMessageW(terminal_, WM_VSCROLL, SB_TOP, 0);
    EXPECT_EQ(GetScrollPos(terminal_, SB_VERT), 0);
}

TEST_F(CommandConsoleTest, HostileSizesAndOffsetsFailCleanlyStopReadingAndARestartReadsAgain) {
    Started();
    const Screen good = Screen(10, 4).Set(2, 1, ' ', 0x10);
    struct Case {
        int width, height;
        int32_t offset;
        size_t count;
    };
    // 65536 x 16384 x 4 is zero in 32 bits; the screen is 160 bytes.
    const Case cases[] = {{65536, 16384, 0, 40}, {0, 4, 0, 0}, {10, 4, -4, 8}, {10, 4, 160, 4}, {10, 4, 0, 164}};
    for (const Case& bad : cases) {
        DeliverScreen(good);
        ScreenTimer();
        const size_t reads = host_.CountRequests(wire::kScreenCommand);
        host_.Dialogs().clear();
        auto answer = Result(wire::kScreenCommand, 0);
        Screen big(11, 4);
        answer->Root().ChildNode(wire::kScreenWidthNode).SetLong(bad.width);
        answer->Root().ChildNode(wire::kScreenHeightNode).SetLong(bad.height);
        answer->Root().ChildNode(wire::kScreenBufferNode).SetText(Base64Encode(big.bytes.data(), bad.count));
        answer->Root().ChildNode(wire::kOffsetNode).SetLong(bad.offset);
        host_.Deliver(std::move(answer));
        ASSERT_EQ(host_.Dialogs().size(), 1u) << bad.width << " " << bad.offset;
        EXPECT_EQ(host_.Dialogs()[0].text, kUnreadable);
        EXPECT_EQ(host_.StatusText(1), L"Failed");
        ScreenTimer();
        EXPECT_EQ(host_.CountRequests(wire::kScreenCommand), reads) << "reading stops";
        EXPECT_EQ(Ground(Canvas(terminal_), 2, 1), kNavy) << "what was shown stays";
        // Reading again takes a restart; a successful start reads again.
        ::SendMessageW(snapIn_->GetWindow(), WM_COMMAND, ID_CON_RESTART, 0);
        host_.Deliver(Result(wire::kStartCommand, 0));
        EXPECT_EQ(host_.CountRequests(wire::kScreenCommand), reads + 1);
    }
    EXPECT_EQ(host_.Releases(), host_.AnswersMade());
}

TEST_F(CommandConsoleTest, FailedAnswersShowTheirTextsAndARestrictedSizeIsToldOnce) {
    Supported(false);
    host_.Activate(snapIn_);
    host_.Deliver(Result(wire::kStartCommand, 5, u"Zugriff verweigert."));
    ASSERT_EQ(host_.Dialogs().size(), 1u);
    EXPECT_EQ(host_.Dialogs()[0].text, L"Restart operation failed. Zugriff verweigert.");
    EXPECT_TRUE(host_.Dialogs()[0].errorIcon);
    EXPECT_EQ(host_.StatusText(1), L"Failed");
    EXPECT_EQ(WindowText(terminal_), kRestartHint);
    EXPECT_EQ(host_.BusyDepth(), 0);

    ::SendMessageW(snapIn_->GetWindow(), WM_COMMAND, ID_CON_RESTART, 0);
    host_.Deliver(Result(wire::kStartCommand, 0));
    for (int i = 0; i < 3; ++i) DeliverScreen(Screen(80, 300), {}, true);
    ASSERT_EQ(host_.Dialogs().size(), 2u) << "once, not with every answer";
    EXPECT_EQ(host_.Dialogs()[1].text, L"Requested size not alowed. Console reset to default size 80x300.");

    ScreenTimer();
    host_.Deliver(Result(wire::kScreenCommand, 6));
    ASSERT_EQ(host_.Dialogs().size(), 3u);
    EXPECT_EQ(host_.Dialogs()[2].text.rfind(L"Read operation failed. ", 0), 0u);
    EXPECT_EQ(host_.CountRequests(wire::kScreenCommand), 4u) << "a failed read ends reading";
}

TEST_F(CommandConsoleTest, TheChildCheckEndsTheConsoleQuietlyOnZeroAndWithTheSystemTextOtherwise) {
    Started();
    Timer();
    ASSERT_EQ(host_.CountRequests(wire::kChildCommand), 1u);
    Timer();
    EXPECT_EQ(host_.CountRequests(wire::kChildCommand), 1u) << "one check at a time";
    auto running = Result(wire::kChildCommand, 0);
    running->Root().ChildNode(wire::kChildRunningNode).SetBool(1);
    host_.Deliver(std::move(running));
    EXPECT_TRUE(WindowText(terminal_).empty());

    Timer();
    auto ended = Result(wire::kChildCommand, 0);
    ended->Root().ChildNode(wire::kChildRunningNode).SetBool(0);
    ended->Root().ChildNode(wire::kChildExitCodeNode).SetLong(0);
    host_.Deliver(std::move(ended));
    EXPECT_EQ(WindowText(terminal_), kRestartHint);
    EXPECT_TRUE(host_.Dialogs().empty()) << "exit code 0: no box";
    Timer();
    EXPECT_EQ(host_.CountRequests(wire::kChildCommand), 2u) << "a stopped console is not checked";

    ::SendMessageW(snapIn_->GetWindow(), WM_COMMAND, ID_CON_RESTART, 0);
    host_.Deliver(Result(wire::kStartCommand, 0));
    Timer();
    auto failed = Result(wire::kChildCommand, 0);
    failed->Root().ChildNode(wire::kChildExitCodeNode).SetLong(3);
    host_.Deliver(std::move(failed));
    wchar_t system[512] = {};
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, 3,
                   MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), system, 512, nullptr);
    std::wstring reason = system;
    while (!reason.empty() && (reason.back() == L'\n' || reason.back() == L'\r' || reason.back() == L' '))
        reason.pop_back();
    ASSERT_EQ(host_.Dialogs().size(), 1u);
    EXPECT_EQ(host_.Dialogs()[0].text, L"Checking operation failed. " + reason);
}

TEST_F(CommandConsoleTest, ACheckSentBeforeARestartCannotStopTheNewConsole) {
    Started();
    Timer();
    ::SendMessageW(snapIn_->GetWindow(), WM_COMMAND, ID_CON_RESTART, 0);
    auto stale = Result(wire::kChildCommand, 0);
    stale->Root().ChildNode(wire::kChildRunningNode).SetBool(0);
    stale->Root().ChildNode(wire::kChildExitCodeNode).SetLong(1);
    host_.Deliver(std::move(stale));
    host_.Deliver(Result(wire::kStartCommand, 0));
    EXPECT_TRUE(WindowText(terminal_).empty()) << "the old console's end is not the new one's";
    EXPECT_TRUE(host_.Dialogs().empty());
    Timer();
    EXPECT_EQ(host_.CountRequests(wire::kChildCommand), 2u);
}

TEST_F(CommandConsoleTest, KeysTravelAsKeyEventsWithTheirModifiersAndCharacters) {
    Started();
    host_.AnswerWith([this](const Message& request) {
        return request.Command() == wire::kKeyCommand ? Result(wire::kKeyCommand, 0) : nullptr;
    });
    auto press = [&](UINT message, WPARAM key, LPARAM lParam, std::initializer_list<int> down,
                     std::initializer_list<int> toggled = {}) {
        BYTE keys[256] = {};
        for (int k : down) keys[k] = 0x80;
        for (int k : toggled) keys[k] |= 0x01;
        SetKeyboardState(keys);
        PostMessageW(terminal_, message, key, lParam);
        host_.PumpFor(5);
    };
    auto event = [](unsigned message, unsigned wParam, unsigned lParam) {
        return "<KeyEvents><KeyEvent Msg='" + std::to_string(message) + "' WPARAM='" + std::to_string(wParam) +
               "' LPARAM='" + std::to_string(lParam) + "' /></KeyEvents>";
    };
    press(WM_KEYDOWN, 'A', 0x001E0001, {});
    press(WM_KEYDOWN, 'A', 0x001E0001, {VK_SHIFT, VK_LSHIFT});
    press(WM_KEYDOWN, 'C', 0x002E0001, {VK_CONTROL, VK_LCONTROL});
    press(WM_KEYUP, 'A', 0xC01E0001, {}, {VK_CAPITAL, VK_NUMLOCK, VK_SCROLL});
    press(WM_SYSKEYDOWN, 'X', 0x202D0001, {VK_MENU, VK_LMENU});
    press(WM_SYSKEYUP, VK_MENU, 0xC1380001, {VK_RMENU, VK_RCONTROL, VK_CONTROL});
    const std::vector<std::string> events = KeyEvents();
    ASSERT_EQ(events.size(), 6u);
    EXPECT_EQ(events[0], event(256, 'A' | 'a' << 24, 0x001E0001));
    EXPECT_EQ(events[1], event(256, 'A' | 0x10 << 16 | 'A' << 24, 0x001E0001));
    EXPECT_EQ(events[2], event(256, 'C' | 0x08 << 16 | 3u << 24, 0x002E0001));
    EXPECT_EQ(events[3], event(257, 'A' | 0xE0 << 16 | 'A' << 24, 0xC01E0001));
    // With Alt the character is the layout's business; key and modifiers are ours.
    EXPECT_EQ(events[4].rfind("<KeyEvents><KeyEvent Msg='260' ", 0), 0u) << events[4];
    EXPECT_EQ(WParamOf(events[4]) & 0xFFFFFF, 'X' | 0x02u << 16);
    EXPECT_EQ(events[5].rfind("<KeyEvents><KeyEvent Msg='261' ", 0), 0u) << events[5];
    EXPECT_EQ(WParamOf(events[5]) & 0xFFFFFF, VK_MENU | 0x05u << 16) << "right Alt and right Ctrl";
    EXPECT_EQ(host_.StatusText(1), L"Success");
    EXPECT_EQ(host_.BusyDepth(), 0);

    // Ctrl+F2: the key-down goes nowhere; the key-up releases Ctrl remotely and
    // lets the keyboard go.
    press(WM_KEYDOWN, VK_F2, 0x003C0001, {VK_CONTROL, VK_LCONTROL});
    EXPECT_EQ(KeyEvents().size(), 6u);
    press(WM_KEYUP, VK_F2, 0xC03C0001, {VK_CONTROL, VK_LCONTROL});
    ASSERT_EQ(KeyEvents().size(), 7u);
    EXPECT_EQ(KeyEvents().back(), event(257, 17, 0x001D0001));
    EXPECT_EQ(host_.StatusText(0), L"");
    press(WM_KEYDOWN, 'A', 0x001E0001, {});
    EXPECT_EQ(KeyEvents().size(), 7u) << "released: keys stay here";
    press(WM_KEYDOWN, VK_F2, 0x003C0001, {VK_CONTROL, VK_LCONTROL});
    press(WM_KEYUP, VK_F2, 0xC03C0001, {VK_CONTROL, VK_LCONTROL});
    EXPECT_EQ(host_.StatusText(0), L"To release keyboard press Ctrl+F2");
    press(WM_KEYDOWN, 'A', 0x001E0001, {});
    EXPECT_EQ(KeyEvents().size(), 9u) << "captured again";
}

TEST_F(CommandConsoleTest, TheCaretSitsAtTheBottomOfTheCursorCellOnlyWithFocusWhileVisible) {
    Started();
    auto caret = [] {
        GUITHREADINFO info = {sizeof(info)};
        GetGUIThreadInfo(GetCurrentThreadId(), &info);
        return info;
    };
    DeliverScreen(Screen(80, 25), {5, 3, 25, true});
    GUITHREADINFO info = caret();
    EXPECT_EQ(info.hwndCaret, terminal_);
    const int height = ch_ * 25 / 100;
    EXPECT_EQ(info.rcCaret.left, 1 + 5 * cw_);
    EXPECT_EQ(info.rcCaret.top, 1 + 4 * ch_ - height);
    EXPECT_EQ(info.rcCaret.right - info.rcCaret.left, cw_);
    EXPECT_EQ(info.rcCaret.bottom - info.rcCaret.top, height);

    DeliverScreen(Screen(80, 25), {500, -3, 0, true});
    info = caret();
    EXPECT_EQ(info.rcCaret.left, 1 + 79 * cw_) << "kept inside the grid";
    EXPECT_EQ(info.rcCaret.bottom - info.rcCaret.top, std::max(1, ch_ / 100));
    EXPECT_EQ(info.rcCaret.bottom, 1 + ch_);
    DeliverScreen(Screen(80, 25), {5, 3, 100, false});
    EXPECT_EQ(caret().hwndCaret, nullptr) << "an invisible cursor";
    DeliverScreen(Screen(80, 25), {5, 3, 100, true});
    EXPECT_EQ(caret().rcCaret.bottom - caret().rcCaret.top, ch_);
    SetFocus(host_.Frame());
    EXPECT_EQ(caret().hwndCaret, nullptr) << "no focus, no caret";
    ::SendMessageW(snapIn_->GetWindow(), WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(host_.Frame()),
                   MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
    EXPECT_EQ(GetFocus(), terminal_) << "a click into the active tool types into the console";
    EXPECT_EQ(caret().hwndCaret, terminal_);
}

TEST_F(CommandConsoleTest, TheStartupDialogAsksForTheAccountAndItTravelsOnlyWhenChosen) {
    Supported(true);
    std::map<int, bool> enabledAtFirst;
    host_.OnDialog([&](HWND dialog, const CapturedDialog& shown) {
        EXPECT_EQ(shown.caption, L"Startup Information");
        EXPECT_TRUE(shown.checked.at(IDC_CON_USE_HOST));
        EXPECT_TRUE(shown.checked.at(IDC_CON_LOAD_PROFILE));
        for (int edit : {IDC_CON_LOGIN, IDC_CON_PASSWORD, IDC_CON_DOMAIN})
            enabledAtFirst[edit] = IsWindowEnabled(GetDlgItem(dialog, edit));
        ::SendMessageW(GetDlgItem(dialog, IDC_CON_USE_ACCOUNT), BM_CLICK, 0, 0);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_CON_PASSWORD)));
        SetDlgItemTextW(dialog, IDC_CON_LOGIN, L"operator");
        SetDlgItemTextW(dialog, IDC_CON_PASSWORD, L"K\u00f6nig-2");
        SetDlgItemTextW(dialog, IDC_CON_DOMAIN, L"WORKGROUP");
        CheckDlgButton(dialog, IDC_CON_LOAD_PROFILE, BST_UNCHECKED);
        return IDOK;
    });
    host_.Activate(snapIn_);
    ASSERT_EQ(host_.Dialogs().size(), 1u);
    for (const auto& [edit, enabled] : enabledAtFirst) EXPECT_FALSE(enabled) << edit;
    const Message* start = host_.LastRequest(wire::kStartCommand);
    ASSERT_NE(start, nullptr);
    EXPECT_EQ(Field(start, wire::kUseHostNode), "0");
    EXPECT_EQ(Field(start, wire::kLoginNode), EncodeUtf16Base64(u"operator"));
    EXPECT_EQ(Field(start, wire::kPasswordNode), EncodeUtf16Base64(u"K\u00f6nig-2"));
    EXPECT_EQ(Field(start, wire::kDomainNode), EncodeUtf16Base64(u"WORKGROUP"));
    EXPECT_EQ(Field(start, wire::kLoadProfileNode), "0");
    host_.Deliver(Result(wire::kStartCommand, 0));

    // The next start shows the stored choices; going back to the host's
    // account sends no names and no password.
    std::wstring login, password;
    host_.OnDialog([&](HWND dialog, const CapturedDialog& shown) {
        login = shown.controlTexts.at(IDC_CON_LOGIN);
        password = WindowText(GetDlgItem(dialog, IDC_CON_PASSWORD));
        ::SendMessageW(GetDlgItem(dialog, IDC_CON_USE_HOST), BM_CLICK, 0, 0);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_CON_LOGIN)));
        return IDOK;
    });
    ::SendMessageW(snapIn_->GetWindow(), WM_COMMAND, ID_CON_RESTART, 0);
    EXPECT_EQ(login, L"operator");
    EXPECT_EQ(password, L"K\u00f6nig-2");
    start = host_.LastRequest(wire::kStartCommand);
    EXPECT_EQ(Field(start, wire::kUseHostNode), "1");
    EXPECT_EQ(Field(start, wire::kLoginNode), "");
    EXPECT_EQ(Field(start, wire::kPasswordNode), "");
    host_.Deliver(Result(wire::kStartCommand, 0));

    // Cancel changes nothing and sends nothing.
    host_.OnDialog([](HWND, const CapturedDialog&) { return IDCANCEL; });
    ::SendMessageW(snapIn_->GetWindow(), WM_COMMAND, ID_CON_RESTART, 0);
    EXPECT_EQ(host_.CountRequests(wire::kStartCommand), 2u);
    EXPECT_TRUE(WindowText(terminal_).empty()) << "still running";
}

TEST_F(CommandConsoleTest, CancellingTheFirstStartLeavesTheRestartText) {
    Supported(true);
    host_.OnDialog([](HWND, const CapturedDialog&) { return IDCANCEL; });
    host_.Activate(snapIn_);
    EXPECT_EQ(host_.CountRequests(wire::kStartCommand), 0u);
    EXPECT_EQ(WindowText(terminal_), kRestartHint);
}

TEST_F(CommandConsoleTest, AnswersNobodyAskedForOrAfterTheWindowHasGoneChangeNothing) {
    Started();
    DeliverScreen(Screen(10, 4).Set(0, 0, ' ', 0x10));
    DeliverScreen(Screen(10, 4).Set(0, 0, ' ', 0x10));
    host_.Deliver(Result(wire::kStartCommand, 0));  // never asked for a second time
    EXPECT_EQ(host_.BusyDepth(), 0);
    Timer();
    ::SendMessageW(snapIn_->GetWindow(), WM_COMMAND, ID_CON_RESTART, 0);
    PostMessageW(terminal_, WM_KEYDOWN, 'A', 0x001E0001);
    DestroyWindow(snapIn_->GetWindow());
    host_.Deliver(Result(wire::kChildCommand, 5));
    host_.Deliver(Result(wire::kStartCommand, 5));
    DeliverScreen(Screen(10, 4));
    host_.Deliver(Result(wire::kScreenCommand, 5));
    EXPECT_TRUE(host_.Dialogs().empty());
    EXPECT_EQ(host_.BusyDepth(), 0);
    EXPECT_EQ(host_.Releases(), host_.AnswersMade());
    EXPECT_EQ(host_.DoubleReleases(), 0);
}

// The whole path against the simulated machine: typed keys come back on the
// screen, and "exit 3" ends the child with its code.
TEST_F(CommandConsoleTest, TypingIntoTheSimulatedConsoleEchoesAndExitShowsTheCode) {
    remote::RemoteMachine machine;
    host_.AnswerWith([&](const Message& request) { return machine.Answer(request); }, 1);
    snapIn_->QuerySupported();
    host_.Activate(snapIn_);
    ASSERT_TRUE(host_.PumpUntil([&] { return host_.BusyDepth() == 0 && WindowText(terminal_).empty(); }));
    BYTE keys[256] = {};
    SetKeyboardState(keys);
    for (char c : std::string("exit 3\r")) {
        const UINT key = c == '\r' ? VK_RETURN : c == ' ' ? VK_SPACE : static_cast<UINT>(VkKeyScanW(c) & 0xFF);
        PostMessageW(terminal_, WM_KEYDOWN, key, 1);
        PostMessageW(terminal_, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001));
    }
    ASSERT_TRUE(
        host_.PumpUntil([&] { return host_.CountRequests(wire::kKeyCommand) == 14 && host_.BusyDepth() == 0; }));
    Timer();
    ASSERT_TRUE(host_.PumpUntil([&] { return !host_.Dialogs().empty(); }));
    EXPECT_EQ(host_.Dialogs()[0].text.rfind(L"Checking operation failed. ", 0), 0u);
    EXPECT_EQ(WindowText(terminal_), kRestartHint);
}

}  // namespace
}  // namespace vantrel::test
