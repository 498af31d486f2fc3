// The splitter between two panes through its window: the bar's place and
// thickness, clamping when the window changes, dragging with and without full
// window drag, and what the panes report reaching the window named for it.
#include "framework/Module.h"
#include "framework/Splitter.h"
#include "tests/host/TestHost.h"

#include <gtest/gtest.h>

#include <memory>

namespace vantrel::test {
namespace {

constexpr int kSplitterId = 4720;

// Records what reaches it from the panes.
class Receiver {
public:
    Receiver() {
        host::RegisterPlainWindowClass(L"VantrelSplitterReceiver", COLOR_WINDOW);
        window_ = CreateWindowExW(0, L"VantrelSplitterReceiver", nullptr, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc));
    }
    ~Receiver() { DestroyWindow(window_); }
    HWND Handle() const { return window_; }
    std::vector<UINT> messages;

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto self = reinterpret_cast<Receiver*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self && (message == WM_NOTIFY || message == WM_COMMAND || message == WM_CONTEXTMENU)) {
            self->messages.push_back(message);
            return 7;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }
    HWND window_ = nullptr;
};

// Sets the system's full-window drag for one test and puts it back.
class FullDrag {
public:
    explicit FullDrag(bool on) {
        SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &saved_, 0);
        SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, on, nullptr, 0);
        BOOL now = !on;
        SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &now, 0);
        works_ = (now != FALSE) == on;
    }
    ~FullDrag() { SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, saved_, nullptr, 0); }
    bool Works() const { return works_; }

private:
    BOOL saved_ = TRUE;
    bool works_ = false;
};

class SplitterTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(splitter_.Create(host_.Content(), kSplitterId, receiver_.Handle()));
        ActivationScope scope;
        for (HWND* pane : {&upper_, &lower_})
            *pane = CreateWindowExW(0, WC_LISTVIEWW, nullptr, WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 0, 0,
                                    splitter_.Handle(), nullptr, ModuleInstance(), nullptr);
        splitter_.SetPanes(upper_, lower_);
        ShowWindow(splitter_.Handle(), SW_SHOWNA);
    }

    void Resize(int height) { MoveWindow(splitter_.Handle(), 0, 0, 300, height, TRUE); }
    RECT PaneRect(HWND pane) const {
        RECT rect = {};
        GetWindowRect(pane, &rect);
        MapWindowPoints(nullptr, splitter_.Handle(), reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }
    void Mouse(UINT message, int y) { ::SendMessageW(splitter_.Handle(), message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(10, y)); }

    TestHost host_;
    Receiver receiver_;
    CSplitter splitter_;
    HWND upper_ = nullptr;
    HWND lower_ = nullptr;
};

TEST_F(SplitterTest, TheBarIsAFrameThickAndCentredUntilAskedOtherwise) {
    const int bar = GetSystemMetrics(SM_CYFRAME);
    ASSERT_GT(bar, 0);
    EXPECT_EQ(splitter_.Position(), kCentredSplit) << "not sized yet: the request stands";
    Resize(401);
    EXPECT_EQ(splitter_.Position(), (401 - bar) / 2);
    EXPECT_EQ(PaneRect(upper_).bottom, splitter_.Position());
    EXPECT_EQ(PaneRect(lower_).top, splitter_.Position() + bar);
    EXPECT_EQ(PaneRect(lower_).bottom, 401);
    EXPECT_EQ(PaneRect(lower_).right, 300);

    splitter_.SetPosition(120);
    EXPECT_EQ(splitter_.Position(), 120);
    EXPECT_EQ(PaneRect(upper_).bottom, 120);
}

TEST_F(SplitterTest, PositionsAreClampedSoThatEachPaneKeepsTwiceTheEdge) {
    const int bar = GetSystemMetrics(SM_CYFRAME);
    const int least = 2 * GetSystemMetrics(SM_CYEDGE);
    Resize(300);
    splitter_.SetPosition(0);
    EXPECT_EQ(splitter_.Position(), least);
    splitter_.SetPosition(100000);
    EXPECT_EQ(splitter_.Position(), 300 - bar - least);
    EXPECT_EQ(PaneRect(lower_).bottom - PaneRect(lower_).top, least);

    // The request survives a window too small for it.
    splitter_.SetPosition(200);
    Resize(120);
    EXPECT_EQ(splitter_.Position(), 120 - bar - least);
    Resize(300);
    EXPECT_EQ(splitter_.Position(), 200);
}

TEST_F(SplitterTest, WithFullWindowDragThePanesFollowTheBarWhileItMoves) {
    FullDrag full(true);
    if (!full.Works()) GTEST_SKIP() << "the system's drag setting cannot be changed here";
    Resize(400);
    splitter_.SetPosition(150);
    Mouse(WM_LBUTTONDOWN, 152);
    EXPECT_TRUE(splitter_.Dragging());
    Mouse(WM_MOUSEMOVE, 202);
    EXPECT_EQ(PaneRect(upper_).bottom, 200) << "moved while the button is down";
    Mouse(WM_MOUSEMOVE, 5000);
    EXPECT_EQ(splitter_.Position(), 400 - GetSystemMetrics(SM_CYFRAME) - 2 * GetSystemMetrics(SM_CYEDGE));
    Mouse(WM_MOUSEMOVE, 252);
    Mouse(WM_LBUTTONUP, 252);
    EXPECT_FALSE(splitter_.Dragging());
    EXPECT_EQ(splitter_.Position(), 250);
    EXPECT_EQ(PaneRect(lower_).top, 250 + GetSystemMetrics(SM_CYFRAME));
}

