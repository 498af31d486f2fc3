// System Control: who is logged on to the managed machine and in which state
// its session is, polled every 5 seconds, and one power or session action to
// send to it (lock, log off, restart, shut down; on a handheld device
// backlight, soft reset and suspend), optionally announced with a message.
#pragma once

#include "framework/SnapInBase.h"
#include "snapins/systemcontrol/model/ActionForm.h"
#include "snapins/systemcontrol/model/Protocol.h"
#include "snapins/systemcontrol/model/SystemControlModel.h"

#include <string>

namespace vantrel {

class CSystemControlSnapIn final : public CSnapInBase {
public:
    static constexpr int32_t kId = systemcontrol::protocol::kSnapInId;

    explicit CSystemControlSnapIn(ISnapInHost* host) : CSnapInBase(host) {}
    ~CSystemControlSnapIn() override;

    int32_t VANTREL_CALL GetSnapInId() override { return kId; }
    HWND VANTREL_CALL Create(HWND parent) override;
    BOOL VANTREL_CALL TranslateAccelerator(MSG* message) override;
    void VANTREL_CALL OnActivate() override;
    void VANTREL_CALL OnFirstActivate() override;
    void VANTREL_CALL UpdateCommands() override;

protected:
    void OnCreateWindow() override;
    void OnCommand(UINT command) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void HandleAnswer(uint32_t command, IHostMessage& answer, IMessageNode& root) override;

private:
    // Failures of what the user asked for are always shown; those of the
    // timer's polls only after a poll succeeded, so that a machine that is
    // away does not raise a box every 5 seconds.
    enum class PollOrigin { User, Timer };

    // ---- the form: a dialog that fills the snap-in window ----
    static INT_PTR CALLBACK FormProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    void CreateForm();
    void OnFormCommand(int control, int notification);
    void ShowForm();
    void ShowHostState();
    void ResetTimeout();
    std::u16string FormText(int control) const;
    void UpdateForm(bool stateChanged);

    // ---- polling ----
    void StartPollTimer();
    void OnPollTick();
    bool CanPoll() const;
    uint32_t PollCommand() const;
    void Refresh();
    // Sends a request without fields and begins the busy state it ends.
    void StartRequest(uint32_t command, PollOrigin origin);
    void SendAction();

    // ---- answers ----
    void OnCapabilitiesAnswer(IHostMessage& answer, IMessageNode& root);
    void OnStateAnswer(IHostMessage& answer, IMessageNode& root);
    void OnActionAnswer(IMessageNode& root);
    void PollSucceeded(bool stateChanged);
    // answer: null when the answer could not be read.
    void PollFailed(IHostMessage* answer);

    bool IsDevice() const { return platform_ == systemcontrol::Platform::Device; }

    systemcontrol::Platform platform_ = systemcontrol::Platform::General;
    systemcontrol::ActionForm form_;
    systemcontrol::SupportedActions supported_;  // of the latest capability answer
    std::string state_;                          // of the latest state answer
    std::u16string userName_;
    HWND formWindow_ = nullptr;
    bool firstActivated_ = false;
    bool tickMissed_ = false;    // a tick came while another tool was shown
    int errorBoxes_ = 0;         // error boxes of this snap-in that are open
    bool failureShown_ = false;  // a poll's failure was shown; no poll succeeded since
    PollOrigin pollOrigin_ = PollOrigin::User;
};

}  // namespace vantrel
