#include "snapins/systemcontrol/model/ActionForm.h"

#include "snapins/systemcontrol/model/Protocol.h"

#include <algorithm>

namespace vantrel::systemcontrol {

namespace wire = protocol;

ActionForm::ActionForm(Platform platform) : platform_(platform), closePrograms_(platform == Platform::Device) {}

bool ActionForm::Offered(Capability capability) const {
    return std::find(supported_.begin(), supported_.end(), capability) != supported_.end();
}

void ActionForm::Update(const SupportedActions& supported, bool stateChanged) {
    supported_.clear();
    for (Capability capability : supported) {
        if (HasButton(platform_, capability) && !Offered(capability)) supported_.push_back(capability);
    }
    // Send must never carry an action the machine no longer offers.
    if (checked_ && !Offered(*checked_)) checked_.reset();
    if (!checked_ || stateChanged) {
        checked_.reset();
        if (!supported_.empty()) checked_ = supported_.front();
    }
    if (stateChanged) {
        prompt_ = false;
        allowCancel_ = false;
        if (platform_ == Platform::General) closePrograms_ = false;
    }
}

void ActionForm::ClickAction(Capability capability) {
    if (!Offered(capability)) return;
    checked_ = capability;
    actionClicked_ = true;
}

void ActionForm::SetPrompt(bool checked) {
    prompt_ = checked;
    // The options of the prompt are disabled with it, and a disabled
    // allow-cancel is not sent.
    if (!prompt_) allowCancel_ = false;
}

void ActionForm::SetAllowCancel(bool checked) { allowCancel_ = checked && prompt_; }

void ActionForm::SetClosePrograms(bool checked) {
    if (CloseProgramsEnabled()) closePrograms_ = checked;
}

bool ActionForm::ActionEnabled(Capability capability) const { return Offered(capability); }

bool ActionForm::CloseProgramsEnabled() const {
    if (platform_ != Platform::General || !checked_) return false;
    return *checked_ == Capability::LogOff || *checked_ == Capability::Restart || *checked_ == Capability::ShutDown;
}

std::optional<ActionRequest> ActionForm::MakeRequest(std::u16string_view timeoutText,
                                                     std::u16string_view messageText) const {
    if (!checked_ || !Offered(*checked_)) return std::nullopt;
    ActionRequest request;
    request.action = ActionCode(*checked_);
    if (prompt_) request.options |= wire::kOptionPrompt;
    if (allowCancel_) request.options |= wire::kOptionAllowCancel;
    if (closePrograms_) request.options |= wire::kOptionClosePrograms;
    if (prompt_) {
        request.timeout = TimeoutFromText(timeoutText);
        request.message = MessageFromText(messageText);
    }
    return request;
}

}  // namespace vantrel::systemcontrol