TEST_F(SplitterTest, WithoutFullWindowDragThePanesMoveWhenTheButtonIsLetGo) {
    FullDrag outline(false);
    if (!outline.Works()) GTEST_SKIP() << "the system's drag setting cannot be changed here";
    Resize(400);
    splitter_.SetPosition(150);
    Mouse(WM_LBUTTONDOWN, 150);
    Mouse(WM_MOUSEMOVE, 220);
    EXPECT_EQ(PaneRect(upper_).bottom, 150) << "only the tracking line moves";
    Mouse(WM_LBUTTONUP, 220);
    EXPECT_EQ(splitter_.Position(), 220);
    EXPECT_EQ(PaneRect(upper_).bottom, 220);

    // Losing the mouse to another window puts the bar back.
    Mouse(WM_LBUTTONDOWN, 220);
    Mouse(WM_MOUSEMOVE, 100);
    ReleaseCapture();
    EXPECT_FALSE(splitter_.Dragging());
    EXPECT_EQ(splitter_.Position(), 220);
}

TEST_F(SplitterTest, WhatThePanesReportReachesTheNamedWindow) {
    NMHDR header = {upper_, 0, NM_CLICK};
    EXPECT_EQ(::SendMessageW(splitter_.Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header)), 7);
    ::SendMessageW(splitter_.Handle(), WM_COMMAND, 1, 0);
    ::SendMessageW(splitter_.Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(lower_), -1);
    EXPECT_EQ(receiver_.messages, (std::vector<UINT>{WM_NOTIFY, WM_COMMAND, WM_CONTEXTMENU}));
    // The window goes with its parent; the splitter forgets it.
    DestroyWindow(splitter_.Handle());
    EXPECT_EQ(splitter_.Handle(), nullptr);
    splitter_.SetPosition(10);
}

TEST(SideBySideSplitterTest, KeepsItsProportionAcrossResizesAndDragsAlongTheWidth) {
    TestHost host;
    CSplitter splitter;
    SplitterOptions options;
    options.axis = SplitAxis::SideBySide;
    options.minPane = 150;
    options.keepsProportion = true;
    ASSERT_TRUE(splitter.Create(host.Content(), kSplitterId, nullptr, options));
    SetWindowLongPtrW(splitter.Handle(), GWL_EXSTYLE, GetWindowLongPtrW(splitter.Handle(), GWL_EXSTYLE) | WS_EX_CLIENTEDGE);
    HWND left = CreateWindowExW(0, WC_LISTVIEWW, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, splitter.Handle(), nullptr,
                                ModuleInstance(), nullptr);
    HWND right = CreateWindowExW(0, WC_LISTVIEWW, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, splitter.Handle(), nullptr,
                                 ModuleInstance(), nullptr);
    splitter.SetPanes(left, right);
    const int bar = GetSystemMetrics(SM_CXFRAME) + 2 * GetSystemMetrics(SM_CXEDGE);
    EXPECT_EQ(splitter.Bar(), bar) << "wider by the client edge";
    auto width = [](HWND pane) {
        RECT rect = {};
        GetWindowRect(pane, &rect);
        return static_cast<int>(rect.right - rect.left);
    };

    // Asked for in pixels before the window has a width: taken once it has one.
    splitter.SetPosition(200);
    MoveWindow(splitter.Handle(), 0, 0, 800, 300, TRUE);
    RECT client = {};
    GetClientRect(splitter.Handle(), &client);
    EXPECT_EQ(width(left), 200);
    EXPECT_EQ(splitter.Proportion(), (200 * kSplitUnits + client.right / 2) / client.right);
    MoveWindow(splitter.Handle(), 0, 0, 1600, 300, TRUE);
    EXPECT_NEAR(width(left), 400, 2) << "the same share of a wider window";
    MoveWindow(splitter.Handle(), 0, 0, 800, 300, TRUE);
    EXPECT_EQ(width(left), 200);

    FullDrag outline(false);
    if (!outline.Works()) GTEST_SKIP() << "the system's drag setting cannot be changed here";
    auto mouse = [&](UINT message, int x) {
        ::SendMessageW(splitter.Handle(), message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(x, 10));
    };
    mouse(WM_LBUTTONDOWN, 201);
    mouse(WM_MOUSEMOVE, 31);
    EXPECT_EQ(width(left), 200) << "only the tracking line moves";
    mouse(WM_LBUTTONUP, 31);
    EXPECT_EQ(width(left), 150) << "each pane keeps its least width";
    // A drag that loses the mouse leaves the proportion as it was.
    const int units = splitter.Proportion();
    mouse(WM_LBUTTONDOWN, 151);
    mouse(WM_MOUSEMOVE, 500);
    ReleaseCapture();
    EXPECT_EQ(splitter.Proportion(), units);
    EXPECT_EQ(width(left), 150);
}

}  // namespace
}  // namespace vantrel::test
