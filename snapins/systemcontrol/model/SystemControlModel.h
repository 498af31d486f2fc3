// System Control's model: the actions a machine offers, how an action and its
// options travel in a request, and the state of the machine's session, read
// from answers that are not trusted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::systemcontrol {

// The window depends on the platform: the general platform offers session
// actions, a handheld device its own.
enum class Platform { General, Device };

// One action the machine may offer; each has one radio button.
enum class Capability : uint8_t {
    Lock = 0,
    LogOff = 1,
    Restart = 2,  // "Soft reset" on the device platform
    ShutDown = 3,
    BackLightOff = 4,
    BackLightOn = 5,
    Suspend = 6,
};
constexpr size_t kCapabilityCount = 7;

// The actions a machine offers, in the order in which the answer's fields
// were read; each at most once.
using SupportedActions = std::vector<Capability>;

struct CapabilityField {
    const char* node;
    Capability capability;
};
// The fields of a capability answer in the order they are read.
extern const CapabilityField kCapabilityFields[kCapabilityCount];

// Whether the platform's window has a button for the action: the general
// platform's session actions, the device platform's backlight, soft reset
// and suspend.
bool HasButton(Platform platform, Capability capability);

// Reads a capability answer through readField (the field's 16-bit value).
// Only a field of exactly 1 offers its action, and only actions with a button
// on this platform are kept: an action without a button could be checked by
// nothing the user sees.
SupportedActions ReadSupportedActions(const std::function<int16_t(const char* node)>& readField, Platform platform);

// The code of an action in a 903 request.
int32_t ActionCode(Capability capability);

// ---- time-out and message of a prompt ----------------------------------------------

constexpr int32_t kMinTimeout = 0;
constexpr int32_t kMaxTimeout = 9999;
constexpr int32_t kDefaultTimeout = 5;
constexpr size_t kMaxMessageLength = 8192;

// The seconds of a time-out field: a signed decimal between blanks, clamped to
// 0..9999 (so a huge number is 9999); anything that is not a number is 5.
int32_t TimeoutFromText(std::u16string_view text);
// The message as it is sent: at most 8192 characters.
std::u16string MessageFromText(std::u16string_view text);

// ---- the session ----------------------------------------------------------------------

enum class HostState { Unknown, LoggedOn, Locked, LoggedOff };

// "1" logged on, "2" locked, "3" logged off; anything else is unknown.
HostState StateOf(std::string_view text);

struct StateAnswer {
    bool readable = false;  // false: the answer had no "State"
    std::u16string userName;
    std::string state;  // as it arrived, cut to kMaxStateLength
};
constexpr size_t kMaxUserNameLength = 512;
constexpr size_t kMaxStateLength = 64;

// A 902 answer's "UserName" (Base64 UTF-16, null read as empty) and "State"
// (null: the answer cannot be read). Overlong texts are cut: no account name
// is longer, and the state is one digit.
StateAnswer ReadStateAnswer(const char* userNameBase64, const char* stateText);

}  // namespace vantrel::systemcontrol
