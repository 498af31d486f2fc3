// The action form of System Control as the user sees it: which actions can be
// chosen and which is chosen, the prompt options and what may be sent. The
// window shows this state and hands every click to it, so the rules live here
// and nowhere else.
#pragma once

#include "snapins/systemcontrol/model/SystemControlModel.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel::systemcontrol {

// What a 903 request carries.
struct ActionRequest {
    int32_t action = 0;
    uint32_t options = 0;
    int32_t timeout = 0;
    std::u16string message;
};

class ActionForm {
public:
    // The starting state: no action can be chosen. On the device platform
    // programs are always closed without saving: that option starts checked
    // and cannot be changed.
    explicit ActionForm(Platform platform = Platform::General);

    Platform GetPlatform() const { return platform_; }

    // After an answer: the actions of the latest capability answer, and
    // whether the session's state changed. A chosen action that is no longer
    // offered is dropped; without a chosen action, or when the state changed,
    // the first offered action is chosen. A state change also clears the
    // prompt and its options and the close-programs option.
    void Update(const SupportedActions& supported, bool stateChanged);

    // The user's clicks. An action that is not offered cannot be chosen.
    void ClickAction(Capability capability);
    void SetPrompt(bool checked);
    void SetAllowCancel(bool checked);
    void SetClosePrograms(bool checked);

    // ---- what the controls show ----
    bool ActionEnabled(Capability capability) const;
    std::optional<Capability> CheckedAction() const { return checked_; }
    bool PromptChecked() const { return prompt_; }
    // The time-out, the message and allow-cancel go with the prompt.
    bool PromptOptionsEnabled() const { return prompt_; }
    bool AllowCancelChecked() const { return allowCancel_; }
    bool CloseProgramsChecked() const { return closePrograms_; }
    // Only for actions that end the session, and never on the device platform.
    bool CloseProgramsEnabled() const;
    // The form's own Send button: once the user has clicked an action.
    bool SendButtonEnabled() const { return actionClicked_ && checked_.has_value(); }
    // The toolbar's and the menu's Send: whenever an action is chosen.
    bool SendCommandEnabled() const { return checked_.has_value(); }

    // The request for the chosen action, or none when nothing offered is
    // chosen. Without the prompt the time-out is 0 and the message empty.
    std::optional<ActionRequest> MakeRequest(std::u16string_view timeoutText, std::u16string_view messageText) const;

private:
    bool Offered(Capability capability) const;

    Platform platform_;
    SupportedActions supported_;
    std::optional<Capability> checked_;
    bool actionClicked_ = false;
    bool prompt_ = false;
    bool allowCancel_ = false;
    bool closePrograms_ = false;
};

}  // namespace vantrel::systemcontrol
