// System Control on the simulated machine: the actions each kind of machine
// offers, a session that goes on by itself as polls are answered, actions
// carried out (a restart takes the machine away for a few polls), refusals,
// and its fault modes read back through the snap-in's model.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/model/Answer.h"
#include "framework/text/Base64.h"
#include "remote/RemoteMachine.h"
#include "remote/systemcontrol/SystemControlData.h"
#include "snapins/systemcontrol/model/Protocol.h"
#include "snapins/systemcontrol/model/SystemControlModel.h"

namespace vantrel::remote {
namespace {

using host::Message;
using systemcontrol::Capability;
using systemcontrol::Platform;
using systemcontrol::SupportedActions;
namespace wire = systemcontrol::protocol;

class SystemControlMachine {
public:
    explicit SystemControlMachine(MachineConfig config) : machine_(config) {}

    std::unique_ptr<Message> Ask(uint32_t command) { return machine_.Answer(Message(command, wire::kSnapInId, 1)); }

    SupportedActions Capabilities(Platform platform) {
        auto answer = Ask(wire::kCapabilitiesCommand);
        EXPECT_EQ(answer->Root().Find(kRetValueNode)->AsShort(), wire::kSuccess);
        return systemcontrol::ReadSupportedActions(
            [&](const char* node) { return answer->Root().ChildNode(node).GetShort(); }, platform);
    }

    // "State" and the user's name of one poll, or "failed: <error text>".
    std::string Poll() {
        auto answer = Ask(wire::kStateCommand);
        if (answer->Root().Find(kRetValueNode)->AsShort() != wire::kSuccess)
            return "failed: " + Ascii(DecodeUtf16Base64(answer->Root().ChildNode(kErrorTextNode).GetString()));
        const systemcontrol::StateAnswer state = systemcontrol::ReadStateAnswer(
            answer->Root().ChildNode(wire::kUserNameNode).GetString(), answer->Root().ChildNode(wire::kStateNode).GetString());
        lastUser_ = state.userName;
        return state.state;
    }

    // "done" or the refusal's text.
    std::string Act(int32_t action, int32_t timeout = 0) {
        Message request(wire::kActionCommand, wire::kSnapInId, 1);
        request.Root().ChildNode(wire::kActionNode).SetLong(action);
        request.Root().ChildNode(wire::kOptionNode).SetLong(0);
        request.Root().ChildNode(wire::kTimeoutNode).SetLong(timeout);
        request.Root().ChildNode(wire::kMessageNode).SetText("");
        auto answer = machine_.Answer(request);
        if (answer->Root().Find(kRetValueNode)->AsShort() == wire::kSuccess) return "done";
        return Ascii(DecodeUtf16Base64(answer->Root().ChildNode(kErrorTextNode).GetString()));
    }

    static std::string Ascii(const std::u16string& text) { return std::string(text.begin(), text.end()); }

