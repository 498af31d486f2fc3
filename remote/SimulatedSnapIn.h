// How the simulated machine is extended: each snap-in's side lives in its own
// folder as a SimulatedSnapIn that registers a handler per command code, made
// by a factory that Simulations.cpp lists.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>

#include "hostkit/MessageTree.h"
#include "remote/RemoteMachine.h"

namespace vantrel {
class CXmlElement;
}

namespace vantrel::remote {

struct CommandContext {
    const MachineConfig& config;
    const host::Message& request;
    host::Message& answer;  // command, snap-in and reply flag are already set
    // The body fault to apply, if any (Fail is answered before the handler runs).
    std::optional<FaultKind> fault;
};

using CommandFunction = std::function<void(CommandContext&)>;

struct CommandHandler {
    CommandFunction run;
    int32_t failureValue;  // the RetValue by which this snap-in recognises a failure
};

class CommandRegistry {
public:
    // Command 0 adds fields to the "Supported" answer of a supported tool.
    void Add(uint32_t snapInId, uint32_t command, int32_t failureValue, CommandFunction run);
    const CommandHandler* Find(uint32_t snapInId, uint32_t command) const;
    // A command the tool sends again and again in the background.
    void MarkPolled(uint32_t snapInId, uint32_t command);
    bool IsPolled(uint32_t snapInId, uint32_t command) const;

private:
    std::map<std::pair<uint32_t, uint32_t>, CommandHandler> handlers_;
    std::set<std::pair<uint32_t, uint32_t>> polled_;
};

class SimulatedSnapIn {
public:
    virtual ~SimulatedSnapIn() = default;
    // Handlers may keep a reference to this object: it lives as long as the machine.
    virtual void Register(CommandRegistry& registry) = 0;
};

// ---------------------------------------------------------------------------
// Helpers for handlers

// "ErrorStr": Base64 of the UTF-16LE text.
void SetErrorText(host::Message& answer, std::u16string_view text);
// A failed answer: "RetValue" (as a long) and, unless empty, "ErrorStr".
void SetFailure(host::Message& answer, int32_t retValue, std::u16string_view text);

// UTF-16 of a plain ASCII text.
std::u16string AsciiToUtf16(std::string_view text);
std::u16string DecimalUtf16(uint64_t value);

// The XML text of an element, cut inside an element when the fault is Garbage.
std::string XmlBodyText(const CXmlElement& root, const std::optional<FaultKind>& fault);
// The XML text cut inside an attribute or element so that no parser accepts it.
std::string SpoilXml(const std::string& text);

// Fields of a request: 0, false or empty when the node is missing. Texts as
// they travel, or decoded from Base64 of UTF-16LE.
int32_t RequestLong(const host::Message& request, const char* name);
int16_t RequestShort(const host::Message& request, const char* name);
bool RequestBool(const host::Message& request, const char* name);
std::string RequestText(const host::Message& request, const char* name);
std::u16string RequestUtf16(const host::Message& request, const char* name);

// Parses the XML text of a request node; false when it is missing or malformed.
bool ParseRequestXml(const host::Message& request, std::string_view node, CXmlElement* out);

// One page of a list of `total` entries for a request's StartAt (-1: from the
// start), with the attributes the answer's root carries.
struct PagePlan {
    size_t first = 0;  // entries [first, end) go into the page
    size_t end = 0;
    int64_t startAtAttribute = 0;
    int64_t upToAttribute = 0;
    int64_t totalAttribute = 0;
};
// Null for a StartAt below -1. A StartAt past the end gives an empty page.
// StuckPage and HugeTotal faults change the attributes, not the entries.
// Pages hold the configuration's page size unless the list has its own.
std::optional<PagePlan> PlanPage(int64_t requestedStart, size_t total, const CommandContext& context,
                                 std::optional<size_t> pageSize = std::nullopt);
void SetPageAttributes(CXmlElement& root, const PagePlan& plan);

}  // namespace vantrel::remote
