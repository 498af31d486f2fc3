// Inventory: the managed machine's hardware and software as a tree of
// categories (left) and the selected category's items and values (right),
// read from the inventory file whose path the machine's answer names, or from
// a local file the user opens.
#pragma once

#include "framework/Handles.h"
#include "framework/SnapInBase.h"
#include "framework/Splitter.h"
#include "snapins/inventory/model/InventoryDocument.h"
#include "snapins/inventory/model/Protocol.h"

#include <string>
#include <vector>

namespace vantrel {

class CInventorySnapIn final : public CSnapInBase {
public:
    static constexpr int32_t kId = inventory::protocol::kSnapInId;

    explicit CInventorySnapIn(ISnapInHost* host);
    ~CInventorySnapIn() override;

    int32_t VANTREL_CALL GetSnapInId() override { return kId; }
    HWND VANTREL_CALL Create(HWND parent) override { return CreateWindowOnce(parent); }
    void VANTREL_CALL QuerySupported() override;
    void VANTREL_CALL OnFirstActivate() override;
    void VANTREL_CALL SaveViewSettings() override;

    // Files above this size are refused: an inventory is a few megabytes, and
    // the whole file is read into memory.
    static constexpr uint64_t kMaxFileBytes = 64ull << 20;

protected:
    // Whatever code an answer carries, it is the answer to our request.
    uint32_t AnswerCommand(IHostMessage&) override { return requestCommand_; }
    void HandleAnswer(uint32_t command, IHostMessage& answer, IMessageNode& root) override;
    void OnCreateWindow() override;
    void OnCommand(UINT command) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void CreatePanes();
    void LoadLabels();
    void RequestInventory(bool forceNew);
    void OpenLocalFile();
    // Reads and shows a file; the busy state has begun and ends here.
    void LoadFile(const std::wstring& path);
    void RebuildTree();
    void ShowSelectedCategory();
    std::wstring ItemText(const inventory::Node& node) const;
    std::wstring ValueText(const inventory::Row& row) const;
    std::wstring DateText(std::string_view value) const;
    std::wstring LanguageText(std::string_view value) const;

    CSplitter splitter_;
    HWND tree_ = nullptr;
    HWND list_ = nullptr;
    UniqueImageList images_;
    // Labels by category (in table order) and by field number, loaded once.
    std::vector<std::wstring> categoryLabels_;
    std::vector<std::wstring> fieldLabels_;
    inventory::InventoryDocument document_;
    // The code our request went with; answers are counted against it.
    uint32_t requestCommand_ = inventory::protocol::kConsoleMessageCommand;
    bool rebuilding_ = false;
};

}  // namespace vantrel
