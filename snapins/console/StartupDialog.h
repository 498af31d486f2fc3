// The "Startup Information" dialog (8002): the account the remote console
// starts as, asked before every start when the managed machine wants it.
#pragma once

#include "framework/SecretText.h"
#include "host/SnapInHost.h"

#include <string>

namespace vantrel {

// What a start sends; kept for the snap-in's life and reused by every restart.
struct StartupRecord {
    bool useHostAccount = true;
    std::wstring domain;
    std::wstring login;
    CSecretText password;
    bool loadProfile = true;

    StartupRecord Copy() const;
};

// Shows the dialog over `owner` with `record`'s choices; true after OK, with
// the new choices in `record`. Cancel leaves it as it was.
bool AskStartupInformation(HWND owner, StartupRecord& record);

}  // namespace vantrel
