// Local Users and Groups: the local users and groups of the managed machine
// on two tabs; create, rename, delete, set a password, and edit the
// properties of a user (flags, membership, profile) or a group (description,
// members), with the account picker for memberships.
#pragma once

#include "framework/PagedListing.h"
#include "framework/ReportList.h"
#include "framework/SnapInBase.h"
#include "snapins/picker/AccountPicker.h"
#include "snapins/users/AnswerWait.h"
#include "snapins/users/UsersWindowMessages.h"
#include "snapins/users/model/Protocol.h"
#include "snapins/users/model/UsersModel.h"

#include <memory>
#include <string>
#include <vector>

namespace vantrel {

class CUsersDialog;

class CUsersGroupsSnapIn final : public CSnapInBase {
public:
    static constexpr int32_t kId = users::protocol::kSnapInId;
    static constexpr DWORD kDefaultAnswerTimeoutMs = 30000;

    enum class Kind { Users, Groups };

    explicit CUsersGroupsSnapIn(ISnapInHost* host);
    ~CUsersGroupsSnapIn() override;

    int32_t VANTREL_CALL GetSnapInId() override { return kId; }
    HWND VANTREL_CALL Create(HWND parent) override;
    void VANTREL_CALL OnFirstActivate() override;
    void VANTREL_CALL SaveViewSettings() override;
    void VANTREL_CALL UpdateCommands() override;
    BOOL VANTREL_CALL OnContextMenuKey() override;

    // ---- for the dialogs ----
    // Sends a create request (1108, 1109) for a dialog that then waits.
    // False when nothing was sent (another wait is on, or no message).
    bool SendCreate(Kind kind, const std::string& text, const std::u16string& name, AnswerWait& wait);
    // The dialog's wait ended without the answer: its busy state ends, and
    // a late answer still adds its row but finds no dialog.
    void AbandonCreate(AnswerWait& wait, WaitEnd end);
    DWORD AnswerTimeout() const { return answerTimeout_; }
    CAccountPickers& Pickers() { return pickers_; }
    // The dialogs open now; the snap-in lets them go when it is released.
    void DialogOpened(CUsersDialog& dialog);
    void DialogClosed(CUsersDialog& dialog);
    // Shows a message box of this tool (caption "Local Users and Groups").
    int Message(HWND owner, UINT textId, const std::wstring& insert, UINT flags);

protected:
    void HandleAnswer(uint32_t command, IHostMessage& answer, IMessageNode& root) override;
    void OnCreateWindow() override;
    void OnCommand(UINT command) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    SuccessValue RetValueSuccess() const override { return SuccessValue::Zero; }

private:
    class ListSource;
    class ListingClient;
    class PropertiesClient;
    friend class ListSource;
    friend class ListingClient;
    friend class PropertiesClient;

    // ---- window ----
    void CreateLists();
    void LayoutMainDialog() override;
    void ShowTab(Kind kind);
    Kind CurrentKind() const { return kind_; }
    CReportList& ListOf(Kind kind) { return kind == Kind::Users ? *usersList_ : *groupsList_; }
    const CReportList& ListOf(Kind kind) const { return kind == Kind::Users ? *usersList_ : *groupsList_; }
    bool OnListNotify(const NMHDR* header, LRESULT* result);

    // ---- the lists' records ----
    std::wstring CellText(Kind kind, LPARAM key, int column) const;
    int Compare(Kind kind, LPARAM a, LPARAM b, int column) const;
    std::wstring NameOf(Kind kind, users::RowId id) const;
    std::optional<users::RowId> SelectedRow() const;
    void FillList(Kind kind);
    int ImageOf(const users::UserRecord& user) const;
    void SetRowImage(users::RowId id, int image);

    // ---- listings ----
    void Refresh(Kind kind);
    void OnListingStarted(Kind kind);
    bool MergePage(Kind kind, const CXmlElement& root);
    void OnListingEnded(Kind kind, ListingEnd end);

