// The Registry: the managed machine's registry as a tree of keys and the
// values of the selected key, listed a page at a time; create, rename, delete
// and change keys and values, copy a key's name, and walk to a key.
#pragma once

#include "framework/FileTransfer.h"
#include "framework/Handles.h"
#include "framework/PagedListing.h"
#include "framework/SnapInBase.h"
#include "framework/Splitter.h"
#include "framework/VirtualReportList.h"
#include "snapins/registry/model/Commands.h"
#include "snapins/registry/model/Favorites.h"
#include "snapins/registry/model/Protocol.h"
#include "snapins/registry/model/RegistryTree.h"
#include "snapins/registry/model/Search.h"
#include "snapins/registry/model/ValueFormat.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vantrel {

class CRegistrySnapIn final : public CSnapInBase, private IListingClient, private IVirtualListSource {
public:
    static constexpr int32_t kId = registry::protocol::kSnapInId;

    explicit CRegistrySnapIn(ISnapInHost* host);
    ~CRegistrySnapIn() override;

    int32_t VANTREL_CALL GetSnapInId() override { return kId; }
    HWND VANTREL_CALL Create(HWND parent) override { return CreateWindowOnce(parent); }
    BOOL VANTREL_CALL TranslateAccelerator(MSG* message) override;
    void VANTREL_CALL OnFirstActivate() override;
    void VANTREL_CALL SaveViewSettings() override;
    void VANTREL_CALL UpdateCommands() override;
    BOOL VANTREL_CALL OnContextMenuKey() override;
    void VANTREL_CALL OnToolBarEnabled() override;

    // Walks to a key (and selects a value of it), listing the keys on the way
    // that are not listed yet: what find and the favourites go through.
    void NavigateTo(registry::NavigationTarget target);
    // Sends new data for a value of the selected key (the value editors' OK).
    // False when nothing was sent.
    bool ChangeValueData(const std::u16string& name, uint32_t type, std::vector<uint8_t> data);

protected:
    SuccessValue RetValueSuccess() const override { return SuccessValue::Zero; }
    void HandleAnswer(uint32_t command, IHostMessage& answer, IMessageNode& root) override;
    void OnCreateWindow() override;
    void OnCommand(UINT command) override;
    void OnToolBarDropDown(int command) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // ---- IListingClient: the listing of one key ----
    void AddRequestAttributes(CXmlElement& element) override;
    void OnListingStarted() override;
    bool MergePage(const CXmlElement& root) override;
    void OnListingEnded(ListingEnd end) override;
    bool CanShowListing() const override { return tree_ != nullptr; }

    // ---- IVirtualListSource: the values of the shown key ----
    std::wstring CellText(int row, int column) override;
    int RowImage(int row) override;
    void OnSelectionChanged() override { UpdateCommands(); }
    void OnRowActivated(int row) override;
    // Opens the editor of the value in that row; OK sends its new data.
    void ModifyValue(int row);

    // ---- window ----
    void CreateTree();
    void CreateList();
    void InsertTopNode();
    bool OnNotify(const NMHDR* header, LRESULT* result);
    bool OnTreeNotify(const NMHDR* header, LRESULT* result);
    bool OnListLabelNotify(const NMHDR* header, LRESULT* result);

    // ---- tree ----
    registry::KeyNode* NodeOf(HTREEITEM item) const;
    registry::KeyNode* SelectedNode() const;
    HTREEITEM ItemOf(const registry::KeyNode& node) const;
    void InsertKeyItems(registry::KeyNode& parent, const std::vector<registry::KeyNode*>& keys);
    HTREEITEM InsertKeyItem(registry::KeyNode& key);
    void DeletePlaceholder(const registry::KeyNode& node);
    void SetKeyImages(const registry::KeyNode& node, int image, int selected);
    // Selects an item without starting anything; then shows it as selected.
    void SelectQuietly(HTREEITEM item);
    void OnKeySelected(registry::KeyNode* node);
    void OnExpanding(HTREEITEM item);
    void ExpandItem(HTREEITEM item);
    // Forgets every subkey and value of a node, with their items and rows.
    void ClearNode(registry::KeyNode& node);
    // The node's values fill the list (none: empty).
    void ShowValuesOf(registry::KeyNode* node);

    // ---- listing and the walk ----
    void ListKey(registry::KeyNode& node);
    void ContinueWalk();

