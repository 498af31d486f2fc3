#include "snapins/services/model/ServiceModel.h"

#include <algorithm>
#include <limits>

#include "framework/model/Answer.h"
#include "framework/text/TextCompare.h"
#include "framework/xml/Xml.h"
#include "snapins/services/model/Protocol.h"

namespace vantrel::services {

namespace {

std::u16string KeyOf(std::u16string_view name)
{
    std::u16string key(name);
    for (char16_t& c : key)
        c = vantrel::FoldCase(c);
    return key;
}

bool IsOwnAttribute(std::string_view name)
{
    using namespace protocol;
    for (const char* own : {kAttrName, kAttrDisplayName, kAttrDescription, kAttrServicePath, kAttrStartName,
                            kAttrState, kAttrStartupType, kAttrAcceptedControls, kAttrServiceType, kAttrSysAccount,
                            kAttrAllowInteract}) {
        if (name == own)
            return true;
    }
    return false;
}

// Each byte of a plain 8-bit text as one character.
std::u16string Widen(std::string_view text)
{
    std::u16string wide(text.size(), u'\0');
    std::transform(text.begin(), text.end(), wide.begin(),
                   [](char c) { return static_cast<char16_t>(static_cast<unsigned char>(c)); });
    return wide;
}

// Position in the lists' order: known values in their own order, others last.
int StateRank(int32_t state)
{
    return state >= protocol::kStateStopped && state <= protocol::kStatePaused ? state : protocol::kStatePaused + 1;
}

int StartupRank(int32_t type)
{
    return type >= protocol::kStartupBoot && type <= protocol::kStartupDisabled ? type
                                                                               : protocol::kStartupDisabled + 1;
}

const std::u16string kNoText;

}  // namespace

ServiceRecord ReadServiceElement(const CXmlElement& element)
{
    using namespace protocol;
    ServiceRecord service;
    service.name = ReadText(element, kAttrName);
    service.displayName = ReadText(element, kAttrDisplayName);
    service.description = ReadText(element, kAttrDescription);
    service.servicePath = ReadText(element, kAttrServicePath);
    service.startName = ReadText(element, kAttrStartName);
    service.state = ReadInt32(element, kAttrState);
    service.startupType = ReadInt32(element, kAttrStartupType);
    service.acceptedControls = ReadUInt32(element, kAttrAcceptedControls);
    service.serviceType = ReadUInt32(element, kAttrServiceType);
    service.sysAccount = ReadUInt32(element, kAttrSysAccount);
    service.allowInteract = ReadUInt32(element, kAttrAllowInteract);
    for (int i = 0; i < element.GetAttributeCount(); ++i) {
        const CXmlAttribute& attribute = *element.GetAttributeAt(i);
        if (!IsOwnAttribute(attribute.Name()))
            service.otherAttributes.emplace_back(attribute.Name(), attribute.Value());
    }
    for (int i = 0; i < element.GetChildCount(); ++i) {
        const char* dependent = element.GetChild(i)->GetAttribute(kAttrDependentName);
        if (dependent && *dependent)
            service.dependents.push_back(Widen(dependent));
    }
    return service;
}

bool SameServiceName(std::u16string_view a, std::u16string_view b)
{
    return a.size() == b.size() && CompareNoCase(a, b) == 0;
}

bool IsHostService(const ServiceRecord& service)
{
    return SameServiceName(service.name, protocol::kHostServiceName);
}

// ---------------------------------------------------------------------------
// Answers

ServiceAnswer ParseServiceAnswer(const char* xmlText)
{
    ServiceAnswer answer;
    CXmlElement root;
    if (ParseAnswer(xmlText, root) != AnswerText::Parsed)
        return answer;
    answer.record = ReadServiceElement(root);
    answer.ok = !answer.record.name.empty();
    return answer;
}

ServiceStore::ServiceStore(size_t maxRecords) : maxRecords_(maxRecords) {}

void ServiceStore::Clear()
{
    records_.clear();
    ids_.clear();
    positionByKey_.clear();
    positionById_.clear();
}

const ServiceRecord* ServiceStore::Find(ServiceId id) const
{
    const auto found = positionById_.find(id);
    return found == positionById_.end() ? nullptr : &records_[found->second];
}

const ServiceRecord* ServiceStore::FindByName(std::u16string_view name) const
{
    const auto found = positionByKey_.find(KeyOf(name));
    return found == positionByKey_.end() ? nullptr : &records_[found->second];
}

ServiceId ServiceStore::IdOf(std::u16string_view name) const
{
    const auto found = positionByKey_.find(KeyOf(name));
    return found == positionByKey_.end() ? kNoService : ids_[found->second];
}

ServiceId ServiceStore::Put(ServiceRecord record)
{
    if (record.name.empty())
        return kNoService;
    std::u16string key = KeyOf(record.name);
    const auto found = positionByKey_.find(key);
    if (found != positionByKey_.end()) {
        records_[found->second] = std::move(record);
        return ids_[found->second];
    }
    if (!ListHasRoom(records_.size(), maxRecords_))
        return kNoService;
    const ServiceId id = nextId_;
    // Ids run out after four billion records; 0 stays "none".
    nextId_ = nextId_ == std::numeric_limits<ServiceId>::max() ? 1 : nextId_ + 1;
    positionByKey_.emplace(std::move(key), records_.size());
    positionById_.emplace(id, records_.size());
    records_.push_back(std::move(record));
    ids_.push_back(id);
    return id;
}

PageMerge ServiceStore::MergePage(const CXmlElement& root)
{
    PageMerge merge;
    for (int i = 0; i < root.GetChildCount(); ++i) {
        const size_t before = records_.size();
        if (Put(ReadServiceElement(*root.GetChild(i))) == kNoService)
            ++merge.skipped;
        else if (records_.size() > before)
            ++merge.added;
        else
            ++merge.replaced;
    }
    return merge;
}

ReplaceOutcome ServiceStore::Replace(ServiceRecord record)
{
    ReplaceOutcome outcome;
    if (record.name.empty())
        return outcome;
    const auto found = positionByKey_.find(KeyOf(record.name));
    if (found == positionByKey_.end())
        return outcome;
    ServiceRecord& stored = records_[found->second];
    outcome.id = ids_[found->second];
    outcome.logonChangedWhileRunning =
        record.startName != stored.startName && record.state == protocol::kStateRunning;
    stored = std::move(record);
    return outcome;
}

// ---------------------------------------------------------------------------
// Texts

StatusText StatusTextOf(int32_t state)
{
    if (state >= protocol::kStateStopped && state <= protocol::kStatePaused)
        return static_cast<StatusText>(state - protocol::kStateStopped);
    return StatusText::Unknown;
}

StartupText StartupTextOf(int32_t startupType)
{
    if (startupType >= protocol::kStartupBoot && startupType <= protocol::kStartupDisabled)
        return static_cast<StartupText>(startupType - protocol::kStartupBoot);
    return StartupText::Unknown;
}

const std::u16string& ColumnText(const ServiceRecord& service, int column)
{
    switch (column) {
    case kColumnName:
        return service.displayName;
    case kColumnDescription:
        return service.description;
    case kColumnLogOnAs:
        return service.startName;
    default:
        return kNoText;
    }
}

int CompareServices(const ServiceRecord& a, const ServiceRecord& b, int column)
{
    switch (column) {
    case kColumnName:
    case kColumnDescription:
    case kColumnLogOnAs:
        return CompareNoCase(ColumnText(a, column), ColumnText(b, column));
    case kColumnStatus:
        return CompareValues<int64_t>(StateRank(a.state), StateRank(b.state));
    case kColumnStartupType:
        return CompareValues<int64_t>(StartupRank(a.startupType), StartupRank(b.startupType));
    default:
        return 0;
    }
}

}  // namespace vantrel::services
