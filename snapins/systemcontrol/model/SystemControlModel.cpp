#include "snapins/systemcontrol/model/SystemControlModel.h"

#include "framework/text/Base64.h"
#include "snapins/systemcontrol/model/Protocol.h"

#include <algorithm>
#include <iterator>

namespace vantrel::systemcontrol {

namespace wire = protocol;

const CapabilityField kCapabilityFields[kCapabilityCount] = {
    {wire::kLockNode, Capability::Lock},
    {wire::kLogOffNode, Capability::LogOff},
    {wire::kBackLightOffNode, Capability::BackLightOff},
    {wire::kBackLightOnNode, Capability::BackLightOn},
    {wire::kRestartNode, Capability::Restart},
    {wire::kSuspendNode, Capability::Suspend},
    {wire::kShutDownNode, Capability::ShutDown},
};

bool HasButton(Platform platform, Capability capability) {
    switch (capability) {
    case Capability::Lock:
    case Capability::LogOff:
    case Capability::ShutDown:
        return platform == Platform::General;
    case Capability::BackLightOff:
    case Capability::BackLightOn:
    case Capability::Suspend:
        return platform == Platform::Device;
    case Capability::Restart:
        return true;
    }
    return false;
}

SupportedActions ReadSupportedActions(const std::function<int16_t(const char* node)>& readField, Platform platform) {
    SupportedActions supported;
    for (const CapabilityField& field : kCapabilityFields) {
        if (readField(field.node) == wire::kOffered && HasButton(platform, field.capability))
            supported.push_back(field.capability);
    }
    return supported;
}

int32_t ActionCode(Capability capability) {
    switch (capability) {
    case Capability::Lock:
        return wire::kActionLock;
    case Capability::LogOff:
        return wire::kActionLogOff;
    case Capability::Restart:
        return wire::kActionRestart;
    case Capability::ShutDown:
        return wire::kActionShutDown;
    case Capability::BackLightOff:
        return wire::kActionBackLightOff;
    case Capability::BackLightOn:
        return wire::kActionBackLightOn;
    case Capability::Suspend:
        return wire::kActionSuspend;
    }
    return wire::kActionNone;
}

namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

std::u16string_view Trimmed(std::u16string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

}  // namespace

int32_t TimeoutFromText(std::u16string_view text) {
    text = Trimmed(text);
    bool negative = false;
    if (!text.empty() && (text.front() == u'-' || text.front() == u'+')) {
        negative = text.front() == u'-';
        text.remove_prefix(1);
    }
    if (text.empty()) return kDefaultTimeout;
    // Counting stops above the range: any longer number is clamped the same.
    int64_t value = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9') return kDefaultTimeout;
        value = std::min<int64_t>(value * 10 + (c - u'0'), kMaxTimeout + 1);
    }
    if (negative) value = -value;
    return static_cast<int32_t>(std::clamp<int64_t>(value, kMinTimeout, kMaxTimeout));
}

std::u16string MessageFromText(std::u16string_view text) { return std::u16string(text.substr(0, kMaxMessageLength)); }

HostState StateOf(std::string_view text) {
    if (text == wire::kStateLoggedOn) return HostState::LoggedOn;
    if (text == wire::kStateLocked) return HostState::Locked;
    if (text == wire::kStateLoggedOff) return HostState::LoggedOff;
    return HostState::Unknown;
}

StateAnswer ReadStateAnswer(const char* userNameBase64, const char* stateText) {
    StateAnswer answer;
    if (!stateText) return answer;
    answer.readable = true;
    answer.state = std::string(std::string_view(stateText).substr(0, kMaxStateLength));
    // Base64 of more than the longest name is not decoded at all.
    std::string_view encoded = userNameBase64 ? std::string_view(userNameBase64) : std::string_view();
    encoded = encoded.substr(0, (kMaxUserNameLength * 2 + 2) / 3 * 4);
    answer.userName = DecodeUtf16Base64(encoded);
    if (answer.userName.size() > kMaxUserNameLength) answer.userName.resize(kMaxUserNameLength);
    return answer;
}

}  // namespace vantrel::systemcontrol
