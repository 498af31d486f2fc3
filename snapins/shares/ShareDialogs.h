// The Share a Folder Wizard (6003) and the share property dialog (6001). Both
// run modally over the snap-in and reach it only through IShareDialogHost:
// folder checks (command 4) and the share element they send (704, 708).
#pragma once

#include "host/SnapInHost.h"
#include "snapins/shares/model/ShareSettings.h"

#include <memory>
#include <string>

namespace vantrel {

class CAccountPickers;

// A dialog waiting for a folder check.
class IFolderCheckClient {
public:
    // `exists`, or the machine's reason why not; `path` as the answer names it.
    virtual void OnFolderChecked(bool exists, const std::wstring& path, const std::wstring& error) = 0;

protected:
    ~IFolderCheckClient() = default;
};

class IShareDialogHost {
public:
    // Sends command 4 for the client; false when nothing was sent.
    virtual bool CheckFolder(const std::u16string& path, IFolderCheckClient& client) = 0;
    // The client goes: an answer still on its way ends its busy state quietly.
    virtual void ForgetFolderCheck(IFolderCheckClient& client) = 0;
    // Sends 704 or 708 with the element; false when nothing was sent.
    virtual bool SendShare(uint32_t command, const std::string& elementText) = 0;
    virtual CAccountPickers& Pickers() = 0;
    virtual const shares::SecurityFacts& Security() const = 0;

protected:
    ~IShareDialogHost() = default;
};

// Each returns when the user ends the dialog. `alive` expires with the
// snap-in: the dialog then touches nothing of it and only closes.
void RunShareWizard(IShareDialogHost& host, std::weak_ptr<bool> alive, HWND parent, const std::wstring& computer);
void RunShareProperties(IShareDialogHost& host, std::weak_ptr<bool> alive, HWND parent, const std::string& element);

}  // namespace vantrel
