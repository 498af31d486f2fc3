#include "snapins/users/AnswerWait.h"

namespace vantrel {
namespace {

// Checked after every message: each may have been the one that ended the wait.
bool Ended(const AnswerWait& wait, HWND dialog, bool closing, WaitEnd* end) {
    if (wait.ownerGone) *end = WaitEnd::OwnerGone;
    else if (wait.answered) *end = WaitEnd::Answered;
    else if (closing || !IsWindow(dialog)) *end = WaitEnd::DialogGone;
    else return false;
    return true;
}

}  // namespace

WaitEnd PumpUntilAnswered(AnswerWait& wait, HWND dialog, const bool& closing, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    WaitEnd end = WaitEnd::TimedOut;
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam));
                return WaitEnd::Quit;
            }
            if (!IsWindow(dialog) || !IsDialogMessageW(dialog, &message)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
            if (Ended(wait, dialog, closing, &end)) return end;
        }
        if (Ended(wait, dialog, closing, &end)) return end;
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return WaitEnd::TimedOut;
        const DWORD result =
            MsgWaitForMultipleObjects(1, &wait.event, FALSE, static_cast<DWORD>(deadline - now), QS_ALLINPUT);
        if (result == WAIT_TIMEOUT) return WaitEnd::TimedOut;
        if (result == WAIT_FAILED) return wait.ownerGone ? WaitEnd::OwnerGone : WaitEnd::TimedOut;
        // A set event that no answer explains (a wait given up before) must
        // not keep the loop spinning.
        if (result == WAIT_OBJECT_0 && !wait.answered && !wait.ownerGone) ResetEvent(wait.event);
    }
}

}  // namespace vantrel
