// The snap-in base from inside: toolbar enabling with the busy counter, tab
// cycling and tooltips, on a snap-in of the tests' own making.
#include "framework/Module.h"
#include "framework/SnapInBase.h"
#include "tests/framework/TestIds.h"
#include "tests/host/TestHost.h"

#include <gtest/gtest.h>

#include <memory>

namespace vantrel::test {
namespace {

// Uses the test resources: toolbar, menu and accelerators; has three tabs.
class ToolSnapIn final : public CSnapInBase {
public:
    explicit ToolSnapIn(ISnapInHost* host) : CSnapInBase(host) {}
    ~ToolSnapIn() override { DestroySnapInWindow(); }

    int32_t VANTREL_CALL GetSnapInId() override { return IDS_TEST_SNAPIN; }
    HWND VANTREL_CALL Create(HWND parent) override {
        if (!CreateSnapInWindow(parent)) return nullptr;
        ActivationScope scope;
        tabs_ = CreateWindowExW(0, WC_TABCONTROLW, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 300, 200, Window(), nullptr,
                                ModuleInstance(), nullptr);
        for (int i = 0; i < 3; ++i) {
            std::wstring name = L"Tab " + std::to_wstring(i);
            TCITEMW item = {};
            item.mask = TCIF_TEXT;
            item.pszText = name.data();
            ::SendMessageW(tabs_, TCM_INSERTITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        }
        SetTabControl(tabs_);
        static const ToolBarImage kImages[] = {{ID_TEST_REFRESH, 0}, {ID_TEST_VIEWS, 4}, {ID_TEST_PROPERTIES, 9}};
        CreateToolBar(kImages, 3);
        return Window();
    }
    void VANTREL_CALL UpdateCommands() override { ++updates; }

    HWND Tabs() const { return tabs_; }
    using CSnapInBase::ToolBar;
    int updates = 0;

private:
    HWND tabs_ = nullptr;
};

class SnapInBaseTest : public testing::Test {
protected:
    void SetUp() override {
        snapIn_ = std::make_unique<ToolSnapIn>(&host_);
        ASSERT_NE(snapIn_->Create(host_.Content()), nullptr);
        ASSERT_NE(snapIn_->ToolBar(), nullptr);
    }

    bool Enabled(int command) const {
        return ::SendMessageW(snapIn_->ToolBar(), TB_ISBUTTONENABLED, static_cast<WPARAM>(command), 0) != 0;
    }

    void PressCtrlTab(bool shift) {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_CONTROL] = 0x80;
        keys[VK_SHIFT] = shift ? 0x80 : 0;
        SetKeyboardState(keys);
        MSG down = {snapIn_->Tabs(), WM_KEYDOWN, VK_TAB, 0};
        EXPECT_TRUE(snapIn_->TranslateAccelerator(&down));
        keys[VK_CONTROL] = keys[VK_SHIFT] = 0;
        SetKeyboardState(keys);
    }

    int CurrentTab() const { return static_cast<int>(::SendMessageW(snapIn_->Tabs(), TCM_GETCURFOCUS, 0, 0)); }

