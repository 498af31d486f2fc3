// Shared Folders: the managed machine's shares, the sessions connected to it
// and the files open through them; add, change and delete shares, disconnect
// sessions and close files.
#pragma once

#include "framework/ListingChain.h"
#include "framework/VirtualReportList.h"
#include "framework/SnapInBase.h"
#include "snapins/picker/AccountPicker.h"
#include "snapins/shares/ShareDialogs.h"
#include "snapins/shares/model/Protocol.h"
#include "snapins/shares/model/SharesModel.h"

#include <deque>
#include <memory>
#include <optional>
#include <string>

namespace vantrel {

class CSharedFoldersSnapIn final : public CSnapInBase, public IShareDialogHost, private IListingChainClient {
public:
    static constexpr int32_t kId = shares::protocol::kSnapInId;

    explicit CSharedFoldersSnapIn(ISnapInHost* host);
    ~CSharedFoldersSnapIn() override;

    int32_t VANTREL_CALL GetSnapInId() override { return kId; }
    HWND VANTREL_CALL Create(HWND parent) override { return CreateWindowOnce(parent); }
    void VANTREL_CALL OnFirstActivate() override;
    void VANTREL_CALL SaveViewSettings() override;
    void VANTREL_CALL UpdateCommands() override;
    BOOL VANTREL_CALL OnContextMenuKey() override;

    // IShareDialogHost
    bool CheckFolder(const std::u16string& path, IFolderCheckClient& client) override;
    void ForgetFolderCheck(IFolderCheckClient& client) override;
    bool SendShare(uint32_t command, const std::string& elementText) override;
    CAccountPickers& Pickers() override { return pickers_; }
    const shares::SecurityFacts& Security() const override { return security_; }

protected:
    void HandleAnswer(uint32_t command, IHostMessage& answer, IMessageNode& root) override;
    void OnCreateWindow() override;
    void OnCommand(UINT command) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // The places of the lists in the refresh chain.
    enum Chain : size_t { kSharesLink, kSessionsLink, kFilesLink };
    template <typename Record>
    class ListSource;

    // ---- window ----
    void PrepareList(CVirtualReportList& list, int controlId, std::span<const ReportColumn> columns);
    void LayoutMainDialog() override;
    void OnMainDialogDestroyed() override;
    shares::Tab CurrentTab() const;
    void ShowTab(shares::Tab tab);
    CVirtualReportList& ListOfTab(shares::Tab tab);
    std::optional<size_t> SelectedPosition(shares::Tab tab) const;
    void ShowContextMenu(POINT screen);
    void ReadCellTexts();

    // ---- the refresh chain: 701, then 702, then 703 ----
    void Refresh();
    bool Working() const { return IsBusy() || chain_.Running(); }
    // IListingChainClient
    void OnChainListingStarted(size_t link) override;
    bool MergeChainPage(size_t link, const CXmlElement& root) override;
    void OnChainListingEnded(size_t link, ListingEnd end) override;
    bool CanShowChain() const override { return dialog_ != nullptr; }

    // ---- commands ----
    shares::CommandStates CurrentStates() const;
    void ApplyStates(HMENU menu, const shares::CommandStates& states) const;
    void RemoveSelected();
    bool ConfirmDelete();
    void AddShare();
    void ShowProperties();
    std::optional<std::string> SelectedElement(shares::Tab tab) const;
    void OnChangeAnswer(IHostMessage& answer, IMessageNode& root);
    void OnFolderAnswer(IHostMessage& answer, IMessageNode& root);
    void OnSupportedAnswer(IHostMessage& answer, IMessageNode& root);
    void OnItemActivated();

    ISettingsList* SettingsSection();

    HWND dialog_ = nullptr;
    HWND tabs_ = nullptr;
    shares::ShareStore shares_;
    shares::SessionStore sessions_;
    shares::OpenFileStore files_;
    shares::CellTexts texts_;
    shares::SecurityFacts security_;
    // The machine's name from the first page of the shares.
    std::u16string computerName_;
    std::unique_ptr<ListSource<shares::ShareRecord>> sharesSource_;
    std::unique_ptr<ListSource<shares::SessionRecord>> sessionsSource_;
    std::unique_ptr<ListSource<shares::OpenFileRecord>> filesSource_;
    CVirtualReportList sharesList_;
    CVirtualReportList sessionsList_;
    CVirtualReportList filesList_;
    CListingChain chain_;
    CAccountPickers pickers_;
    // The dialogs whose folder checks (4) are on their way, oldest first; null
    // for one that has closed. Each holds a busy state.
    std::deque<IFolderCheckClient*> folderChecks_;
    // Gone with this object: what runs after a modal loop checks it first.
    std::shared_ptr<bool> lifetime_ = std::make_shared<bool>(true);
};

}  // namespace vantrel
