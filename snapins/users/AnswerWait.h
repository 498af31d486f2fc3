// The wait of the New User and New Group dialogs: the request has been sent,
// the dialog stays on screen, and window messages keep flowing until the
// answer comes, the time is up, the application quits, the dialog goes or
// the snap-in is released.
#pragma once

#include "host/SnapInHost.h"

namespace vantrel {

// Lives on the stack of the waiting dialog; the snap-in reaches it through
// the request it waits for.
struct AnswerWait {
    HANDLE event = nullptr;   // the snap-in's, reset before the request was sent
    bool answered = false;    // set by the answer handler, with the event
    bool succeeded = false;
    bool ownerGone = false;   // the snap-in has been released: touch nothing of it
};

enum class WaitEnd {
    Answered,
    TimedOut,    // the attempt counts as failed
    Quit,        // WM_QUIT came; it has been posted again for the loop that owns it
    DialogGone,  // the dialog was closed or destroyed meanwhile
    OwnerGone,   // the snap-in was released meanwhile
};

// Dispatches the thread's messages until one of the ends. `dialog` gets its
// keyboard messages through IsDialogMessage; `closing` is set by the
// dialog's own Close while it waits.
WaitEnd PumpUntilAnswered(AnswerWait& wait, HWND dialog, const bool& closing, DWORD timeoutMs);

}  // namespace vantrel