    // ---- commands ----
    registry::Selection CurrentSelection() const;
    void ApplyStates(HMENU menu, const registry::CommandStates& states);
    void Refresh();
    void CreateKey();
    void CreateValue(uint32_t type);
    void DeleteSelected();
    void RenameSelected();
    void CopyKeyName();
    void ToggleExpand();
    bool Confirm(bool isValue);
    // A label edit has ended with a new name: checked and sent once the
    // edit's notification has returned (a message box inside it would end
    // the edit a second time).
    struct RenameRequest {
        bool isValue;
        registry::KeyAddress holder;
        std::u16string oldName;
        std::u16string newName;
    };
    void QueueRename(RenameRequest rename);
    void TryRename(const RenameRequest& rename);
    // Sends a request of 502 to 506 and remembers its target; false when not sent.
    bool SendChange(uint32_t command, registry::ChangeTarget target);
    void OnChangeAnswer(uint32_t command, IHostMessage& answer, IMessageNode& root);
    void ShowChangeFailure(uint32_t command, const registry::ChangeTarget& target, IMessageNode& root,
                           IHostMessage& answer);
    void ApplyRename(const registry::ChangeTarget& target);
    void ApplyDelete(const registry::ChangeTarget& target);
    void ApplyCreatedKey(const registry::ChangeTarget& target, std::u16string name);
    void ApplyCreatedValue(const registry::ChangeTarget& target, IMessageNode& root);
    void ApplyValueData(const registry::ChangeTarget& target);

    // ---- find (507), from the selection on and then through the next root keys ----
    void Find(bool askFirst);
    bool SendFind(uint32_t rootKey, const std::u16string& path, const std::u16string& valueName, bool isValue);
    void OnFindAnswer(IHostMessage& answer, IMessageNode& root);
    std::vector<uint32_t> RootKeysInTreeOrder() const;

    // ---- import (508) and export (509) of registration files, one at a time ----
    void ImportFile();
    bool SendImportChunk();
    void OnImportAnswer(IHostMessage& answer, IMessageNode& root);
    void ExportKey();
    bool SendExportChunk();
    void OnExportAnswer(IHostMessage& answer, IMessageNode& root);
    bool TransferRunning() const;
    // Closes the file (an unfinished export leaves none) and ends the busy state.
    void EndTransfer(UINT statusId);
    void FailTransfer(IHostMessage& answer, UINT messageId);
    void FailTransfer(const std::wstring& message);

    // ---- menus ----
    void ShowTreeMenu(HTREEITEM item, POINT screen);
    void ShowListMenu(POINT screen);
    void ShowMenu(UINT menuId, POINT screen);
    POINT TreeMenuPoint(HTREEITEM item) const;

    ISettingsList* SettingsSection();

    // ---- favourites: added from the selection, chosen on the toolbar's
    // drop-down list and walked to, organised, kept in the settings ----
    void CreateFavoritesBar();
    HWND FavoritesList() const;
    void FillFavoritesList();
    void AddToFavorites();
    void GoToChosenFavorite();
    void OrganizeFavorites();
    void LoadFavorites(ISettingsList& section);
    void SaveFavorites(ISettingsList& section);
    registry::Favorites favorites_;
    HWND favoritesBar_ = nullptr;  // a child of the toolbar, which goes with it
    bool favoritesLoaded_ = false;  // nothing is written over the stored ones before

    registry::RegistryTree model_;
    registry::DataTexts dataTexts_;
    registry::ChangeRequests changes_;
    CPagedListing listing_;
    // The key of the listing that runs (looked up again on every page), and
    // whether its first page, which clears what the key held, is still to come.
    std::optional<registry::KeyAddress> listed_;
    bool firstPagePending_ = false;
    // The key whose item was expanded before its listing: expanded again when
    // the listing completes.
    std::optional<registry::KeyAddress> expandWhenListed_;
    std::optional<registry::NavigationTarget> walk_;
    std::optional<RenameRequest> rename_;
    bool continueWalk_ = false;
    registry::SearchOptions search_;          // kept for Find Next
    std::optional<uint32_t> searchedRoot_;    // the root key of the find on its way
    CFileUpload import_;
    CFileDownload export_;
    registry::KeyAddress exported_;  // the key the running export asks for

    CSplitter splitter_;
    HWND tree_ = nullptr;
    UniqueImageList treeImages_;
    CVirtualReportList list_;
    registry::KeyNode* shownNode_ = nullptr;  // whose values the list shows
    bool listFocused_ = false;                // the list had the focus last, not the tree
    int quiet_ = 0;                           // selection changes made by the snap-in itself
    int splitterPosition_ = 200;
    std::shared_ptr<bool> lifetime_ = std::make_shared<bool>(true);
};

}  // namespace vantrel
