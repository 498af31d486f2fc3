#include "remote/RemoteMachine.h"

#include <algorithm>

#include "remote/SimulatedSnapIn.h"
#include "remote/services/ServicesSimulation.h"

namespace vantrel::remote {

namespace {

constexpr uint32_t kSupportedCommand = 0;

MachineConfig Sanitized(MachineConfig config)
{
    config.scale = std::clamp(config.scale, 1, 100);
    config.pageSize = std::clamp(config.pageSize, 1, 100000);
    return config;
}

}  // namespace

RemoteMachine::RemoteMachine(MachineConfig config)
    : config_(Sanitized(std::move(config))), registry_(std::make_unique<CommandRegistry>())
{
    snapIns_.push_back(MakePlainSimulation(config_));
    snapIns_.push_back(MakeDrivesSimulation(config_));
    snapIns_.push_back(MakeServicesSimulation(config_));
    for (auto& snapIn : snapIns_)
        snapIn->Register(*registry_);
}

RemoteMachine::~RemoteMachine() = default;

void RemoteMachine::InjectFault(uint32_t command, Fault fault)
{
    faults_[command] = std::move(fault);
}

void RemoteMachine::ClearFaults()
{
    faults_.clear();
}

std::optional<Fault> RemoteMachine::TakeFault(uint32_t command, uint32_t snapInId)
{
    const auto found = faults_.find(command);
    if (found == faults_.end())
        return std::nullopt;
    Fault& fault = found->second;
    if (fault.snapInId != 0 && fault.snapInId != snapInId)
        return std::nullopt;
    if (fault.skip > 0) {
        --fault.skip;
        return std::nullopt;
    }
    Fault taken = fault;
    if (fault.times > 0 && --fault.times == 0)
        faults_.erase(found);
    return taken;
}

void RemoteMachine::AnswerSupported(const host::Message& request, host::Message& answer) const
{
    const auto& supported = config_.supportedSnapIns;
    const bool isSupported = std::find(supported.begin(), supported.end(), request.SnapInId()) != supported.end();
    answer.Root().ChildNode("Supported").SetBool(isSupported ? 1 : 0);
}

std::unique_ptr<host::Message> RemoteMachine::Answer(const host::Message& request)
{
    auto answer = std::make_unique<host::Message>(request.Command(), request.SnapInId(), 0);
    const CommandHandler* handler = registry_->Find(request.SnapInId(), request.Command());
    const std::optional<Fault> fault = TakeFault(request.Command(), request.SnapInId());

    if (fault && fault->kind == FaultKind::Fail) {
        const int32_t failureValue = handler ? handler->failureValue : kNotSupportedValue;
        SetFailure(*answer, fault->retValue.value_or(failureValue), fault->errorText);
        return answer;
    }
    if (request.Command() == kSupportedCommand) {
        AnswerSupported(request, *answer);
        return answer;
    }
    if (!handler) {
        SetFailure(*answer, kNotSupportedValue, u"The request is not supported.");
        return answer;
    }
    CommandContext context{config_, request, *answer, std::nullopt};
    if (fault)
        context.fault = fault->kind;
    handler->run(context);
    return answer;
}

}  // namespace vantrel::remote
