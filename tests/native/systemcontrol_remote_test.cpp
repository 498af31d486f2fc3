// System Control on the simulated machine: the actions each kind of machine
// offers, a session that goes on by itself as polls are answered, actions
// carried out, refusals, and fault modes read back through the model.
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

class SystemControlMachine : public RemoteMachine {
public:
    explicit SystemControlMachine(MachineConfig config) : RemoteMachine(config) {}

    SupportedActions Capabilities(Platform platform) {
        auto answer = Answer(Message(wire::kCapabilitiesCommand, wire::kSnapInId, 1));
        return systemcontrol::ReadSupportedActions(
            [&](const char* node) { return answer->Root().ChildNode(node).GetShort(); }, platform);
    }
    // The state of one poll, or its error text.
    std::string Poll() {
        auto answer = Answer(Message(wire::kStateCommand, wire::kSnapInId, 1));
        if (answer->Root().ChildNode(kRetValueNode).GetShort() != wire::kSuccess) return Error(*answer);
        auto state = systemcontrol::ReadStateAnswer(answer->Root().ChildNode(wire::kUserNameNode).GetString(),
                                                    answer->Root().ChildNode(wire::kStateNode).GetString());
        user = state.userName;
        return state.readable ? state.state : "unreadable";
    }
    // "done" or the refusal's text.
    std::string Act(int32_t action, int32_t timeout = 0) {
        Message request(wire::kActionCommand, wire::kSnapInId, 1);
        request.Root().ChildNode(wire::kActionNode).SetLong(action);
        request.Root().ChildNode(wire::kOptionNode).SetLong(0);
        request.Root().ChildNode(wire::kTimeoutNode).SetLong(timeout);
        request.Root().ChildNode(wire::kMessageNode).SetText("");
        auto answer = Answer(request);
        return answer->Root().ChildNode(kRetValueNode).GetShort() == wire::kSuccess ? "done" : Error(*answer);
    }
    static std::string Error(Message& answer) {
        std::u16string text = DecodeUtf16Base64(answer.Root().ChildNode(kErrorTextNode).GetString());
        return std::string(text.begin(), text.end());
    }
    std::u16string user;
};

MachineConfig Config(int pollsPerPhase, bool server = false, int16_t platform = kGeneralPlatform) {
    MachineConfig config;
    config.platform = platform;
    config.systemControl.pollsPerPhase = pollsPerPhase;
    config.systemControl.answersAway = 2;
    config.systemControl.server = server;
    return config;
}

TEST(SystemControlMachine, EachKindOfMachineOffersItsOwnActions) {
    EXPECT_EQ(SystemControlMachine(Config(3)).Capabilities(Platform::General),
              (SupportedActions{Capability::Lock, Capability::LogOff, Capability::Restart, Capability::ShutDown}));
    SystemControlMachine server(Config(3, true));
    EXPECT_EQ(server.Capabilities(Platform::General),
              (SupportedActions{Capability::LogOff, Capability::Restart, Capability::ShutDown}));
    EXPECT_EQ(server.Act(wire::kActionLock), "Access is denied.");
    SystemControlMachine device(Config(3, false, kDevicePlatform));
    EXPECT_EQ(device.Capabilities(Platform::Device),
              (SupportedActions{Capability::BackLightOff, Capability::BackLightOn, Capability::Restart,
                                Capability::Suspend}));
    EXPECT_EQ(device.Act(wire::kActionLogOff), "The request is not supported.");
    EXPECT_EQ(device.Act(wire::kActionBackLightOff), "done");
}

TEST(SystemControlMachine, TheSessionGoesOnAsPollsAreAnsweredAndActionsChangeIt) {
    SystemControlMachine machine(Config(3));
    std::vector<std::string> states;
    std::vector<std::u16string> users;
    for (int i = 0; i < 10; ++i) {
        states.push_back(machine.Poll());
        users.push_back(machine.user);
    }
    EXPECT_EQ(states, (std::vector<std::string>{"1", "1", "1", "2", "2", "2", "3", "3", "3", "1"}));
    EXPECT_EQ(users[3], SimulatedSystem::Users()[0]) << "locked: the same user";
    EXPECT_TRUE(users[6].empty());
    EXPECT_EQ(users[9], SimulatedSystem::Users()[1]) << "the next user logs on";

    SystemControlMachine acted(Config(100));
    EXPECT_EQ(acted.Act(wire::kActionLock), "done");
    EXPECT_EQ(acted.Poll(), "2");
    EXPECT_EQ(acted.Act(wire::kActionLogOff), "done");
    EXPECT_EQ(acted.Poll(), "3");
    EXPECT_EQ(acted.Act(wire::kActionLock), "No user is logged on.");
    EXPECT_EQ(acted.Act(wire::kActionLogOff, 10000), "The parameter is incorrect.");
    EXPECT_EQ(acted.Act(0), "The request is not supported.");
    EXPECT_NE(
        acted.Answer(Message(wire::kActionCommand, wire::kSnapInId, 1))->Root().ChildNode(kRetValueNode).GetShort(),
        wire::kSuccess)
        << "a request without its fields";

    // A restart takes the machine away for two polls; it comes back logged off.
    SystemControlMachine restarted(Config(100));
    EXPECT_EQ(restarted.Act(wire::kActionRestart, 30), "done");
    EXPECT_EQ(restarted.Poll(), "The network path was not found.");
    EXPECT_EQ(restarted.Act(wire::kActionShutDown), "The network path was not found.");
    EXPECT_EQ(restarted.Poll(), "The network path was not found.");
    EXPECT_EQ(restarted.Poll(), "3");
}

TEST(SystemControlMachine, FaultModesGiveAnswersTheModelReadsSafely) {
    SystemControlMachine machine(Config(100));
    Fault fault;
    fault.kind = FaultKind::Garbage;
    machine.InjectFault(wire::kCapabilitiesCommand, fault);
    machine.InjectFault(wire::kStateCommand, fault);
    EXPECT_TRUE(machine.Capabilities(Platform::General).empty()) << "texts where numbers belong";
    EXPECT_EQ(machine.Poll(), "unreadable");

    fault.kind = FaultKind::HostileNumbers;
    machine.InjectFault(wire::kCapabilitiesCommand, fault);
    machine.InjectFault(wire::kStateCommand, fault);
    EXPECT_EQ(machine.Capabilities(Platform::General), (SupportedActions{Capability::Lock, Capability::Restart}))
        << "the 16-bit readings of 65537 and -65535 are 1";
    EXPECT_EQ(machine.Poll(), "4294967295");
    EXPECT_EQ(machine.user.size(), systemcontrol::kMaxUserNameLength);
}

}  // namespace
}  // namespace vantrel::remote
