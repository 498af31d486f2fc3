// System Control (15009): 901 the actions offered, 902 the session, 903 an
// action carried out.
#include <string>

#include "framework/model/Answer.h"
#include "framework/text/Base64.h"
#include "remote/SimulatedSnapIn.h"
#include "remote/Simulations.h"
#include "remote/systemcontrol/SystemControlData.h"
#include "snapins/systemcontrol/model/Protocol.h"

namespace vantrel::remote {

namespace {

namespace wire = systemcontrol::protocol;

constexpr int32_t kSystemControlFailure = 0;
constexpr char16_t kAwayText[] = u"The network path was not found.";

struct OfferField {
    const char* node;
    int32_t action;
};
constexpr OfferField kOfferFields[] = {
    {wire::kLockNode, wire::kActionLock},           {wire::kLogOffNode, wire::kActionLogOff},
    {wire::kRestartNode, wire::kActionRestart},     {wire::kShutDownNode, wire::kActionShutDown},
    {wire::kBackLightOffNode, wire::kActionBackLightOff}, {wire::kBackLightOnNode, wire::kActionBackLightOn},
    {wire::kSuspendNode, wire::kActionSuspend}};

const char* StateText(SimulatedSession session)
{
    switch (session) {
    case SimulatedSession::LoggedOn:
        return wire::kStateLoggedOn;
    case SimulatedSession::Locked:
        return wire::kStateLocked;
    case SimulatedSession::LoggedOff:
        break;
    }
    return wire::kStateLoggedOff;
}

void SetSuccess(host::Message& answer)
{
    answer.Root().ChildNode(kRetValueNode).SetShort(wire::kSuccess);
}

// Numbers whose 16-bit reading differs from what they seem, and values that
// are neither 0 nor 1.
void SetHostileOffers(host::MessageNode& root)
{
    root.ChildNode(wire::kLockNode).SetLong(65537);      // reads as 1
    root.ChildNode(wire::kLogOffNode).SetShort(-1);
    root.ChildNode(wire::kRestartNode).SetLong(-65535);  // reads as 1
    root.ChildNode(wire::kShutDownNode).SetShort(2);
    root.ChildNode(wire::kBackLightOffNode).SetShort(1);
    root.ChildNode(wire::kBackLightOnNode).SetShort(32767);
    root.ChildNode(wire::kSuspendNode).SetLong(-32768);
}

class SystemControlSimulation final : public SimulatedSnapIn {
public:
    explicit SystemControlSimulation(const MachineConfig& config) : system_(config) {}

    void Register(CommandRegistry& registry) override
    {
        registry.Add(wire::kSnapInId, wire::kCapabilitiesCommand, kSystemControlFailure,
                     [this](CommandContext& context) { AnswerCapabilities(context); });
        registry.Add(wire::kSnapInId, wire::kStateCommand, kSystemControlFailure,
                     [this](CommandContext& context) { AnswerState(context); });
        registry.Add(wire::kSnapInId, wire::kActionCommand, kSystemControlFailure,
                     [this](CommandContext& context) { AnswerAction(context); });
    }

private:
    void AnswerCapabilities(CommandContext& context)
    {
        if (!system_.Poll()) {
            SetFailure(context.answer, kSystemControlFailure, kAwayText);
            return;
        }
        SetSuccess(context.answer);
        host::MessageNode& root = context.answer.Root();
        if (context.fault == FaultKind::HostileNumbers) {
            SetHostileOffers(root);
            return;
        }
        for (const OfferField& field : kOfferFields) {
            if (context.fault == FaultKind::Garbage)
                root.ChildNode(field.node).SetText("\x01yes");  // a text, not a number
            else
                root.ChildNode(field.node).SetShort(system_.Offers(field.action) ? wire::kOffered : 0);
        }
    }

    void AnswerState(CommandContext& context)
    {
        const std::optional<SessionSnapshot> snapshot = system_.Poll();
        if (!snapshot) {
            SetFailure(context.answer, kSystemControlFailure, kAwayText);
            return;
        }
        SetSuccess(context.answer);
        host::MessageNode& root = context.answer.Root();
        if (context.fault == FaultKind::Garbage) {
            root.ChildNode(wire::kUserNameNode).SetText("*%not Base64\x7f");  // and no "State" at all
            return;
        }
        if (context.fault == FaultKind::HostileNumbers) {
            root.ChildNode(wire::kUserNameNode).SetText(EncodeUtf16Base64(std::u16string(100000, u'W')));
            root.ChildNode(wire::kStateNode).SetText("4294967295");
            return;
        }
        root.ChildNode(wire::kUserNameNode).SetText(EncodeUtf16Base64(snapshot->userName));
        root.ChildNode(wire::kStateNode).SetText(StateText(snapshot->session));
    }

    void AnswerAction(CommandContext& context)
    {
        const host::MessageNode* action = context.request.Root().Find(wire::kActionNode);
        const host::MessageNode* timeout = context.request.Root().Find(wire::kTimeoutNode);
        if (!action || !timeout || !context.request.Root().Find(wire::kOptionNode) ||
            !context.request.Root().Find(wire::kMessageNode)) {
            SetFailure(context.answer, kSystemControlFailure, u"The parameter is incorrect.");
            return;
        }
        const ActionOutcome outcome = system_.Carry(action->AsLong(), timeout->AsLong());
        if (!outcome.done) {
            SetFailure(context.answer, kSystemControlFailure, outcome.refusal);
            return;
        }
        SetSuccess(context.answer);
    }

    SimulatedSystem system_;
};

}  // namespace

std::unique_ptr<SimulatedSnapIn> MakeSystemControlSimulation(const MachineConfig& config)
{
    return std::make_unique<SystemControlSimulation>(config);
}

}  // namespace vantrel::remote