    RemoteMachine machine_;
    std::u16string lastUser_;
};

MachineConfig Config(int pollsPerPhase = 3, int answersAway = 2) {
    MachineConfig config;
    config.systemControl.pollsPerPhase = pollsPerPhase;
    config.systemControl.answersAway = answersAway;
    return config;
}

TEST(SystemControlMachine, EachKindOfMachineOffersItsOwnActions) {
    SystemControlMachine workstation(Config());
    EXPECT_EQ(workstation.Capabilities(Platform::General),
              (SupportedActions{Capability::Lock, Capability::LogOff, Capability::Restart, Capability::ShutDown}));

    MachineConfig server = Config();
    server.systemControl.server = true;
    SystemControlMachine refusing(server);
    EXPECT_EQ(refusing.Capabilities(Platform::General),
              (SupportedActions{Capability::LogOff, Capability::Restart, Capability::ShutDown}));
    EXPECT_EQ(refusing.Act(wire::kActionLock), "Access is denied.");

    MachineConfig handheld = Config();
    handheld.platform = kDevicePlatform;
    SystemControlMachine device(handheld);
    EXPECT_EQ(device.Capabilities(Platform::Device), (SupportedActions{Capability::BackLightOff, Capability::BackLightOn,
                                                                       Capability::Restart, Capability::Suspend}));
    EXPECT_EQ(device.Act(wire::kActionLogOff), "The request is not supported.");
    EXPECT_EQ(device.Act(wire::kActionBackLightOff), "done");
}

TEST(SystemControlMachine, TheUserLocksLogsOffAndComesBackAsPollsGoBy) {
    SystemControlMachine machine(Config(3));
    std::vector<std::string> states;
    std::vector<std::u16string> users;
    for (int i = 0; i < 10; ++i) {
        states.push_back(machine.Poll());
        users.push_back(machine.lastUser_);
    }
    EXPECT_EQ(states, (std::vector<std::string>{"1", "1", "1", "2", "2", "2", "3", "3", "3", "1"}));
    EXPECT_EQ(users[0], SimulatedSystem::Users()[0]);
    EXPECT_EQ(users[3], users[0]) << "locked, the same user";
    EXPECT_TRUE(users[6].empty()) << "nobody while logged off";
    EXPECT_EQ(users[9], SimulatedSystem::Users()[1]) << "the next user logs on";
    EXPECT_NE(SimulatedSystem::Users()[0].find(u'\u00c5'), std::u16string::npos) << "a name beyond ASCII";
}

TEST(SystemControlMachine, ActionsChangeTheSessionAndARestartTakesTheMachineAwayForAWhile) {
    SystemControlMachine machine(Config(100, 2));
    EXPECT_EQ(machine.Poll(), "1");
    EXPECT_EQ(machine.Act(wire::kActionLock), "done");
    EXPECT_EQ(machine.Poll(), "2");
    EXPECT_EQ(machine.Act(wire::kActionLogOff), "done");
    EXPECT_EQ(machine.Poll(), "3");
    EXPECT_TRUE(machine.lastUser_.empty());
    EXPECT_EQ(machine.Act(wire::kActionLock), "No user is logged on.");

    EXPECT_EQ(machine.Act(wire::kActionRestart, 30), "done");
    EXPECT_EQ(machine.Poll(), "failed: The network path was not found.");
    EXPECT_EQ(machine.Act(wire::kActionShutDown), "The network path was not found.") << "away: nothing is carried out";
    EXPECT_EQ(machine.Poll(), "failed: The network path was not found.");
    EXPECT_EQ(machine.Poll(), "3") << "back, nobody logged on";

    EXPECT_EQ(machine.Act(wire::kActionBackLightOn), "The request is not supported.");
    EXPECT_EQ(machine.Act(wire::kActionLogOff, 10000), "The parameter is incorrect.");
    EXPECT_EQ(machine.Act(0), "The request is not supported.");
}

TEST(SystemControlMachine, ARequestWithoutItsFieldsIsRefused) {
    SystemControlMachine machine(Config());
    auto answer = machine.Ask(wire::kActionCommand);
    EXPECT_NE(answer->Root().Find(kRetValueNode)->AsShort(), wire::kSuccess);
    EXPECT_EQ(DecodeUtf16Base64(answer->Root().ChildNode(kErrorTextNode).GetString()), u"The parameter is incorrect.");
}

TEST(SystemControlMachine, FaultModesGiveAnswersTheModelReadsSafely) {
    SystemControlMachine machine(Config());
    Fault garbage;
    garbage.kind = FaultKind::Garbage;
    machine.machine_.InjectFault(wire::kCapabilitiesCommand, garbage);
    machine.machine_.InjectFault(wire::kStateCommand, garbage);
    EXPECT_TRUE(machine.Capabilities(Platform::General).empty()) << "texts where numbers belong offer nothing";
    auto state = machine.Ask(wire::kStateCommand);
    EXPECT_FALSE(systemcontrol::ReadStateAnswer(state->Root().ChildNode(wire::kUserNameNode).GetString(),
                                                state->Root().ChildNode(wire::kStateNode).GetString())
                     .readable);

    Fault hostile;
    hostile.kind = FaultKind::HostileNumbers;
    machine.machine_.InjectFault(wire::kCapabilitiesCommand, hostile);
    machine.machine_.InjectFault(wire::kStateCommand, hostile);
    // Read as the wire's 16-bit numbers; the device's actions have no button here.
    EXPECT_EQ(machine.Capabilities(Platform::General), (SupportedActions{Capability::Lock, Capability::Restart}));
    EXPECT_EQ(machine.Poll(), "4294967295");
    EXPECT_EQ(machine.lastUser_.size(), systemcontrol::kMaxUserNameLength);

    Fault fail;
    fail.errorText = u"Zugriff verweigert.";
    machine.machine_.InjectFault(wire::kStateCommand, fail);
    EXPECT_EQ(machine.Poll(), "failed: Zugriff verweigert.");
}

}  // namespace
}  // namespace vantrel::remote