    TestHost host_;
    std::unique_ptr<ToolSnapIn> snapIn_;
};

TEST_F(SnapInBaseTest, TwoBeginsAndOneEndKeepTheToolbarDisabledUntilTheSecondEnd) {
    snapIn_->Activate();
    int before = snapIn_->updates;
    snapIn_->BeginBusy(2012);
    snapIn_->BeginBusy(2012);
    snapIn_->EndBusy(2010);
    for (int command : {ID_TEST_REFRESH, ID_TEST_VIEWS, ID_TEST_PROPERTIES}) EXPECT_FALSE(Enabled(command)) << command;
    EXPECT_EQ(snapIn_->updates, before);
    HMENU popup = GetSubMenu(host_.MenuBar(), static_cast<UINT>(GetMenuItemCount(host_.MenuBar()) - 1));
    EXPECT_TRUE(GetMenuState(popup, 0, MF_BYPOSITION) & MF_GRAYED);
    snapIn_->EndBusy(2010);
    for (int command : {ID_TEST_REFRESH, ID_TEST_VIEWS, ID_TEST_PROPERTIES}) EXPECT_TRUE(Enabled(command)) << command;
    EXPECT_EQ(snapIn_->updates, before + 1);
    EXPECT_FALSE(GetMenuState(popup, 0, MF_BYPOSITION) & MF_GRAYED);
}

TEST_F(SnapInBaseTest, CtrlTabCyclesTheTabsAndWraps) {
    ::SendMessageW(snapIn_->Tabs(), TCM_SETCURFOCUS, 2, 0);
    PressCtrlTab(false);
    EXPECT_EQ(CurrentTab(), 0) << "from the last to the first";
    PressCtrlTab(true);
    EXPECT_EQ(CurrentTab(), 2) << "from the first back to the last";
    PressCtrlTab(true);
    EXPECT_EQ(CurrentTab(), 1);
}

TEST_F(SnapInBaseTest, ToolTipsAreTheTextAfterTheLineFeed) {
    NMTTDISPINFOW wide = {};
    EXPECT_TRUE(snapIn_->OnToolTipTextW(ID_TEST_REFRESH, &wide));
    EXPECT_STREQ(wide.szText, L"Refresh");
    EXPECT_TRUE(wide.uFlags & TTF_DI_SETITEM);
    NMTTDISPINFOA narrow = {};
    EXPECT_TRUE(snapIn_->OnToolTipTextA(ID_TEST_PROPERTIES, &narrow));
    EXPECT_STREQ(narrow.szText, "Properties");
    // The toolbar asks its notify window, the snap-in's, for the texts.
    NMTTDISPINFOW asked = {};
    asked.hdr.hwndFrom = snapIn_->ToolBar();
    asked.hdr.idFrom = ID_TEST_VIEWS;
    asked.hdr.code = TTN_GETDISPINFOW;
    ::SendMessageW(snapIn_->GetWindow(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&asked));
    EXPECT_STREQ(asked.szText, L"Views");
}

TEST_F(SnapInBaseTest, MenusAndButtonsMergeOnActivationAndLeaveOnDeactivation) {
    int menus = GetMenuItemCount(host_.MenuBar());
    snapIn_->Activate();
    snapIn_->Activate();  // merging twice would add a second popup
    snapIn_->Deactivate();
    snapIn_->Activate();
    EXPECT_EQ(GetMenuItemCount(host_.MenuBar()), menus + 1);
    EXPECT_EQ(host_.ShownSnapInToolBar(), snapIn_->ToolBar());
    snapIn_->Deactivate();
    EXPECT_EQ(GetMenuItemCount(host_.MenuBar()), menus);
    EXPECT_EQ(::SendMessageW(host_.ConsoleToolBar(), TB_BUTTONCOUNT, 0, 0), host::HostFrame::kConsoleButtons);
    EXPECT_EQ(host_.ShownSnapInToolBar(), nullptr);
}

TEST_F(SnapInBaseTest, ReleasingAnActiveSnapInLeavesTheConsolesBarsAsTheyWere) {
    int menus = GetMenuItemCount(host_.MenuBar());
    snapIn_->Activate();
    HWND toolBar = snapIn_->ToolBar();
    ASSERT_EQ(GetMenuItemCount(host_.MenuBar()), menus + 1);
    snapIn_.reset();
    EXPECT_EQ(GetMenuItemCount(host_.MenuBar()), menus);
    EXPECT_EQ(::SendMessageW(host_.ConsoleToolBar(), TB_BUTTONCOUNT, 0, 0), host::HostFrame::kConsoleButtons);
    EXPECT_FALSE(IsWindow(toolBar));
    EXPECT_EQ(host_.ShownSnapInToolBar(), nullptr);
}

}  // namespace
}  // namespace vantrel::test