    // ---- commands ----
    void UpdateMenu(HMENU menu) const;
    void OnListContextMenu(CReportList& list, POINT screen) override;
    void NewAccount();
    void DeleteSelected();
    void RenameSelected();
    void OnLabelEdited(Kind kind, const NMLVDISPINFOW& info);
    void SetPasswordOfSelected();
    void PropertiesOfSelected();
    void ShowHelp();
    bool SendText(uint32_t command, const char* node, const std::string& text);

    // ---- answers ----
    void OnDeleteAnswer(Kind kind, IHostMessage& answer, IMessageNode& root);
    void OnRenameAnswer(Kind kind, IHostMessage& answer, IMessageNode& root);
    void OnSetPasswordAnswer(IHostMessage& answer, IMessageNode& root);
    void OnCreateAnswer(Kind kind, IHostMessage& answer, IMessageNode& root);
    void OnWriteAnswer(Kind kind, IHostMessage& answer, IMessageNode& root);
    users::RowId AddRow(Kind kind, const CXmlElement& element);

    // ---- properties ----
    void OnPropertiesRead(Kind kind, ListingEnd end);
    void OpenPropertySheet();
    void SendUserProperties(users::RowId id, const std::u16string& name, const users::UserProperties& properties);
    void SendGroupProperties(users::RowId id, const std::u16string& name, const users::GroupProperties& properties);

    // Whether this object still exists after a modal loop: copy the token
    // before the loop and test it afterwards.
    std::weak_ptr<int> LifeToken() const { return life_; }

    std::shared_ptr<int> life_ = std::make_shared<int>(0);
    users::RowIds rowIds_;
    users::UserStore users_{rowIds_};
    users::GroupStore groups_{rowIds_};
    std::unique_ptr<ListSource> usersSource_;
    std::unique_ptr<ListSource> groupsSource_;
    std::unique_ptr<CReportList> usersList_;
    std::unique_ptr<CReportList> groupsList_;
    std::unique_ptr<ListingClient> usersClient_;
    std::unique_ptr<ListingClient> groupsClient_;
    std::unique_ptr<CPagedListing> usersListing_;
    std::unique_ptr<CPagedListing> groupsListing_;
    bool listed_[2] = {false, false};
    bool clearOnPage_[2] = {false, false};

    // Requests on their way, by what they were sent for.
    struct RowRequest {
        users::RowId id;
        std::u16string name;         // delete: the name; rename: the new name
        std::u16string fullName;     // property writes: what was sent
        std::u16string description;
        uint32_t flags = 0;
    };
    users::PendingRequests<RowRequest> deletes_[2];
    users::PendingRequests<RowRequest> renames_[2];
    users::PendingRequests<RowRequest> writes_[2];
    struct CreateRequest {
        std::u16string name;
        AnswerWait* wait;  // null once the dialog stopped waiting
    };
    users::PendingRequests<CreateRequest> creates_[2];
    int passwordsPending_ = 0;

    // The properties being read, and the sheet they open.
    struct PropertiesRead {
        Kind kind = Kind::Users;
        users::RowId id = users::kNoRow;
        std::u16string name;
        bool firstPage = true;
        bool complete = false;  // every page arrived; the sheet may open once
        users::UserProperties user;
        users::GroupProperties group;
    };
    PropertiesRead read_;
    std::unique_ptr<PropertiesClient> userPropertiesClient_;
    std::unique_ptr<PropertiesClient> groupPropertiesClient_;
    std::unique_ptr<CPagedListing> userProperties_;
    std::unique_ptr<CPagedListing> groupProperties_;

    CAccountPickers pickers_;
    UniqueEvent answerEvent_;
    AnswerWait* currentWait_ = nullptr;
    DWORD answerTimeout_ = kDefaultAnswerTimeoutMs;
    std::vector<CUsersDialog*> dialogs_;

    HWND pane_ = nullptr;
    HWND tabs_ = nullptr;
    Kind kind_ = Kind::Users;
};

}  // namespace vantrel
