#include "remote/RemoteMachine.h"

#include <algorithm>

#include "framework/model/Answer.h"
#include "remote/SimulatedSnapIn.h"
#include "remote/Simulations.h"

namespace vantrel::remote {

namespace {

// The query every snap-in sends before it opens, with its own number.
constexpr uint32_t kSupportedCommand = 0;

constexpr int kServicesAtScaleOne = 180;

// Grows evenly from its size at scale 1 to its size at scale 100.
int ScaledSize(int scale, int atOne, int atHundred)
{
    return atOne + (std::clamp(scale, 1, 100) - 1) * (atHundred - atOne) / 99;
}

int ClampedScale(int scale)
{
    return std::clamp(scale, 1, 100);
}

int SizeFor(const std::optional<int>& size, int derived)
{
    return std::clamp(size.value_or(derived), 0, MachineConfig::kMaxEntries);
}

MachineConfig Sanitized(MachineConfig config)
{
    config.scale = ClampedScale(config.scale);
    config.pageSize = std::clamp(config.pageSize, 1, 100000);
    config.eventLogs.indexPageSize = std::clamp(config.eventLogs.indexPageSize, 1, 100000);
    config.eventLogs.eventPageSize = std::clamp(config.eventLogs.eventPageSize, 1, 100000);
    config.eventLogs.growthPerRefresh = std::clamp(config.eventLogs.growthPerRefresh, 0, 1000);
    return config;
}

}  // namespace

int MachineConfig::DriveVolumes() const
{
    return SizeFor(drives.volumes, (ClampedScale(scale) - 1) * 1000);
}

int MachineConfig::EventCount(int log) const
{
    const std::optional<int>* sizes[] = {&eventLogs.application, &eventLogs.security, &eventLogs.system};
    if (log < 0 || log >= 3)
        return 0;
    constexpr int kAtScaleOne = 2000;
    const int atScaleHundred = log == 0 ? kMaxEvents : 50000;
    const int derived = kAtScaleOne + (ClampedScale(scale) - 1) * ((atScaleHundred - kAtScaleOne) / 99);
    const int largest = ClampedScale(scale) == 100 ? atScaleHundred : derived;
    return std::clamp(sizes[log]->value_or(largest), 0, kMaxEvents);
}

int MachineConfig::ServiceCount() const
{
    // About 180 on a small machine, 5,000 at the largest scale.
    return SizeFor(services.count, kServicesAtScaleOne + (ClampedScale(scale) - 1) * (5000 - kServicesAtScaleOne) / 99);
}

int MachineConfig::ProcessCount() const
{
    return SizeFor(taskManager.processes, ScaledSize(scale, 80, 5000));
}

int MachineConfig::ThreadCount() const
{
    const int threads = SizeFor(taskManager.threads, ScaledSize(scale, 900, 100000));
    return std::max(threads, ProcessCount());
}

int MachineConfig::ApplicationCount() const
{
    return SizeFor(taskManager.applications, ScaledSize(scale, 12, 210));
}

int MachineConfig::ShareCount() const
{
    return SizeFor(shares.shares, ScaledSize(scale, 25, 2000));
}

int MachineConfig::SessionCount() const
{
    return SizeFor(shares.sessions, ScaledSize(scale, 40, 5000));
}

int MachineConfig::OpenFileCount() const
{
    return SizeFor(shares.openFiles, ScaledSize(scale, 300, 100000));
}

int MachineConfig::LocalUsers() const
{
    return SizeFor(users.localUsers, 40 + (ClampedScale(scale) - 1) * 20);
}

int MachineConfig::LocalGroups() const
{
    return SizeFor(users.localGroups, 25 + (ClampedScale(scale) - 1) * 5);
}

int MachineConfig::DomainAccounts() const
{
    // About 300 in a small domain, 100,000 at the largest scale.
    return SizeFor(users.domainAccounts, 300 + (ClampedScale(scale) - 1) * (100000 - 300) / 99);
}

int MachineConfig::ConsoleWidth() const
{
    return std::clamp(console.width.value_or(80 + (ClampedScale(scale) - 1) * 40 / 99), 1, 32767);
}

int MachineConfig::ConsoleHeight() const
{
    return std::clamp(console.height.value_or(25 + (ClampedScale(scale) - 1) * (9001 - 25) / 99), 1, 32767);
}

RemoteMachine::RemoteMachine(MachineConfig config)
    : config_(Sanitized(std::move(config))), registry_(std::make_unique<CommandRegistry>())
{
    for (const SimulationFactory make : Simulations()) {
        snapIns_.push_back(make(config_));
        snapIns_.back()->Register(*registry_);
    }
}

RemoteMachine::~RemoteMachine() = default;

void RemoteMachine::InjectFault(uint32_t command, Fault fault)
{
    faults_[command] = std::move(fault);
}

bool RemoteMachine::IsPolled(uint32_t snapInId, uint32_t command) const
{
    return registry_->IsPolled(snapInId, command);
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

bool MachineConfig::Offers(uint32_t snapInId) const
{
    return std::find(supportedSnapIns.begin(), supportedSnapIns.end(), snapInId) != supportedSnapIns.end();
}

void RemoteMachine::AnswerSupported(const host::Message& request, host::Message& answer) const
{
    answer.Root().ChildNode(kSupportedNode).SetBool(config_.Offers(request.SnapInId()) ? 1 : 0);
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
    // The machine says yes or no; a tool may add to a yes what it tells with
    // it (a protocol level, whether it impersonates).
    if (request.Command() == kSupportedCommand) {
        AnswerSupported(request, *answer);
        if (handler && answer->Root().ChildNode(kSupportedNode).AsBool()) {
            // A tool whose own request goes with code 0 sees the faults of its body too.
            CommandContext context{config_, request, *answer, std::nullopt};
            if (fault)
                context.fault = fault->kind;
            handler->run(context);
        }
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
