// The power and session side of the simulated machine: which actions it
// offers, a user whose session goes on by itself (logged on, locked after a
// while, logged off, on again), and the actions it carries out. Its time is
// counted in polls answered, never read from a clock, so tests that drive the
// polls see the same machine every run.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "remote/RemoteMachine.h"

namespace vantrel::remote {

enum class SimulatedSession { LoggedOn, Locked, LoggedOff };

struct SessionSnapshot {
    SimulatedSession session = SimulatedSession::LoggedOn;
    std::u16string userName;  // empty while nobody is logged on
};

// What became of a 903 request.
struct ActionOutcome {
    bool done = false;
    std::u16string refusal;  // the error text when not done
};

class SimulatedSystem {
public:
    explicit SimulatedSystem(const MachineConfig& config);

    // Whether the machine offers the action of a 903 action code.
    bool Offers(int32_t action) const;

    // One poll (a capability or state request): the session as it is, and
    // then a poll's time passes. Nothing while the machine is away; it is back
    // after config.systemControl.answersAway polls.
    std::optional<SessionSnapshot> Poll();

    // Carries out a 903 request, or says why not.
    ActionOutcome Carry(int32_t action, int32_t timeoutSeconds);

    bool Away() const { return awayPolls_ > 0; }
    bool BackLightOn() const { return backLightOn_; }
    // The users who log on, in turn.
    static const std::vector<std::u16string>& Users();

private:
    void Enter(SimulatedSession session);
    void PassPoll();
    void GoAway(bool logsOff);

    bool device_;
    bool server_;
    int pollsPerPhase_;
    int answersAway_;
    SimulatedSession session_ = SimulatedSession::LoggedOn;
    int pollsInPhase_ = 0;
    size_t user_ = 0;
    int awayPolls_ = 0;
    bool logOffWhenBack_ = false;
    bool backLightOn_ = true;
};

}  // namespace vantrel::remote
