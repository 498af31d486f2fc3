#include "remote/systemcontrol/SystemControlData.h"

#include <algorithm>

#include "snapins/systemcontrol/model/Protocol.h"

namespace vantrel::remote {

namespace {

namespace wire = systemcontrol::protocol;

}  // namespace

const std::vector<std::u16string>& SimulatedSystem::Users()
{
    static const std::vector<std::u16string> users = {u"VANTREL\\\u00c5sa Lindqvist",
                                                      u"VANTREL\\J\u00fcrgen Wei\u00df-\u00d8deg\u00e5rd"};
    return users;
}

SimulatedSystem::SimulatedSystem(const MachineConfig& config)
    : device_(config.platform == kDevicePlatform),
      server_(config.systemControl.server),
      pollsPerPhase_(std::max(config.systemControl.pollsPerPhase, 1)),
      answersAway_(std::max(config.systemControl.answersAway, 0))
{
}

bool SimulatedSystem::Offers(int32_t action) const
{
    switch (action) {
    case wire::kActionLock:
        return !device_ && !server_;
    case wire::kActionLogOff:
    case wire::kActionShutDown:
        return !device_;
    case wire::kActionRestart:  // a soft reset on a device
        return true;
    case wire::kActionSuspend:
    case wire::kActionBackLightOff:
    case wire::kActionBackLightOn:
        return device_;
    default:
        return false;
    }
}

void SimulatedSystem::Enter(SimulatedSession session)
{
    if (session == SimulatedSession::LoggedOn && session_ == SimulatedSession::LoggedOff)
        user_ = (user_ + 1) % Users().size();
    session_ = session;
    pollsInPhase_ = 0;
}

// Logged on, locked after a while, logged off, and on again.
void SimulatedSystem::PassPoll()
{
    if (++pollsInPhase_ < pollsPerPhase_)
        return;
    switch (session_) {
    case SimulatedSession::LoggedOn:
        Enter(SimulatedSession::Locked);
        break;
    case SimulatedSession::Locked:
        Enter(SimulatedSession::LoggedOff);
        break;
    case SimulatedSession::LoggedOff:
        Enter(SimulatedSession::LoggedOn);
        break;
    }
}

std::optional<SessionSnapshot> SimulatedSystem::Poll()
{
    if (awayPolls_ > 0) {
        if (--awayPolls_ == 0 && logOffWhenBack_)
            Enter(SimulatedSession::LoggedOff);
        return std::nullopt;
    }
    SessionSnapshot snapshot;
    snapshot.session = session_;
    if (session_ != SimulatedSession::LoggedOff)
        snapshot.userName = Users()[user_];
    PassPoll();
    return snapshot;
}

void SimulatedSystem::GoAway(bool logsOff)
{
    logOffWhenBack_ = logsOff;
    awayPolls_ = answersAway_;
    if (awayPolls_ == 0 && logsOff)
        Enter(SimulatedSession::LoggedOff);
}

ActionOutcome SimulatedSystem::Carry(int32_t action, int32_t timeoutSeconds)
{
    if (Away())
        return {false, u"The network path was not found."};
    if (action == wire::kActionLock && server_)
        return {false, u"Access is denied."};
    if (!Offers(action))
        return {false, u"The request is not supported."};
    if (timeoutSeconds < 0 || timeoutSeconds > 9999)
        return {false, u"The parameter is incorrect."};
    switch (action) {
    case wire::kActionLock:
        if (session_ == SimulatedSession::LoggedOff)
            return {false, u"No user is logged on."};
        Enter(SimulatedSession::Locked);
        break;
    case wire::kActionLogOff:
        Enter(SimulatedSession::LoggedOff);
        break;
    case wire::kActionRestart:
    case wire::kActionShutDown:
        // Nobody is logged on when it comes back; a device keeps its state.
        GoAway(!device_);
        break;
    case wire::kActionSuspend:
        GoAway(false);
        break;
    case wire::kActionBackLightOff:
        backLightOn_ = false;
        break;
    case wire::kActionBackLightOn:
        backLightOn_ = true;
        break;
    default:
        break;
    }
    return {true, {}};
}

}  // namespace vantrel::remote
