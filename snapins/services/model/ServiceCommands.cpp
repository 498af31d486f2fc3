#include "snapins/services/model/ServiceCommands.h"

#include <algorithm>
#include <unordered_set>
#include <utility>

#include "framework/model/Paging.h"
#include "framework/text/Base64.h"
#include "framework/xml/Xml.h"

namespace vantrel::services {

CommandStates AllowedCommands(const ServiceRecord* selected, bool busy, bool controlPending)
{
    CommandStates states;
    if (busy)
        return states;  // every command waits for the request in progress
    states.refresh = true;
    states.add = true;
    if (!selected)
        return states;
    states.remove = true;
    states.properties = true;
    if (controlPending)
        return states;

    const ServiceRecord& service = *selected;
    const bool own = IsHostService(service);
    const bool acceptsStop = (service.acceptedControls & protocol::kAcceptsStop) != 0 && !own;
    const bool acceptsPause = (service.acceptedControls & protocol::kAcceptsPauseContinue) != 0 && !own;
    states.start = service.state == protocol::kStateStopped && service.startupType != protocol::kStartupDisabled;
    states.stop = acceptsStop;
    states.restart = acceptsStop;
    states.pause = acceptsPause && service.state == protocol::kStateRunning;
    states.resume = acceptsPause && service.state == protocol::kStatePaused;
    states.startButton = states.start || states.resume;
    states.startButtonResumes = states.resume;
    return states;
}

std::vector<std::u16string> RunningDependents(const ServiceStore& store, std::u16string_view name)
{
    std::vector<std::u16string> order;
    const ServiceId rootId = store.IdOf(name);
    if (rootId == kNoService)
        return order;

    // Depth first, without recursion (a chain may be as long as the list):
    // a service is written out once everything below it has been.
    struct Frame {
        const ServiceRecord* service;
        size_t nextDependent;
    };
    std::unordered_set<ServiceId> visited{rootId};
    std::vector<Frame> path{{store.Find(rootId), 0}};
    while (!path.empty()) {
        Frame& frame = path.back();
        if (frame.nextDependent < frame.service->dependents.size()) {
            const ServiceId id = store.IdOf(frame.service->dependents[frame.nextDependent++]);
            if (id != kNoService && visited.insert(id).second)
                path.push_back({store.Find(id), 0});
            continue;
        }
        const ServiceRecord* done = frame.service;
        path.pop_back();
        if (!path.empty() && done->state != protocol::kStateStopped)
            order.push_back(done->name);
    }
    return order;
}

ServiceRequest ListRequest(int64_t startAt)
{
    CXmlElement request(protocol::kListElement);
    request.AddAttribute(kStartAtAttribute, std::to_string(startAt));
    CXmlOptions options;
    return {protocol::kListCommand, {{protocol::kListNode, request.ToText(options)}}};
}

ServiceRequest ControlRequest(std::u16string_view name, int32_t action, std::string_view params)
{
    return {protocol::kControlCommand,
            {{protocol::kServiceNameNode, EncodeUtf16Base64(name)},
             {protocol::kActionNode, std::to_string(action)},
             {protocol::kParamsNode, std::string(params)}}};
}

ServiceRequest RemoveRequest(std::u16string_view name)
{
    return {protocol::kRemoveCommand, {{protocol::kServiceNameNode, EncodeUtf16Base64(name)}}};
}

ServiceRequest ServiceUpdateRequest(std::u16string_view name)
{
    return {protocol::kServiceCommand, {{protocol::kServiceNameNode, EncodeUtf16Base64(name)}}};
}

std::u16string DecodeServiceName(const char* base64)
{
    return DecodeUtf16Base64(base64);
}

PendingNames::Taken PendingNames::Take(std::u16string_view answered)
{
    Taken taken;
    if (names_.empty())
        return taken;
    taken.any = true;
    auto found = std::find_if(names_.begin(), names_.end(),
                              [&](const std::u16string& sent) { return SameServiceName(sent, answered); });
    taken.matched = found != names_.end();
    if (!taken.matched)
        found = names_.begin();
    taken.sent = std::move(*found);
    names_.erase(found);
    return taken;
}

}  // namespace vantrel::services
