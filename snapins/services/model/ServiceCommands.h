// What the user may do with the selected service, what a stop has to stop
// first, and the requests that do it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "snapins/services/model/Protocol.h"
#include "snapins/services/model/ServiceModel.h"

namespace vantrel::services {

// ---------------------------------------------------------------------------
// Enabling

struct CommandStates {
    bool refresh = false;
    bool add = false;
    bool remove = false;
    bool properties = false;
    // Menu items, and the description pane's links.
    bool start = false;
    bool stop = false;
    bool pause = false;
    bool resume = false;
    bool restart = false;
    // The toolbar has no Resume button: its Start button starts a stopped
    // service and resumes a paused one (tooltip "Resume" then).
    bool startButton = false;
    bool startButtonResumes = false;
};

// selected: the selected service, or null. busy: a request is in progress
// (busy counter above 0). controlPending: a service control (603) or the
// update that follows it (606) has not been answered yet; the control
// commands stay disabled until it has, also when a list refill ends busy
// meanwhile.
CommandStates AllowedCommands(const ServiceRecord* selected, bool busy, bool controlPending);

// ---------------------------------------------------------------------------
// Dependents

// The services to stop before `name` can stop (action 1) or restart (1001):
// every service that depends on it, directly or through others, that the
// store holds and whose State is not 1 (stopped). Child elements are followed
// recursively and each service is visited once, so cycles and diamonds end
// and list nobody twice; the service itself is never among them. In stop
// order: each dependent comes after its own running dependents. Empty for a
// service the store does not hold. The dependents dialog lists them in this
// order; its Yes sends their stops in this order, then the command itself.
std::vector<std::u16string> RunningDependents(const ServiceStore& store, std::u16string_view name);

// ---------------------------------------------------------------------------
// Requests

// One field of a request; every field of Services is set as a string.
struct RequestField {
    const char* node;
    std::string text;
};

struct ServiceRequest {
    uint32_t command = 0;
    std::vector<RequestField> fields;
};

// 601: "Services" = <Services StartAt='n' />; -1 for a new list.
ServiceRequest ListRequest(int64_t startAt);
// 603: "ServiceName" (Base64 UTF-16), "Action" (decimal), "Params" (plain
// 8-bit text; may be empty).
ServiceRequest ControlRequest(std::u16string_view name, int32_t action, std::string_view params = {});
// 605 and 606: "ServiceName".
ServiceRequest RemoveRequest(std::u16string_view name);
ServiceRequest ServiceUpdateRequest(std::u16string_view name);

// The decoded "ServiceName" of a 603 answer.
std::u16string DecodeServiceName(const char* base64);

// ---------------------------------------------------------------------------
// Requests of one kind waiting for their answers

// Answers are matched to requests by command code only, and a stop may send
// several controls at once (the dependents first). This keeps the names that
// were sent, oldest first, so that an answer is taken for one of them and
// what follows uses the name that was sent.
class PendingNames {
public:
    void Sent(std::u16string name) { names_.push_back(std::move(name)); }
    bool Empty() const { return names_.empty(); }
    size_t Count() const { return names_.size(); }
    void Clear() { names_.clear(); }

    struct Taken {
        bool any = false;      // false: nothing was waiting; the answer was not asked for
        bool matched = false;  // the answer named a waiting request (without regard to case)
        std::u16string sent;   // the name that was sent for the request taken
    };
    // Takes the waiting request the answer names, else the oldest.
    Taken Take(std::u16string_view answered);

private:
    std::deque<std::u16string> names_;
};

}  // namespace vantrel::services
