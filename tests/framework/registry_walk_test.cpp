// The Registry's navigation walk and its change of a value's data, driven
// directly as find, the favourites and the value editors will drive them,
// through the real tree and list against the simulated machine.
#include "framework/text/Base64.h"
#include "remote/RemoteMachine.h"
#include "snapins/registry/RegistryIds.h"
#include "snapins/registry/RegistrySnapIn.h"
#include "snapins/registry/model/Protocol.h"
#include "tests/host/TestHost.h"
#include "tests/host/TreeView.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace vantrel::test {
namespace {

namespace wire = registry::protocol;
constexpr uint32_t kCurrentUser = 0x80000001u;

class RegistryWalkTest : public testing::Test {
protected:
    static remote::MachineConfig Config() {
        remote::MachineConfig config;
        config.registry.pageSize = 5;
        config.registry.classes = 10;
        config.registry.manyValues = 10;
        return config;
    }

    void SetUp() override {
        snapIn_ = std::make_unique<CRegistrySnapIn>(&host_);
        host_.AnswerWith([this](const Message& request) { return machine_.Answer(request); }, 1);
        host_.Adopt(snapIn_.get());
        host_.Activate(snapIn_.get());
        ASSERT_TRUE(Idle());
        tree_ = GetDlgItem(GetDlgItem(snapIn_->GetWindow(), IDC_REG_PANES), IDC_REG_TREE);
        list_ = GetDlgItem(GetDlgItem(snapIn_->GetWindow(), IDC_REG_PANES), IDC_REG_LIST);
        ASSERT_NE(tree_, nullptr);
    }
    void TearDown() override { host_.DetachAllSnapIns(); }

    bool Idle() {
        const bool idle = host_.PumpUntil([this] { return host_.BusyDepth() == 0 && host_.PendingAnswers() == 0; });
        host_.PumpFor(5);
        return idle;
    }
    std::vector<std::wstring> Messages() {
        std::vector<std::wstring> texts;
        for (const CapturedDialog& dialog : host_.Dialogs()) texts.push_back(dialog.text);
        return texts;
    }
    // Listings started (a listing's further pages are not counted).
    size_t ListingsStarted() const {
        size_t count = 0;
        for (const auto& request : host_.Requests())
            if (request->Command() == wire::kListCommand &&
                request->Root().Find(wire::kItemsNode)->Text().find("StartAt='4294967295'") != std::string::npos)
                ++count;
        return count;
    }
    int FindRow(const std::wstring& name) const {
        const int count = static_cast<int>(::SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0));
        for (int row = 0; row < count; ++row)
            if (ListViewText(list_, row, 0) == name) return row;
        return -1;
    }
    int SelectedRow() const {
        return static_cast<int>(::SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    }

    remote::RemoteMachine machine_{Config()};
    TestHost host_;
    std::unique_ptr<CRegistrySnapIn> snapIn_;
    HWND tree_ = nullptr;
    HWND list_ = nullptr;
};

TEST_F(RegistryWalkTest, WalksAcrossUnloadedKeysListingEachOnceAndSelectsTheValue) {
    host_.ClearRequests();
    snapIn_->NavigateTo({kCurrentUser, u"Software\\Vantrel\\Deep\\Ebene 1\\Ebene 2\\Ebene 3", u"Ziel", true});
    ASSERT_TRUE(Idle());
    // HKCU, Software, Vantrel, Deep, Ebene 1, Ebene 2 and the target itself, for its value.
    EXPECT_EQ(ListingsStarted(), 7u);
    HTREEITEM selected = TreeSelection(tree_);
    EXPECT_EQ(TreeItemText(tree_, selected), L"Ebene 3");
    EXPECT_EQ(GetFocus(), list_);
    ASSERT_GE(SelectedRow(), 0);
    EXPECT_EQ(ListViewText(list_, SelectedRow(), 0), L"Ziel");
    EXPECT_EQ(host_.StatusText(0), L"HKEY_CURRENT_USER\\Software\\Vantrel\\Deep\\Ebene 1\\Ebene 2\\Ebene 3");

    // Walking again over loaded keys lists nothing.
    host_.ClearRequests();
    snapIn_->NavigateTo({kCurrentUser, u"Software\\Vantrel", u"", false});
    ASSERT_TRUE(Idle());
    EXPECT_EQ(ListingsStarted(), 0u);
    EXPECT_EQ(TreeItemText(tree_, TreeSelection(tree_)), L"Vantrel");
    EXPECT_EQ(GetFocus(), tree_);
}

TEST_F(RegistryWalkTest, AMissingKeyEndsTheWalkWithItsNameAndAFailedListingSelectsTheKey) {
    snapIn_->NavigateTo({kCurrentUser, u"Software\\Nirgends\\Tiefer", u"", false});
    ASSERT_TRUE(Idle());
    EXPECT_EQ(Messages(), std::vector<std::wstring>{L"Key HKEY_CURRENT_USER\\Software\\Nirgends not found."});

    host_.Dialogs().clear();
    snapIn_->NavigateTo({0x80000002u, u"SAM\\Domains", u"", false});
    ASSERT_TRUE(Idle());
    EXPECT_EQ(Messages(), std::vector<std::wstring>{L"Could not retrieve selected key information. Access is denied."});
    EXPECT_EQ(TreeItemText(tree_, TreeSelection(tree_)), L"SAM");
    // The failed walk is gone: a later listing does not resume it.
    host_.ClearRequests();
    snapIn_->NavigateTo({kCurrentUser, u"", u"", false});
    ASSERT_TRUE(Idle());
    EXPECT_EQ(TreeItemText(tree_, TreeSelection(tree_)), L"HKEY_CURRENT_USER");
}

TEST_F(RegistryWalkTest, NewDataIsShownWhenTheMachineHasItAndTheOldStaysOnFailure) {
    snapIn_->NavigateTo({kCurrentUser, u"Software\\Vantrel\\Types", u"DWORD", true});
    ASSERT_TRUE(Idle());
    const int row = SelectedRow();
    ASSERT_GE(row, 0);
    EXPECT_EQ(ListViewText(list_, row, 2), L"0x0000002a(42)");

    machine_.InjectFault(wire::kSetValueCommand, {remote::FaultKind::Fail, 5, u"Access is denied."});
    ASSERT_TRUE(snapIn_->ChangeValueData(u"DWORD", wire::kRegDword, {7, 0, 0, 0}));
    EXPECT_FALSE(snapIn_->ChangeValueData(u"DWORD", wire::kRegDword, {8, 0, 0, 0})) << "one at a time";
    EXPECT_EQ(ListViewText(list_, row, 2), L"0x0000002a(42)") << "nothing shows before the answer";
    ASSERT_TRUE(Idle());
    EXPECT_EQ(Messages(), std::vector<std::wstring>{L"Cannot change value DWORD. Access is denied."});
    EXPECT_EQ(ListViewText(list_, row, 2), L"0x0000002a(42)");

    machine_.ClearFaults();
    ASSERT_TRUE(snapIn_->ChangeValueData(u"DWORD", wire::kRegDword, {7, 0, 0, 0}));
    const Message* sent = host_.LastRequest(wire::kSetValueCommand);
    EXPECT_EQ(sent->Root().Find(wire::kValSizeNode)->AsLong(), 4);
    EXPECT_EQ(sent->Root().Find(wire::kValueNode)->Text(), "BwAAAA==");
    ASSERT_TRUE(Idle());
    EXPECT_EQ(ListViewText(list_, FindRow(L"DWORD"), 2), L"0x00000007(7)");
}

}  // namespace
}  // namespace vantrel::test
