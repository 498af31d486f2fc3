// The System Control answer readers on arbitrary input: a capability answer
// (901), a state answer (902) and the time-out field, then the form fed with
// what they read. The input is split at zero bytes into fields: the seven
// capability values (the first two bytes of each, little-endian), the user
// name's Base64, the state text (absent when the input has too few fields)
// and the time-out text as UTF-16.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "snapins/systemcontrol/model/ActionForm.h"
#include "snapins/systemcontrol/model/SystemControlModel.h"

namespace {

using namespace vantrel::systemcontrol;

void Require(bool condition) {
    if (!condition) std::abort();
}

std::vector<std::string> Split(const uint8_t* data, size_t size) {
    std::vector<std::string> fields(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            fields.emplace_back();
        else
            fields.back().push_back(static_cast<char>(data[i]));
    }
    return fields;
}

int16_t ShortOf(const std::string& field) {
    uint16_t value = 0;
    std::memcpy(&value, field.data(), std::min<size_t>(field.size(), 2));
    return static_cast<int16_t>(value);
}

std::u16string Utf16Of(const std::string& field) {
    std::u16string text;
    for (size_t i = 0; i + 1 < field.size(); i += 2)
        text.push_back(
            static_cast<char16_t>(static_cast<uint8_t>(field[i]) | (static_cast<uint8_t>(field[i + 1]) << 8)));
    return text;
}

void CheckCapabilities(const SupportedActions& supported, Platform platform) {
    for (size_t i = 0; i < supported.size(); ++i) {
        Require(HasButton(platform, supported[i]));
        for (size_t j = i + 1; j < supported.size(); ++j) Require(supported[i] != supported[j]);
    }
}

void CheckForm(const ActionForm& form, std::u16string_view timeout, std::u16string_view message) {
    const auto request = form.MakeRequest(timeout, message);
    Require(request.has_value() == form.CheckedAction().has_value());
    if (form.CheckedAction()) Require(form.ActionEnabled(*form.CheckedAction()));
    if (!request) return;
    Require(request->timeout >= kMinTimeout && request->timeout <= kMaxTimeout);
    Require(request->message.size() <= kMaxMessageLength);
    Require(request->action >= 1 && request->action <= 7);
    Require(request->options <= 7);
    if (!form.PromptChecked()) Require(request->timeout == 0 && request->message.empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::string> fields = Split(data, size);
    auto field = [&](size_t i) -> const std::string* { return i < fields.size() ? &fields[i] : nullptr; };
    auto readField = [&](const char* node) -> int16_t {
        for (size_t i = 0; i < kCapabilityCount; ++i)
            if (std::strcmp(kCapabilityFields[i].node, node) == 0) return field(i) ? ShortOf(*field(i)) : 0;
        std::abort();  // only the capability fields are read
    };

    const std::string* user = field(kCapabilityCount);
    const std::string* state = field(kCapabilityCount + 1);
    const std::u16string timeout = field(kCapabilityCount + 2) ? Utf16Of(*field(kCapabilityCount + 2)) : u"";
    const std::u16string message = Utf16Of(std::string(reinterpret_cast<const char*>(data), size));

    const int32_t seconds = TimeoutFromText(timeout);
    Require(seconds >= kMinTimeout && seconds <= kMaxTimeout);

    const StateAnswer answer = ReadStateAnswer(user ? user->c_str() : nullptr, state ? state->c_str() : nullptr);
    Require(answer.readable == (state != nullptr));
    Require(answer.userName.size() <= kMaxUserNameLength && answer.state.size() <= kMaxStateLength);
    if (answer.readable && answer.state.size() == 1) (void)StateOf(answer.state);

    for (Platform platform : {Platform::General, Platform::Device}) {
        const SupportedActions supported = ReadSupportedActions(readField, platform);
        CheckCapabilities(supported, platform);
        ActionForm form(platform);
        form.Update(supported, false);
        CheckForm(form, timeout, message);
        if (!supported.empty()) form.ClickAction(supported.back());
        form.SetPrompt(size % 2 == 0);
        form.SetAllowCancel(true);
        form.Update(
            SupportedActions(supported.begin() + static_cast<std::ptrdiff_t>(supported.size() / 2), supported.end()),
            answer.readable && StateOf(answer.state) != HostState::Unknown);
        CheckForm(form, timeout, message);
    }
    return 0;
}
