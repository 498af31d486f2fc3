// The Services tool without its windows: the service records read from the
// answers to 601 (one page of the list) and 606 (one service), the store that
// keeps them in arrival order, the texts of the list and its sort order.
//
// Records own copies of everything they hold; nothing points into an XML
// tree. List items carry a record's ServiceId, which is looked up again each
// time: an id whose record has gone (the store was cleared) finds nothing,
// and a record replaced by a newer element keeps its id.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "framework/model/Paging.h"

namespace vantrel {
class CXmlElement;
}

namespace vantrel::services {

// Identity of a stored record; never 0, never reused by the same store.
using ServiceId = uint32_t;
constexpr ServiceId kNoService = 0;

struct ServiceRecord {
    // Decoded from Base64 UTF-16.
    std::u16string name;  // key name: the identity in every request
    std::u16string displayName;
    std::u16string description;
    std::u16string servicePath;
    std::u16string startName;  // log-on account
    // Numbers; a missing or unreadable one reads as 0 (so as Unknown for State),
    // signed ones saturate at the 32-bit range, AcceptedControls is unsigned.
    int32_t state = 0;
    int32_t startupType = 0;
    uint32_t acceptedControls = 0;
    uint32_t serviceType = 0;
    uint32_t sysAccount = 0;
    uint32_t allowInteract = 0;
    // Any other attribute, as received and in order.
    std::vector<std::pair<std::string, std::string>> otherAttributes;
    // The "Name" of each child element: the services that depend on this one,
    // as received (plain text; each byte one character), in order.
    std::vector<std::u16string> dependents;
};

// One service element of an answer.
ServiceRecord ReadServiceElement(const CXmlElement& element);

// Service names compare without regard to case, as the service manager
// compares them.
bool SameServiceName(std::u16string_view a, std::u16string_view b);
// Whether this is the console's own host service.
bool IsHostService(const ServiceRecord& service);

// ---------------------------------------------------------------------------
// Answers

// What one page of the list brought into the store.
struct PageMerge {
    size_t added = 0;     // new records
    size_t replaced = 0;  // elements naming a service already stored
    size_t skipped = 0;   // elements without a name, or dropped because the store is full
};

// The result of a 606 answer's "Service" text: one service element as the
// root. ok is false for an empty, truncated or malformed text and for an
// element without a name.
struct ServiceAnswer {
    bool ok = false;
    ServiceRecord record;
};
ServiceAnswer ParseServiceAnswer(const char* xmlText);

struct ReplaceOutcome {
    ServiceId id = kNoService;  // kNoService: the store holds no such service; nothing changed
    // The log-on account differs from the stored one and the service runs:
    // the change takes effect only after a restart (message 2334).
    bool logonChangedWhileRunning = false;
};

// The service records in arrival order, keyed by name.
class ServiceStore {
public:
    explicit ServiceStore(size_t maxRecords = kMaxListItems);

    // Empties the store. Ids given out before are never given out again.
    void Clear();
    size_t Count() const { return records_.size(); }
    // Records in store order; ids in the same order (kNoService past the end).
    const std::vector<ServiceRecord>& Records() const { return records_; }
    ServiceId IdAt(size_t position) const { return position < ids_.size() ? ids_[position] : kNoService; }

    // Null for an id the store does not hold (kNoService, or from before a Clear).
    const ServiceRecord* Find(ServiceId id) const;
    const ServiceRecord* FindByName(std::u16string_view name) const;
    ServiceId IdOf(std::u16string_view name) const;

    // Stores a record: one with the name of a stored service replaces it in
    // place and keeps its id; a new one is appended. kNoService for a record
    // without a name or when the store is full.
    ServiceId Put(ServiceRecord record);

    // The root of one page of a 601 answer: every child element is stored in
    // order (the elements' own names are not examined). Paging is decided by
    // the caller from the root's StartAt, UpTo and Total; a new listing clears
    // the store first.
    PageMerge MergePage(const CXmlElement& root);

    // A 606 answer's record replaces the stored service of that name. A
    // service the store does not hold (the list was refreshed meanwhile) is
    // not added.
    ReplaceOutcome Replace(ServiceRecord record);

private:
    size_t maxRecords_;
    ServiceId nextId_ = 1;
    std::vector<ServiceRecord> records_;
    std::vector<ServiceId> ids_;
    std::unordered_map<std::u16string, size_t> positionByKey_;  // upper-cased name
    std::unordered_map<ServiceId, size_t> positionById_;
};

// ---------------------------------------------------------------------------
// Texts

// What the Status column says of a State: 1 Stopped ... 7 Paused, any other
// value Unknown. The view turns each into its string.
enum class StatusText { Stopped, Starting, Stopping, Started, Continuing, Pausing, Paused, Unknown };
// What the Startup Type column says: 0 Boot ... 4 Disabled, any other Unknown.
enum class StartupText { Boot, System, Automatic, Manual, Disabled, Unknown };

StatusText StatusTextOf(int32_t state);
StartupText StartupTextOf(int32_t startupType);

// Columns of the list, in order. The device platform shows the first three.
enum ServiceColumn : int {
    kColumnName = 0,         // DisplayName
    kColumnDescription = 1,  // Description
    kColumnStatus = 2,       // StatusTextOf(State)
    kColumnStartupType = 3,  // StartupTextOf(StartupType)
    kColumnLogOnAs = 4,      // StartName
    kColumnCount = 5,
};

// The text of a text column (Name, Description, Log On As); empty for the
// Status and Startup Type columns, whose texts are the view's strings.
const std::u16string& ColumnText(const ServiceRecord& service, int column);

// Ascending order of two services by a column: texts without regard to
// case; Status and Startup Type by their numbers, unknown values last.
// Returns -1, 0 or 1; 0 for an unknown column.
int CompareServices(const ServiceRecord& a, const ServiceRecord& b, int column);

}  // namespace vantrel::services
