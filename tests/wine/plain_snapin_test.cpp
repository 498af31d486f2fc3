// The plain snap-in: supported at once, learns the remote host's version on
// connection, and draws its hint in the middle of its window.
#include "tests/host/TestHost.h"

#include <gtest/gtest.h>

namespace vantrel::test {
namespace {

TEST(PlainSnapIn, IsSupportedWithoutAskingTheRemoteSide) {
    TestHost host;
    ISnapIn* plain = host.Open(15000);
    plain->QuerySupported();
    EXPECT_EQ(host.Supported(), std::vector<int32_t>{15000});
    EXPECT_TRUE(host.Requests().empty());
}

TEST(PlainSnapIn, LearnsTheRemoteHostVersionOnConnection) {
    TestHost host;
    ISnapIn* plain = host.Open(15000);
    plain->OnConnected();
    const Message* request = host.LastRequest(5);
    ASSERT_NE(request, nullptr);
    EXPECT_EQ(request->ReplyFlag(), 0);
    EXPECT_EQ(request->SnapInId(), 15000u);
    ASSERT_NE(request->Root().Find("HostVer"), nullptr);
    EXPECT_EQ(request->Root().Find("HostVer")->AsShort(), 1);

    auto answer = host.MakeAnswer(15000, 5);
    answer->Root().ChildNode("HostVer").SetShort(7);
    host.Deliver(std::move(answer));
    EXPECT_TRUE(host.RemoteHostVersionIsKnown());
    EXPECT_EQ(host.RemoteHostVersion(), 7);
    EXPECT_EQ(host.Releases(), 1);

    // A second, unasked version answer is ignored.
    auto late = host.MakeAnswer(15000, 5);
    late->Root().ChildNode("HostVer").SetShort(9);
    host.Deliver(std::move(late));
    EXPECT_EQ(host.RemoteHostVersion(), 7);
    EXPECT_EQ(host.Releases(), 2);
}

// The extent of the non-background pixels drawn into a white bitmap.
RECT DrawnExtent(HWND window, int width, int height) {
    const auto pixels = PrintedClient(window, width, height, 0xFFFFFF);
    RECT extent = {width, height, -1, -1};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (pixels[y * width + x] != 0xFFFFFF) {
                extent.left = std::min<LONG>(extent.left, x);
                extent.right = std::max<LONG>(extent.right, x);
                extent.top = std::min<LONG>(extent.top, y);
                extent.bottom = std::max<LONG>(extent.bottom, y);
            }
    return extent;
}

TEST(PlainSnapIn, DrawsTheHintCentredOnOneLine) {
    TestHost host;
    ISnapIn* plain = host.Open(15000);
    HWND window = plain->GetWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(plain->Create(host.Content()), window) << "created once";
    MoveWindow(window, 0, 0, 600, 300, FALSE);
    RECT extent = DrawnExtent(window, 600, 300);
    ASSERT_LT(extent.left, extent.right) << "nothing drawn";
    int middleX = (extent.left + extent.right) / 2;
    int middleY = (extent.top + extent.bottom) / 2;
    EXPECT_NEAR(middleX, 300, 4);
    EXPECT_NEAR(middleY, 150, 4);
    EXPECT_LT(extent.bottom - extent.top, 24) << "one line";
    EXPECT_GT(extent.right - extent.left, 150) << "the whole hint";
}

TEST(PlainSnapIn, ActivationShowsAndDeactivationHidesAndClearsTheStatus) {
    TestHost host;
    ISnapIn* plain = host.Open(15000);
    host.Activate(plain);
    EXPECT_TRUE(IsWindowVisible(plain->GetWindow()) || (GetWindowLongW(plain->GetWindow(), GWL_STYLE) & WS_VISIBLE));
    plain->SetStatusText("Free Space: 1 GB");
    EXPECT_EQ(host.StatusText(0), L"Free Space: 1 GB");
    plain->Deactivate();
    EXPECT_FALSE(GetWindowLongW(plain->GetWindow(), GWL_STYLE) & WS_VISIBLE);
    EXPECT_EQ(host.StatusText(0), L"");
}

}  // namespace
}  // namespace vantrel::test
