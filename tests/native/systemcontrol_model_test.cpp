// System Control's model: the capability list, the action and option
// encodings, the time-out and message of a prompt, the session's state, and
// the form's enabling rules.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "framework/text/Base64.h"
#include "snapins/systemcontrol/model/ActionForm.h"
#include "snapins/systemcontrol/model/Protocol.h"
#include "snapins/systemcontrol/model/SystemControlModel.h"

namespace vantrel::systemcontrol {
namespace {

namespace wire = protocol;
using C = Capability;

// A capability answer from a table of field values; every field read is noted.
struct FakeAnswer {
    std::map<std::string, int16_t> fields;
    std::vector<std::string> read;
    SupportedActions Read(Platform platform) {
        return ReadSupportedActions(
            [this](const char* node) {
                read.emplace_back(node);
                auto found = fields.find(node);
                return found == fields.end() ? int16_t{0} : found->second;
            },
            platform);
    }
};

TEST(SystemControlCapabilities, AreReadInWireOrderAndOnlyAOneOffersAnAction) {
    FakeAnswer answer{{{"ShutDown", 1}, {"Restart", 1}, {"LogOff", 1}, {"Lock", 1}}};
    EXPECT_EQ(answer.Read(Platform::General), (SupportedActions{C::Lock, C::LogOff, C::Restart, C::ShutDown}));
    EXPECT_EQ(answer.read, (std::vector<std::string>{"Lock", "LogOff", "BackLightOff", "BackLightOn", "Restart",
                                                     "Suspend", "ShutDown"}));

    FakeAnswer two{{{"LogOff", 1}, {"ShutDown", 1}}};
    EXPECT_EQ(two.Read(Platform::General), (SupportedActions{C::LogOff, C::ShutDown}));

    FakeAnswer hostile{{{"Lock", 2}, {"LogOff", -1}, {"Restart", 32767}, {"ShutDown", 1}}};
    EXPECT_EQ(hostile.Read(Platform::General), (SupportedActions{C::ShutDown}));
    EXPECT_TRUE(FakeAnswer{}.Read(Platform::General).empty());
}

TEST(SystemControlCapabilities, KeepOnlyActionsWithAButtonOnThePlatform) {
    FakeAnswer everything;
    for (const CapabilityField& field : kCapabilityFields) everything.fields[field.node] = 1;
    EXPECT_EQ(everything.Read(Platform::General), (SupportedActions{C::Lock, C::LogOff, C::Restart, C::ShutDown}));
    EXPECT_EQ(everything.Read(Platform::Device),
              (SupportedActions{C::BackLightOff, C::BackLightOn, C::Restart, C::Suspend}));

    FakeAnswer deviceOnly{{{"BackLightOff", 1}, {"Suspend", 1}}};
    EXPECT_TRUE(deviceOnly.Read(Platform::General).empty()) << "no button on the general platform's form";
}

TEST(SystemControlRequest, ActionCodesAndOptionBitsAreThoseOfTheWire) {
    const std::pair<Capability, int32_t> codes[] = {{C::Lock, 1},       {C::LogOff, 2},  {C::Restart, 3},
                                                    {C::ShutDown, 4},   {C::Suspend, 5}, {C::BackLightOff, 6},
                                                    {C::BackLightOn, 7}};
    for (const auto& [capability, code] : codes) {
        const Platform platform = HasButton(Platform::General, capability) ? Platform::General : Platform::Device;
        ActionForm form(platform);
        form.Update({capability}, false);
        auto request = form.MakeRequest(u"", u"");
        ASSERT_TRUE(request);
        EXPECT_EQ(request->action, code) << static_cast<int>(capability);
    }

    // Prompt and allow-cancel checked, close-programs not: 3, with the
    // prompt's time-out and message.
    ActionForm form(Platform::General);
    form.Update({C::LogOff, C::ShutDown}, false);
    form.SetPrompt(true);
    form.SetAllowCancel(true);
    auto prompted = form.MakeRequest(u" 30 ", u"Bitte speichern Sie Ihre Arbeit.");
    ASSERT_TRUE(prompted);
    EXPECT_EQ(prompted->options, 3u);
    EXPECT_EQ(prompted->timeout, 30);
    EXPECT_EQ(prompted->message, u"Bitte speichern Sie Ihre Arbeit.");
    form.SetClosePrograms(true);
    EXPECT_EQ(form.MakeRequest(u"30", u"")->options, 7u);

    // Without the prompt: time-out 0 and no message, whatever the fields hold.
    form.SetPrompt(false);
    auto quiet = form.MakeRequest(u"30", u"a message");
    EXPECT_EQ(quiet->options, 4u);
    EXPECT_EQ(quiet->timeout, 0);
    EXPECT_TRUE(quiet->message.empty());

    // A device always closes programs.
    ActionForm device(Platform::Device);
    device.Update({C::Suspend}, false);
    EXPECT_EQ(device.MakeRequest(u"", u"")->options, 4u);
}

TEST(SystemControlRequest, TimeOutIsClampedAndANonNumberIsFive) {
    const std::pair<std::u16string, int32_t> cases[] = {{u"5", 5},
                                                        {u" 42 ", 42},
                                                        {u"+7", 7},
                                                        {u"0", 0},
                                                        {u"9999", 9999},
                                                        {u"10000", 9999},
                                                        {u"-3", 0},
                                                        {u"-0", 0},
                                                        {u"99999999999999999999999", 9999},
                                                        {u"-99999999999999999999", 0},
                                                        {u"", 5},
                                                        {u"   ", 5},
                                                        {u"-", 5},
                                                        {u"12a", 5},
                                                        {u"1 2", 5},
                                                        {u"\u0663", 5},
                                                        {u"0x10", 5}};
    for (const auto& [text, seconds] : cases)
        EXPECT_EQ(TimeoutFromText(text), seconds) << std::string(text.begin(), text.end());
}

TEST(SystemControlRequest, MessageIsCutAt8192Characters) {
    EXPECT_EQ(MessageFromText(std::u16string(9000, u'\u00e9')), std::u16string(8192, u'\u00e9'));
    EXPECT_EQ(MessageFromText(u"short"), u"short");
}

TEST(SystemControlState, TextsAndUnreadableAnswers) {
    EXPECT_EQ(StateOf("1"), HostState::LoggedOn);
    EXPECT_EQ(StateOf("2"), HostState::Locked);
    EXPECT_EQ(StateOf("3"), HostState::LoggedOff);
    for (const char* other : {"", "0", "4", "1 ", "01", "4294967295"}) EXPECT_EQ(StateOf(other), HostState::Unknown);

    EXPECT_FALSE(ReadStateAnswer(nullptr, nullptr).readable) << "no State: nothing to show";
    StateAnswer nobody = ReadStateAnswer(nullptr, "3");
    EXPECT_TRUE(nobody.readable);
    EXPECT_TRUE(nobody.userName.empty());

    const std::string longName = EncodeUtf16Base64(std::u16string(100000, u'\u00c5'));
    StateAnswer hostile = ReadStateAnswer(longName.c_str(), std::string(1000, '1').c_str());
    EXPECT_EQ(hostile.userName, std::u16string(kMaxUserNameLength, u'\u00c5'));
    EXPECT_EQ(hostile.state.size(), kMaxStateLength);
    EXPECT_EQ(ReadStateAnswer(EncodeUtf16Base64(u"VANTREL\\\u00c5sa").c_str(), "2").userName, u"VANTREL\\\u00c5sa");
}

// ---- the form's enabling rules ----------------------------------------------------------

struct Shown {
    std::vector<Capability> enabled;
    std::optional<Capability> checked;
    bool promptOptions, closeChecked, closeEnabled, sendButton, sendCommand;
};

Shown Show(const ActionForm& form) {
    Shown shown{{},
                form.CheckedAction(),
                form.PromptOptionsEnabled(),
                form.CloseProgramsChecked(),
                form.CloseProgramsEnabled(),
                form.SendButtonEnabled(),
                form.SendCommandEnabled()};
    for (const CapabilityField& field : kCapabilityFields)
        if (form.ActionEnabled(field.capability)) shown.enabled.push_back(field.capability);
    return shown;
}

TEST(SystemControlForm, StartsWithNothingToChooseAndADeviceAlwaysClosesPrograms) {
    Shown general = Show(ActionForm(Platform::General));
    EXPECT_TRUE(general.enabled.empty());
    EXPECT_FALSE(general.checked);
    EXPECT_FALSE(general.promptOptions || general.closeChecked || general.closeEnabled || general.sendButton ||
                 general.sendCommand);

    Shown device = Show(ActionForm(Platform::Device));
    EXPECT_TRUE(device.closeChecked);
    EXPECT_FALSE(device.closeEnabled);
    EXPECT_FALSE(device.promptOptions);
    ActionForm form(Platform::Device);
    form.Update({C::Restart, C::Suspend}, false);
    form.ClickAction(C::Restart);
    form.SetClosePrograms(false);
    EXPECT_TRUE(form.CloseProgramsChecked()) << "cannot be changed on a device";
    EXPECT_FALSE(form.CloseProgramsEnabled());
}

TEST(SystemControlForm, EnablingRulesAsATable) {
    struct Row {
        const char* what;
        Platform platform;
        SupportedActions supported;
        std::vector<Capability> clicks;
        bool stateChanged;
        std::optional<Capability> checked;
        bool closeEnabled, sendButton, sendCommand;
    };
    const Row rows[] = {
        {"only LogOff and ShutDown: the first is checked",
         Platform::General,
         {C::LogOff, C::ShutDown},
         {},
         false,
         C::LogOff,
         true,
         false,
         true},
        {"a click enables Send",
         Platform::General,
         {C::LogOff, C::ShutDown},
         {C::ShutDown},
         false,
         C::ShutDown,
         true,
         true,
         true},
        {"lock: no close-programs",
         Platform::General,
         {C::Lock, C::Restart},
         {C::Lock},
         false,
         C::Lock,
         false,
         true,
         true},
        {"restart: close-programs",
         Platform::General,
         {C::Lock, C::Restart},
         {C::Restart},
         false,
         C::Restart,
         true,
         true,
         true},
        {"a click on an action not offered",
         Platform::General,
         {C::LogOff},
         {C::Lock},
         false,
         C::LogOff,
         true,
         false,
         true},
        {"nothing offered: nothing checked, no Send",
         Platform::General,
         {},
         {C::Lock},
         false,
         std::nullopt,
         false,
         false,
         false},
        {"device actions on the general platform",
         Platform::General,
         {C::Suspend, C::BackLightOn},
         {},
         false,
         std::nullopt,
         false,
         false,
         false},
        {"state changed: the first is checked again",
         Platform::General,
         {C::Lock, C::LogOff},
         {C::LogOff},
         true,
         C::Lock,
         false,
         true,
         true},
        {"device: suspend",
         Platform::Device,
         {C::BackLightOn, C::Suspend},
         {C::Suspend},
         false,
         C::Suspend,
         false,
         true,
         true},
        {"general actions on a device",
         Platform::Device,
         {C::Lock, C::ShutDown},
         {},
         false,
         std::nullopt,
         false,
         false,
         false},
    };
    for (const Row& row : rows) {
        ActionForm form(row.platform);
        form.Update(row.supported, false);
        for (Capability click : row.clicks) form.ClickAction(click);
        if (row.stateChanged) form.Update(row.supported, true);
        Shown shown = Show(form);
        EXPECT_EQ(shown.checked, row.checked) << row.what;
        EXPECT_EQ(shown.closeEnabled, row.closeEnabled) << row.what;
        EXPECT_EQ(shown.sendButton, row.sendButton) << row.what;
        EXPECT_EQ(shown.sendCommand, row.sendCommand) << row.what;
        for (Capability capability : shown.enabled) EXPECT_TRUE(HasButton(row.platform, capability)) << row.what;
        EXPECT_EQ(form.MakeRequest(u"", u"").has_value(), row.checked.has_value()) << row.what;
    }
}

TEST(SystemControlForm, AnActionNoLongerOfferedIsUncheckedAndNeverSent) {
    ActionForm form(Platform::General);
    form.Update({C::Lock, C::LogOff, C::ShutDown}, false);
    form.ClickAction(C::ShutDown);
    form.Update({C::Lock, C::LogOff}, false);
    EXPECT_EQ(form.CheckedAction(), C::Lock) << "the first offered instead";
    EXPECT_FALSE(form.ActionEnabled(C::ShutDown));
    form.Update({}, false);
    EXPECT_FALSE(form.CheckedAction());
    EXPECT_FALSE(form.SendButtonEnabled());
    EXPECT_FALSE(form.MakeRequest(u"5", u"").has_value());
    // Offered again: checked, and Send is back as the user left it.
    form.Update({C::LogOff}, false);
    EXPECT_EQ(form.CheckedAction(), C::LogOff);
    EXPECT_TRUE(form.SendButtonEnabled());
}

TEST(SystemControlForm, PromptCarriesItsOptionsAndAStateChangeClearsThem) {
    ActionForm form(Platform::General);
    form.Update({C::LogOff}, false);
    form.ClickAction(C::LogOff);
    form.SetAllowCancel(true);
    EXPECT_FALSE(form.AllowCancelChecked()) << "disabled without the prompt";
    form.SetPrompt(true);
    EXPECT_TRUE(form.PromptOptionsEnabled());
    form.SetAllowCancel(true);
    form.SetClosePrograms(true);
    form.SetPrompt(false);
    EXPECT_FALSE(form.AllowCancelChecked()) << "disabling allow-cancel unchecks it";
    EXPECT_TRUE(form.CloseProgramsChecked());

    form.SetPrompt(true);
    form.SetAllowCancel(true);
    form.Update({C::LogOff}, false);
    EXPECT_TRUE(form.PromptChecked() && form.AllowCancelChecked() && form.CloseProgramsChecked())
        << "the same state keeps everything";
    form.Update({C::LogOff}, true);
    EXPECT_FALSE(form.PromptChecked() || form.PromptOptionsEnabled() || form.AllowCancelChecked() ||
                 form.CloseProgramsChecked());
    EXPECT_EQ(form.MakeRequest(u"77", u"x")->options, 0u);
}

}  // namespace
}  // namespace vantrel::systemcontrol
