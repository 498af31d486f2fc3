// The Registry's tests through its real tree and list against the simulated
// managed machine: the tool opened and activated, keys opened as a user does.
#pragma once

#include "framework/text/Base64.h"
#include "hostkit/MessageTree.h"
#include "remote/RemoteMachine.h"
#include "snapins/registry/RegistryIds.h"
#include "snapins/registry/model/Protocol.h"
#include "tests/host/ToolTest.h"
#include "tests/host/TreeView.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vantrel::test {

namespace wire = registry::protocol;
constexpr int32_t kRegistry = wire::kSnapInId;

// The text of a request node, decoded.
inline std::u16string Sent(const Message& request, const char* node) {
    const host::MessageNode* found = request.Root().Find(node);
    return found ? DecodeUtf16Base64(found->Text()) : u"<none>";
}

class RegistryTest : public ToolTest {
protected:
    explicit RegistryTest(remote::MachineConfig config = Small()) : ToolTest(kRegistry, config) {}

    static remote::MachineConfig Small() {
        remote::MachineConfig config;
        config.registry.pageSize = 7;
        config.registry.classes = 30;
        config.registry.manyValues = 20;
        return config;
    }

    void SetUp() override {
        host_.SetTitlePrefix("Console [SRV-01] ");
        ToolTest::SetUp();
        tree_ = Descendant(snapIn_->GetWindow(), IDC_REG_TREE);
        list_ = Descendant(snapIn_->GetWindow(), IDC_REG_LIST);
        ASSERT_NE(tree_, nullptr);
        ASSERT_NE(list_, nullptr);
        ActivateAndWait();
    }

    // Expands the keys of the path one by one, as a user clicks them open,
    // then selects the last.
    HTREEITEM Open(const std::vector<std::wstring>& path) {
        HTREEITEM item = TreeRoot(tree_);
        for (const std::wstring& name : path) {
            ::SendMessageW(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
            WaitIdle();
            item = TreeChild(tree_, item, name);
            if (!item) return nullptr;
        }
        SelectKey(item);
        return item;
    }
    void SelectKey(HTREEITEM item) {
        SetFocus(tree_);
        ::SendMessageW(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
        WaitIdle();
    }
    // A label edit; its name is checked and sent after the edit has ended.
    void Rename(HTREEITEM item, const std::wstring& name) {
        EditTreeLabel(tree_, item, name);
        host_.PumpFor(10);
        WaitIdle();
    }
    int Row(const std::wstring& name) { return FindItem(list_, name); }
    std::wstring Data(const std::wstring& name) { return ListViewText(list_, Row(name), 2); }
    std::vector<std::wstring> Messages() {
        std::vector<std::wstring> texts;
        for (const CapturedDialog& dialog : host_.Dialogs())
            if (dialog.isMessageBox) texts.push_back(dialog.text);
        return texts;
    }

    HWND tree_ = nullptr;
    HWND list_ = nullptr;
};

}  // namespace vantrel::test
