// System Control's model: the capability list, the action and option
// encodings, the prompt's time-out and message, the session's state, and the
// form's enabling rules.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "framework/text/Base64.h"
#include "snapins/systemcontrol/model/ActionForm.h"
#include "snapins/systemcontrol/model/SystemControlModel.h"

namespace vantrel::systemcontrol {
namespace {

using C = Capability;

SupportedActions Read(const std::map<std::string, int16_t>& fields, Platform platform,
                      std::vector<std::string>* order = nullptr) {
    return ReadSupportedActions(
        [&](const char* node) {
            if (order) order->emplace_back(node);
            auto found = fields.find(node);
            return found == fields.end() ? int16_t{0} : found->second;
        },
        platform);
}

TEST(SystemControlModel, CapabilitiesInWireOrderOnlyForAOneAndOnlyWithAButton) {
    std::vector<std::string> order;
    EXPECT_EQ(Read({{"ShutDown", 1}, {"Restart", 1}, {"LogOff", 1}, {"Lock", 1}}, Platform::General, &order),
              (SupportedActions{C::Lock, C::LogOff, C::Restart, C::ShutDown}));
    EXPECT_EQ(order, (std::vector<std::string>{"Lock", "LogOff", "BackLightOff", "BackLightOn", "Restart", "Suspend",
                                               "ShutDown"}));
    EXPECT_EQ(Read({{"Lock", 2}, {"LogOff", -1}, {"Restart", 32767}, {"ShutDown", 1}}, Platform::General),
              SupportedActions{C::ShutDown});
    std::map<std::string, int16_t> all;
    for (const CapabilityField& field : kCapabilityFields) all[field.node] = 1;
    EXPECT_EQ(Read(all, Platform::Device), (SupportedActions{C::BackLightOff, C::BackLightOn, C::Restart, C::Suspend}));
    EXPECT_TRUE(Read({{"BackLightOff", 1}, {"Suspend", 1}}, Platform::General).empty());
}

TEST(SystemControlModel, ActionCodesOptionBitsTimeOutAndMessageOfTheRequest) {
    const std::pair<C, int32_t> codes[] = {{C::Lock, 1},    {C::LogOff, 2},       {C::Restart, 3},    {C::ShutDown, 4},
                                           {C::Suspend, 5}, {C::BackLightOff, 6}, {C::BackLightOn, 7}};
    for (const auto& [capability, code] : codes) EXPECT_EQ(ActionCode(capability), code);

    ActionForm form(Platform::General);
    form.Update({C::LogOff, C::ShutDown}, false);
    form.SetPrompt(true);
    form.SetAllowCancel(true);
    auto prompted = form.MakeRequest(u" 30 ", std::u16string(9000, u'\u00e9'));
    EXPECT_EQ(prompted->action, 2);
    EXPECT_EQ(prompted->options, 3u) << "prompt and allow-cancel, close-programs unchecked";
    EXPECT_EQ(prompted->timeout, 30);
    EXPECT_EQ(prompted->message, std::u16string(8192, u'\u00e9'));
    form.SetClosePrograms(true);
    form.SetPrompt(false);
    auto quiet = form.MakeRequest(u"30", u"a message");
    EXPECT_EQ(quiet->options, 4u);
    EXPECT_EQ(quiet->timeout, 0) << "no time-out and no message without the prompt";
    EXPECT_TRUE(quiet->message.empty());

    const std::pair<std::u16string, int32_t> timeouts[] = {
        {u"5", 5},   {u"+7", 7},  {u"9999", 9999}, {u"10000", 9999}, {u"99999999999999999999", 9999},
        {u"-3", 0},  {u"", 5},    {u"  ", 5},      {u"-", 5},        {u"12a", 5},
        {u"1 2", 5}, {u"0x10", 5}};
    for (const auto& [text, seconds] : timeouts)
        EXPECT_EQ(TimeoutFromText(text), seconds) << std::string(text.begin(), text.end());
}

TEST(SystemControlModel, StateAnswersAreReadSafely) {
    EXPECT_EQ(StateOf("1"), HostState::LoggedOn);
    EXPECT_EQ(StateOf("2"), HostState::Locked);
    EXPECT_EQ(StateOf("3"), HostState::LoggedOff);
    for (const char* other : {"", "4", "01", "4294967295"}) EXPECT_EQ(StateOf(other), HostState::Unknown);

    EXPECT_FALSE(ReadStateAnswer(EncodeUtf16Base64(u"x").c_str(), nullptr).readable) << "no State";
    EXPECT_TRUE(ReadStateAnswer(nullptr, "3").userName.empty());
    const std::string longName = EncodeUtf16Base64(std::u16string(100000, u'\u00c5'));
    StateAnswer hostile = ReadStateAnswer(longName.c_str(), std::string(1000, '1').c_str());
    EXPECT_EQ(hostile.userName, std::u16string(kMaxUserNameLength, u'\u00c5'));
    EXPECT_EQ(hostile.state.size(), kMaxStateLength);
}

TEST(SystemControlModel, EnablingRulesOfTheForm) {
    struct Row {
        const char* what;
        Platform platform;
        SupportedActions supported;
        std::vector<C> clicks;
        SupportedActions later;
        bool stateChanged;
        std::optional<C> checked;
        bool closeEnabled, sendButton, sendCommand;
    };
    constexpr Platform G = Platform::General, D = Platform::Device;
    const Row rows[] = {
        // what, platform, offered, clicks, offered next, state changed: checked, 446, Send, toolbar Send
        {"LogOff, ShutDown", G, {C::LogOff, C::ShutDown}, {}, {C::LogOff, C::ShutDown}, 0, C::LogOff, 1, 0, 1},
        {"a click", G, {C::LogOff, C::ShutDown}, {C::ShutDown}, {C::LogOff, C::ShutDown}, 0, C::ShutDown, 1, 1, 1},
        {"lock", G, {C::Lock, C::Restart}, {C::Lock}, {C::Lock, C::Restart}, 0, C::Lock, 0, 1, 1},
        {"a click not offered", G, {C::LogOff}, {C::Lock}, {C::LogOff}, 0, C::LogOff, 1, 0, 1},
        {"checked withdrawn", G, {C::Lock, C::ShutDown}, {C::ShutDown}, {C::Lock}, 0, C::Lock, 0, 1, 1},
        {"nothing offered", G, {C::Lock}, {C::Lock}, {}, 0, {}, 0, 0, 0},
        {"device actions", G, {C::Suspend, C::BackLightOn}, {}, {C::Suspend}, 0, {}, 0, 0, 0},
        {"state changed", G, {C::Lock, C::LogOff}, {C::LogOff}, {C::Lock, C::LogOff}, 1, C::Lock, 0, 1, 1},
        {"device", D, {C::BackLightOn, C::Suspend}, {C::Suspend}, {C::BackLightOn, C::Suspend}, 0, C::Suspend, 0, 1, 1},
    };
    for (const Row& row : rows) {
        ActionForm form(row.platform);
        form.Update(row.supported, false);
        for (C click : row.clicks) form.ClickAction(click);
        form.Update(row.later, row.stateChanged);
        EXPECT_EQ(form.CheckedAction(), row.checked) << row.what;
        EXPECT_EQ(form.CloseProgramsEnabled(), row.closeEnabled) << row.what;
        EXPECT_EQ(form.SendButtonEnabled(), row.sendButton) << row.what;
        EXPECT_EQ(form.SendCommandEnabled(), row.sendCommand) << row.what;
        EXPECT_EQ(form.MakeRequest(u"", u"").has_value(), row.checked.has_value()) << row.what;
        for (const CapabilityField& field : kCapabilityFields)
            if (form.ActionEnabled(field.capability))
                EXPECT_TRUE(HasButton(row.platform, field.capability)) << row.what;
    }

    ActionForm device(Platform::Device);
    EXPECT_TRUE(device.CloseProgramsChecked() && !device.CloseProgramsEnabled() && !device.PromptOptionsEnabled());

    // A state change clears the prompt, its options and close-programs; the same state keeps them.
    ActionForm form(Platform::General);
    form.Update({C::LogOff}, false);
    form.SetAllowCancel(true);
    EXPECT_FALSE(form.AllowCancelChecked()) << "disabled without the prompt";
    form.SetPrompt(true);
    form.SetAllowCancel(true);
    form.SetClosePrograms(true);
    form.Update({C::LogOff}, false);
    EXPECT_TRUE(form.PromptOptionsEnabled() && form.AllowCancelChecked() && form.CloseProgramsChecked());
    form.Update({C::LogOff}, true);
    EXPECT_FALSE(form.PromptChecked() || form.PromptOptionsEnabled() || form.AllowCancelChecked() ||
                 form.CloseProgramsChecked());
}

}  // namespace
}  // namespace vantrel::systemcontrol
