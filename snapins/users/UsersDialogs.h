// The dialogs and property sheets of Local Users and Groups. Each runs
// modally and returns when the user ends it; the snap-in may be released
// meanwhile, in which case the dialog is ended, touches nothing of it again,
// and the caller must check its own life before it goes on.
#pragma once

#include "host/SnapInHost.h"
#include "snapins/users/AnswerWait.h"
#include "snapins/users/model/UsersModel.h"

#include <string>

namespace vantrel {

class CUsersGroupsSnapIn;

// A dialog or property sheet open over the snap-in.
class CUsersDialog {
public:
    explicit CUsersDialog(CUsersGroupsSnapIn& owner);
    virtual ~CUsersDialog();
    CUsersDialog(const CUsersDialog&) = delete;
    CUsersDialog& operator=(const CUsersDialog&) = delete;

    // The snap-in is being released: stop waiting, end the window, and
    // never touch the snap-in again.
    void OnOwnerGone();
    bool OwnerGone() const { return owner_ == nullptr; }

protected:
    // Ends the window without the snap-in (EndDialog, or Cancel for a sheet).
    virtual void EndWindow() = 0;
    CUsersGroupsSnapIn* Owner() const { return owner_; }

    HWND window_ = nullptr;
    AnswerWait* wait_ = nullptr;  // the wait for an answer, while one runs

private:
    CUsersGroupsSnapIn* owner_;
};

// Set Password (11510): true and the password when both fields agreed and
// the user confirmed; the caller wipes the password after sending it.
bool RunSetPasswordDialog(CUsersGroupsSnapIn& owner, HWND parent, std::u16string& password);
// New User (11520) and New Group (11530): each creates accounts until closed.
void RunNewUserDialog(CUsersGroupsSnapIn& owner, HWND parent);
void RunNewGroupDialog(CUsersGroupsSnapIn& owner, HWND parent);
// The property sheets, filled from a complete read; true when confirmed,
// with the properties as edited.
bool RunUserPropertySheet(CUsersGroupsSnapIn& owner, HWND parent, const std::u16string& name,
                          users::UserProperties& properties);
bool RunGroupPropertySheet(CUsersGroupsSnapIn& owner, HWND parent, const std::u16string& name,
                           users::GroupProperties& properties);

}  // namespace vantrel
