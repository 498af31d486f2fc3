// Event Viewer (15002): 0 the protocol level, 301 category pages, 302 whole
// events in pages, 303 log information, 309 record numbers in pages (sorted
// and filtered as asked), 310 details of up to 30 events.
#include <algorithm>
#include <array>
#include <map>
#include <numeric>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "framework/model/Answer.h"
#include "framework/model/Paging.h"
#include "framework/text/Base64.h"
#include "framework/text/TextCompare.h"
#include "framework/xml/Xml.h"
#include "remote/SimulatedSnapIn.h"
#include "remote/Simulations.h"
#include "remote/eventviewer/EventFileStore.h"
#include "remote/eventviewer/EventLogData.h"
#include "snapins/eventviewer/model/Protocol.h"

namespace vantrel::remote {

namespace {

namespace wire = eventviewer::protocol;

constexpr int32_t kEventsFailure = 0;
constexpr char16_t kBadParameter[] = u"The parameter is incorrect.";
constexpr char16_t kNoSuchFile[] = u"The system cannot find the file specified.";
constexpr char16_t kInvalidHandle[] = u"The handle is invalid.";
constexpr char16_t kNotSupported[] = u"The request is not supported.";
constexpr char16_t kNotALog[] = u"The event log file is corrupted.";
constexpr char16_t kDiskFull[] = u"There is not enough space on the disk.";
constexpr char kTemporaryFolder[] = "C:\\WINDOWS\\TEMP\\";

std::u16string Widen(std::string_view text)
{
    // The sort texts are 8-bit; the machine takes their bytes as Latin-1.
    std::u16string wide;
    for (char c : text)
        wide.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
    return wide;
}

std::u16string Decimal16(uint64_t value)
{
    return AsciiToUtf16(std::to_string(value));
}

// What the "Sort" element asks for.
struct SortRequest {
    int column = -1;
    int order = 1;
    std::array<std::u16string, 7> typeTexts;  // Success, Error, Warning, Information, audits, Unknown
    std::u16string categoryNone;
};

std::optional<SortRequest> ReadSort(const std::string& text)
{
    CXmlElement element;
    if (text.empty() || ParseAnswer(text, element) != AnswerText::Parsed)
        return std::nullopt;
    SortRequest sort;
    sort.column = ReadInt32(element, wire::kAttrColumn);
    sort.order = ReadInt32(element, wire::kAttrOrder) == 1 ? 1 : 0;
    const char* names[] = {wire::kAttrTypeSuccess,      wire::kAttrTypeError,        wire::kAttrTypeWarning,
                           wire::kAttrTypeInformation,  wire::kAttrTypeAuditSuccess, wire::kAttrTypeAuditFailure,
                           wire::kAttrTypeUnknown};
    for (size_t i = 0; i < sort.typeTexts.size(); ++i) {
        const char* value = element.GetAttribute(names[i]);
        sort.typeTexts[i] = Widen(value ? value : "");
    }
    const char* none = element.GetAttribute(wire::kAttrCategoryNone);
    sort.categoryNone = Widen(none ? none : "");
    if (sort.column < 0 || sort.column > 7)
        return std::nullopt;
    return sort;
}

// What the "Filter" element asks for (texts plain 8-bit, compared without case).
struct FilterRequest {
    int64_t from = 0;
    int64_t to = 0;
    uint32_t types = 0;
    uint32_t eventId = 0;
    uint32_t category = 0;
    std::u16string source, user, computer;
};

std::optional<FilterRequest> ReadFilter(const std::string& text)
{
    CXmlElement element;
    if (text.empty() || ParseAnswer(text, element) != AnswerText::Parsed)
        return std::nullopt;
    auto textOf = [&](const char* name) {
        const char* value = element.GetAttribute(name);
        return Widen(value ? value : "");
    };
    FilterRequest filter;
    filter.from = ReadInt64(element, wire::kAttrFrom);
    filter.to = ReadInt64(element, wire::kAttrTo);
    filter.types = ReadUInt32(element, wire::kAttrTypes);
    filter.eventId = ReadUInt32(element, wire::kAttrFilterEventId);
    filter.category = ReadUInt32(element, wire::kAttrFilterCategory);
    filter.source = textOf(wire::kAttrEventSource);
    filter.user = textOf(wire::kAttrFilterUser);
    filter.computer = textOf(wire::kAttrFilterComputer);
    return filter;
}

uint32_t TypeBit(uint32_t type)
{
    return type == 0 ? 4 : type;  // success events count as information
}

size_t TypeSlot(uint32_t type)
{
    switch (type) {
    case 0:
        return 0;
    case 1:
        return 1;
    case 2:
        return 2;
    case 4:
        return 3;
    case 8:
        return 4;
    case 16:
        return 5;
    default:
        return 6;
    }
}

bool Matches(const FilterRequest& filter, const SimulatedLog& log, const EventShape& shape)
{
    if (filter.types && !(TypeBit(shape.type) & filter.types))
        return false;
    if (filter.eventId && (shape.eventId & 0xFFFF) != (filter.eventId & 0xFFFF))
        return false;
    if (filter.category && shape.category != filter.category)
        return false;
    if (filter.from && shape.time < filter.from)
        return false;
    if (filter.to && shape.time > filter.to)
        return false;
    if (!filter.source.empty() && !EqualsNoCase(filter.source, log.Sources()[shape.source].name))
        return false;
    if (!filter.user.empty() && !EqualsNoCase(filter.user, log.Users()[shape.user]))
        return false;
    if (!filter.computer.empty() && !EqualsNoCase(filter.computer, log.Computers()[shape.computer]))
        return false;
    return true;
}

// Ranks of texts without regard to case; equal texts share a rank.
std::vector<uint32_t> Ranks(const std::vector<std::u16string>& texts)
{
    std::vector<uint32_t> order(texts.size());
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) { return CompareNoCase(texts[a], texts[b]) < 0; });
    std::vector<uint32_t> ranks(texts.size());
    uint32_t rank = 0;
    for (size_t i = 0; i < order.size(); ++i) {
        if (i > 0 && CompareNoCase(texts[order[i - 1]], texts[order[i]]) < 0)
            ++rank;
        ranks[order[i]] = rank;
    }
    return ranks;
}

std::u16string CategoryName(const SimulatedLog& log, const EventShape& shape, const std::u16string& none)
{
    for (const SimulatedCategory& category : log.Sources()[shape.source].categories) {
        if (category.number == shape.category)
            return category.name;
    }
    return shape.category == 0 ? none : u"(" + Decimal16(shape.category) + u")";
}

// The key of an event for a sort column, as the user sees the column.
class SortKeys {
public:
    SortKeys(const SimulatedLog& log, const SortRequest& sort) : log_(log), sort_(sort)
    {
        std::vector<std::u16string> sources, users, computers;
        for (const SimulatedSource& source : log.Sources())
            sources.push_back(source.name);
        sourceRanks_ = Ranks(sources);
        userRanks_ = Ranks(log.Users());
        computerRanks_ = Ranks(log.Computers());
        std::vector<std::u16string> types(sort.typeTexts.begin(), sort.typeTexts.end());
        typeRanks_ = Ranks(types);
    }

    uint64_t Of(const EventShape& shape)
    {
        switch (sort_.column) {
        case 0:
            return typeRanks_[TypeSlot(shape.type)];
        case 1:
            return static_cast<uint64_t>(shape.time);
        case 2:
            return static_cast<uint64_t>(shape.time % 86400);
        case 3:
            return sourceRanks_[shape.source];
        case 4:
            return CategoryRank(shape);
        case 5:
            return shape.eventId & 0xFFFF;
        case 6:
            return userRanks_[shape.user];
        default:
            return computerRanks_[shape.computer];
        }
    }

private:
    // Category texts are few; they are ranked once all are known.
    uint64_t CategoryRank(const EventShape& shape)
    {
        const std::u16string text = CategoryName(log_, shape, sort_.categoryNone);
        auto found = std::find(categoryTexts_.begin(), categoryTexts_.end(), text);
        if (found == categoryTexts_.end()) {
            categoryTexts_.push_back(text);
            found = categoryTexts_.end() - 1;
        }
        return static_cast<uint64_t>(found - categoryTexts_.begin());
    }

public:
    // Category keys are positions of first appearance until this maps them to ranks.
    std::vector<uint32_t> CategoryRanks() const { return Ranks(categoryTexts_); }

private:
    const SimulatedLog& log_;
    const SortRequest& sort_;
    std::vector<uint32_t> sourceRanks_, userRanks_, computerRanks_, typeRanks_;
    std::vector<std::u16string> categoryTexts_;
};

// The record numbers of one retrieval, in the order it shows them: newest
// first, or filtered and sorted as asked. A plain retrieval keeps no list.
struct Retrieval {
    uint32_t count = 0;             // events of the log when it started
    std::vector<uint32_t> order;    // record numbers; empty: newest first, all of them
    bool listed = false;
    uint32_t retention = 0;         // 302: the token the next page must bring back

    size_t Size() const { return listed ? order.size() : count; }
    uint32_t At(size_t i) const { return listed ? order[i] : count - static_cast<uint32_t>(i); }
};

Retrieval Arrange(const SimulatedLog& log, const std::optional<FilterRequest>& filter,
                  const std::optional<SortRequest>& sort)
{
    Retrieval retrieval;
    retrieval.count = log.Count();
    if (!filter && !sort)
        return retrieval;
    retrieval.listed = true;
    std::vector<std::pair<uint64_t, uint32_t>> keyed;  // key, record number
    std::optional<SortKeys> keys;
    if (sort)
        keys.emplace(log, *sort);
    for (uint32_t n = log.Count(); n >= 1; --n) {
        const EventShape shape = log.Shape(n);
        if (filter && !Matches(*filter, log, shape))
            continue;
        keyed.emplace_back(keys ? keys->Of(shape) : 0, n);
    }
    if (sort) {
        if (sort->column == 4) {
            const std::vector<uint32_t> ranks = keys->CategoryRanks();
            for (auto& entry : keyed)
                entry.first = ranks[entry.first];
        }
        // Order 1: the greater key first; equal keys stay newest first.
        std::stable_sort(keyed.begin(), keyed.end(), [&](const auto& a, const auto& b) {
            return sort->order == 1 ? a.first > b.first : a.first < b.first;
        });
    }
    retrieval.order.reserve(keyed.size());
    for (const auto& entry : keyed)
        retrieval.order.push_back(entry.second);
    return retrieval;
}

// Every thirteenth event comes without its description: the console asks
// for it (308) when the event is opened.
bool DescriptionOnDemand(uint32_t recordNumber)
{
    return recordNumber % 13 == 0;
}

// What 308 gives: some descriptions with runs of line breaks, and data of
// every size the data view must cope with.
SimulatedEvent DetailedEvent(const SimulatedLog& log, uint32_t recordNumber)
{
    SimulatedEvent event = log.Event(recordNumber);
    if (recordNumber % 2 == 0)
        event.description += u"\r\r\n\n\nDetails:\r\n\r\n\r\n  see the vendor's notes.\n\n";
    static const size_t kDataSizes[] = {0, 4, 10, 17, 64 * 1024};
    const size_t size = kDataSizes[recordNumber % 5];
    event.data.resize(size);
    for (size_t i = 0; i < size; ++i)
        event.data[i] = static_cast<uint8_t>(i % 3 == 0 ? 'A' + i % 26 : (i * 7 + recordNumber) & 0xFF);
    return event;
}

void AddEventElement(CXmlElement& parent, const SimulatedEvent& event, std::optional<size_t> hostileVariant)
{
    std::vector<std::pair<const char*, std::string>> attributes = {
        {wire::kAttrCategory, std::to_string(event.category)},
        {wire::kAttrDataLength, std::to_string(event.data.size())},
        {wire::kAttrDateTime, std::to_string(event.time)},
        {wire::kAttrEventId, std::to_string(event.eventId)},
        {wire::kAttrType, std::to_string(event.type)},
        {wire::kAttrComputer, EncodeUtf16Base64(event.computer)},
        {wire::kAttrData, Base64Encode(event.data.data(), event.data.size())},
        {wire::kAttrDescription, DescriptionOnDemand(event.recordNumber) ? std::string() : EncodeUtf16Base64(event.description)},
        {wire::kAttrSource, EncodeUtf16Base64(event.source)},
        {wire::kAttrUser, EncodeUtf16Base64(event.user)},
        {wire::kAttrRecordNumber, std::to_string(event.recordNumber)},
    };
    if (hostileVariant) {
        // Three kinds of nonsense in turn: numbers out of range, a length
        // beyond the data, and numbers that are no numbers at all.
        static const char* const kValues[3][5] = {
            {"99999", "4294967295", "-1", "-1", "70000"},
            {"-3", "16777216", "4294967296", "99999999999999999999", "65537"},
            {"x", "", "1e9", "0x10", "-4"},
        };
        for (size_t i = 0; i < 5; ++i)
            attributes[i].second = kValues[*hostileVariant % 3][i];
    }
    CXmlElement* element = parent.AddChild("Event");
    for (const auto& [name, value] : attributes)
        element->AddAttribute(name, value);
}

class EventLogSimulation final : public SimulatedSnapIn {
public:
    explicit EventLogSimulation(const MachineConfig& config) : logs_(MakeSimulatedLogs(config)) {}

    void Register(CommandRegistry& registry) override
    {
        auto add = [&](uint32_t command, void (EventLogSimulation::*handler)(CommandContext&)) {
            registry.Add(wire::kSnapInId, command, kEventsFailure,
                         [this, handler](CommandContext& context) { (this->*handler)(context); });
        };
        add(wire::kSupportedCommand, &EventLogSimulation::AnswerSupported);
        add(wire::kCategoriesCommand, &EventLogSimulation::AnswerCategories);
        add(wire::kEventsCommand, &EventLogSimulation::AnswerEvents);
        add(wire::kLogInfoCommand, &EventLogSimulation::AnswerLogInfo);
        add(wire::kIndexCommand, &EventLogSimulation::AnswerIndex);
        add(wire::kDetailsCommand, &EventLogSimulation::AnswerDetails);
        add(wire::kSetPropertiesCommand, &EventLogSimulation::AnswerSetProperties);
        add(wire::kSaveCommand, &EventLogSimulation::AnswerSave);
        add(wire::kClearCommand, &EventLogSimulation::AnswerClear);
        add(wire::kUploadCommand, &EventLogSimulation::AnswerUpload);
        add(wire::kDescriptionCommand, &EventLogSimulation::AnswerDescription);
        add(wire::kCopyCommand, &EventLogSimulation::AnswerCopy);
        add(wire::kDiscardCommand, &EventLogSimulation::AnswerDiscard);
    }

    // The files of the machine, for the tests that look at them.
    EventFileStore& Files() { return files_; }

private:
    // "Supported" carries the protocol level.
    void AnswerSupported(CommandContext& context)
    {
        if (context.config.Offers(wire::kSnapInId))
            context.answer.Root().ChildNode(kSupportedNode).SetShort(context.config.eventLogs.protocolLevel);
        else
            context.answer.Root().ChildNode(kSupportedNode).SetBool(0);
    }

    // The log a request names, or null (with the failure answered): a saved
    // log file opened by 303, or a live log.
    SimulatedLog* RequestedLog(CommandContext& context, const char* fileNode)
    {
        const host::MessageNode* file = fileNode ? context.request.Root().Find(fileNode) : nullptr;
        if (file && !file->Text().empty()) {
            const auto found = openFiles_.find(file->Text());
            if (found != openFiles_.end() && files_.Exists(file->Text()))
                return &found->second;
            SetFailure(context.answer, kEventsFailure, kNoSuchFile);
            return nullptr;
        }
        const host::MessageNode* type = context.request.Root().Find(wire::kEventTypeNode);
        const int log = type ? type->AsShort() : -1;
        if (log < 0 || log >= static_cast<int>(logs_.size())) {
            SetFailure(context.answer, kEventsFailure, kBadParameter);
            return nullptr;
        }
        return &logs_[static_cast<size_t>(log)];
    }

    // The name of an open saved file, or empty for a live log.
    std::string FileOf(const SimulatedLog& log) const
    {
        for (const auto& [path, file] : openFiles_) {
            if (&file == &log)
                return path;
        }
        return {};
    }

    // Retrievals are kept per log: the live ones, and one for saved files.
    size_t Slot(const SimulatedLog& log) const
    {
        return FileOf(log).empty() ? static_cast<size_t>(log.Log()) : 3;
    }

    void SetLogNodes(CommandContext& context, const SimulatedLog& log, const char* fileNode)
    {
        context.answer.Root().ChildNode(fileNode).SetText(FileOf(log));
        context.answer.Root().ChildNode(wire::kEventTypeNode).SetShort(static_cast<int16_t>(log.Log()));
    }

    // A retrieval that rereads the log finds the events written since the last.
    void Reread(SimulatedLog& log, const MachineConfig& config)
    {
        if (!FileOf(log).empty())
            return;  // a saved file does not grow
        bool& readBefore = readBefore_[static_cast<size_t>(log.Log())];
        if (readBefore && log.Log() == wire::kSystemLog)
            log.Grow(static_cast<uint32_t>(config.eventLogs.growthPerRefresh));
        readBefore = true;
    }

    void AnswerCategories(CommandContext& context)
    {
        CXmlElement request;
        if (!ParseRequestXml(context.request, wire::kCategoriesNode, &request)) {
            SetFailure(context.answer, kEventsFailure, kBadParameter);
            return;
        }
        SimulatedLog* log = RequestedLog(context, nullptr);
        if (!log)
            return;
        const uint32_t sent[2] = {ReadUInt32(request, wire::kAttrCategoryIndex), ReadUInt32(request, wire::kAttrSubCategoryIndex)};
        CXmlElement root(wire::kCategoriesElement);
        root.AddAttribute(wire::kAttrEventType, std::to_string(log->Log()));
        size_t source = sent[0];
        size_t category = sent[1];
        size_t listed = 0;
        size_t all = 0;
        for (const SimulatedSource& s : log->Sources())
            all += s.categories.size();
        const size_t pageSize = static_cast<size_t>(context.config.pageSize);
        CXmlElement* current = nullptr;
        while (source < log->Sources().size() && listed < pageSize) {
            const SimulatedSource& s = log->Sources()[source];
            if (category >= s.categories.size()) {
                ++source;
                category = 0;
                current = nullptr;
                continue;
            }
            if (!current) {
                current = root.AddChild("Source");
                current->AddAttribute(wire::kAttrSourceName, EncodeUtf16Base64(s.name));
            }
            CXmlElement* item = current->AddChild("Category");
            item->AddAttribute(wire::kAttrCategoryNumber, std::to_string(s.categories[category].number));
            item->AddAttribute(wire::kAttrCategoryName, EncodeUtf16Base64(s.categories[category].name));
            ++category;
            ++listed;
        }
        while (source < log->Sources().size() && category >= log->Sources()[source].categories.size()) {
            ++source;
            category = 0;
        }
        const bool last = source >= log->Sources().size();
        const bool stuck = context.fault == FaultKind::StuckPage;
        root.AddAttribute(wire::kAttrTotal, last && !stuck ? std::to_string(std::max<size_t>(all, 1)) : "0");
        root.AddAttribute(wire::kAttrCategoryIndex, std::to_string(stuck ? sent[0] : source));
        root.AddAttribute(wire::kAttrSubCategoryIndex, std::to_string(stuck ? sent[1] : category));
        context.answer.Root().ChildNode(kRetValueNode).SetShort(wire::kSuccess);
        context.answer.Root().ChildNode(wire::kCategoriesNode).SetText(XmlBodyText(root, context.fault));
    }

    void AnswerLogInfo(CommandContext& context)
    {
        const std::string file = RequestText(context.request, wire::kFileNameNode);
        if (!file.empty()) {
            // Opening a saved file reads it afresh.
            const std::optional<SavedLogShape> shape = files_.LogOf(file);
            if (!shape) {
                SetFailure(context.answer, kEventsFailure, files_.Exists(file) ? kNotALog : kNoSuchFile);
                return;
            }
            openFiles_.erase(file);
            openFiles_.emplace(file, SimulatedLog(shape->log, shape->seed, shape->count));
        }
        SimulatedLog* log = RequestedLog(context, wire::kFileNameNode);
        if (!log)
            return;
        const bool saved = !file.empty();
        const LogSettings& settings = settings_[static_cast<size_t>(log->Log())];
        CXmlElement root(wire::kEventsElement);
        root.AddAttribute(wire::kAttrEventType, std::to_string(saved ? wire::kFileLog : log->Log()));
        root.AddAttribute(wire::kAttrDisplayName, EncodeUtf16Base64(log->DisplayName()));
        root.AddAttribute(wire::kAttrLogFileName, saved ? EncodeUtf16Base64(AsciiToUtf16(file)) : EncodeUtf16Base64(log->FileName()));
        root.AddAttribute(wire::kAttrDateAccessed, "1717200000");
        root.AddAttribute(wire::kAttrDateCreated, "1609459200");
        root.AddAttribute(wire::kAttrDateModified, "1717199000");
        root.AddAttribute(wire::kAttrMaxLogSize, std::to_string(settings.maxSize));
        root.AddAttribute(wire::kAttrRetention, std::to_string(settings.retention));
        root.AddAttribute(wire::kAttrFileSize, std::to_string(uint64_t{log->Count()} * EventFileStore::kBytesPerEvent +
                                                              EventFileStore::kFixedBytes));
        context.answer.Root().ChildNode(kRetValueNode).SetShort(wire::kSuccess);
        context.answer.Root().ChildNode(wire::kEventsNode).SetText(XmlBodyText(root, context.fault));
    }

    void AnswerIndex(CommandContext& context)
    {
        if (context.config.eventLogs.protocolLevel != wire::kIndexedLevel) {
            SetFailure(context.answer, kEventsFailure, kNotSupported);
            return;
        }
        CXmlElement request;
        if (!ParseRequestXml(context.request, wire::kIndexNode, &request)) {
            SetFailure(context.answer, kEventsFailure, kBadParameter);
            return;
        }
        SimulatedLog* log = RequestedLog(context, wire::kFileNameToNode);
        if (!log)
            return;
        Retrieval& retrieval = indexed_[Slot(*log)];
        const int64_t startAt = request.GetAttribute(kStartAtAttribute) ? ReadInt64(request, kStartAtAttribute) : -1;
        if (startAt < 0) {
            if (RequestShort(context.request, wire::kRereadNode) == 1)
                Reread(*log, context.config);
            retrieval = Arrange(*log, ReadFilter(RequestText(context.request, wire::kFilterNode)),
                                ReadSort(RequestText(context.request, wire::kSortNode)));
        }
        const std::optional<PagePlan> plan =
            PlanPage(startAt, retrieval.Size(), context, static_cast<size_t>(context.config.eventLogs.indexPageSize));
        if (!plan) {
            SetFailure(context.answer, kEventsFailure, kBadParameter);
            return;
        }
        CXmlElement root(wire::kIndexNode);
        SetPageAttributes(root, *plan);
        const bool hostile = context.fault == FaultKind::HostileNumbers;
        static const char* const kHostileNames[] = {"-1", "4294967296", "x7", "99999999999999999999"};
        for (size_t i = plan->first; i < plan->end; ++i) {
            const bool spoil = hostile && i % 5 == 0;
            root.AddChild(spoil ? std::string(kHostileNames[(i / 5) % 4]) : std::to_string(retrieval.At(i)));
        }
        context.answer.Root().ChildNode(kRetValueNode).SetShort(wire::kSuccess);
        context.answer.Root().ChildNode(wire::kIndexNode).SetText(XmlBodyText(root, context.fault));
        SetLogNodes(context, *log, wire::kFileNameToNode);
    }

    void AnswerEvents(CommandContext& context)
    {
        CXmlElement request;
        if (!ParseRequestXml(context.request, wire::kEventsNode, &request)) {
            SetFailure(context.answer, kEventsFailure, kBadParameter);
            return;
        }
        SimulatedLog* log = RequestedLog(context, wire::kFileNameToNode);
        if (!log)
            return;
        Retrieval& retrieval = full_[Slot(*log)];
        const int64_t startAt = request.GetAttribute(kStartAtAttribute) ? ReadInt64(request, kStartAtAttribute) : -1;
        const int16_t retention = RequestShort(context.request, wire::kRetentionNode);
        if (startAt < 0) {
            Reread(*log, context.config);
            retrieval = Arrange(*log, std::nullopt, std::nullopt);
        } else if (retention != static_cast<int16_t>(retrieval.retention)) {
            // Later pages must bring back what the page before handed out.
            SetFailure(context.answer, kEventsFailure, kInvalidHandle);
            return;
        }
        retrieval.retention = nextRetention_++;
        if (nextRetention_ > 30000)
            nextRetention_ = 2;
        const std::optional<PagePlan> plan =
            PlanPage(startAt, retrieval.Size(), context, static_cast<size_t>(context.config.eventLogs.eventPageSize));
        if (!plan) {
            SetFailure(context.answer, kEventsFailure, kBadParameter);
            return;
        }
        CXmlElement root(wire::kEventsElement);
        SetPageAttributes(root, *plan);
        const bool hostile = context.fault == FaultKind::HostileNumbers;
        for (size_t i = plan->first; i < plan->end; ++i)
            AddEventElement(root, log->Event(retrieval.At(i)), hostile ? std::optional<size_t>(i) : std::nullopt);
        context.answer.Root().ChildNode(kRetValueNode).SetShort(wire::kSuccess);
        context.answer.Root().ChildNode(wire::kEventsNode).SetText(XmlBodyText(root, context.fault));
        SetLogNodes(context, *log, wire::kFileNameToNode);
        context.answer.Root().ChildNode(wire::kRetentionNode).SetShort(static_cast<int16_t>(retrieval.retention));
    }

    void AnswerDetails(CommandContext& context)
    {
        SimulatedLog* log = RequestedLog(context, wire::kFileNameNode);
        if (!log)
            return;
        CXmlElement request;
        if (!ParseRequestXml(context.request, wire::kRecordIdsNode, &request)) {
            SetFailure(context.answer, kEventsFailure, kBadParameter);
            return;
        }
        CXmlElement root(wire::kEventsElement);
        const bool hostile = context.fault == FaultKind::HostileNumbers;
        // The machine answers a reasonable request only; it never lists more
        // than it was asked for, and skips records it does not have.
        for (int i = 0; i < request.GetChildCount() && i < wire::kMaxDetailsPerRequest; ++i) {
            uint32_t number = 0;
            if (!request.GetChild(i)->GetAttributeUInt32(wire::kAttrRecordNumber, &number) || number == 0 ||
                number > log->Count())
                continue;
            AddEventElement(root, log->Event(number), hostile ? std::optional<size_t>(i) : std::nullopt);
        }
        context.answer.Root().ChildNode(kRetValueNode).SetShort(wire::kSuccess);
        context.answer.Root().ChildNode(wire::kEventsNode).SetText(XmlBodyText(root, context.fault));
        SetLogNodes(context, *log, wire::kFileNameNode);
    }

    SimulatedLog* LiveLog(CommandContext& context)
    {
        const int log = RequestShort(context.request, wire::kEventTypeNode);
        if (!context.request.Root().Find(wire::kEventTypeNode) || log < 0 || log >= static_cast<int>(logs_.size())) {
            SetFailure(context.answer, kEventsFailure, kBadParameter);
            return nullptr;
        }
        return &logs_[static_cast<size_t>(log)];
    }

    void Succeed(CommandContext& context)
    {
        context.answer.Root().ChildNode(kRetValueNode).SetShort(wire::kSuccess);
    }

    void AnswerSetProperties(CommandContext& context)
    {
        SimulatedLog* log = LiveLog(context);
        if (!log)
            return;
        const uint32_t maxSize = static_cast<uint32_t>(RequestLong(context.request, wire::kMaxSizeNode));
        if (maxSize < 64 * 1024 || maxSize % 1024 != 0) {
            SetFailure(context.answer, kEventsFailure, kBadParameter);
            return;
        }
        const auto retention = static_cast<uint32_t>(RequestLong(context.request, wire::kRetentionSecondsNode));
        settings_[static_cast<size_t>(log->Log())] = {maxSize, retention};
        Succeed(context);
    }

    // 305: the log written to a file of the machine; for the console's disk
    // ("Retention" 1) to a temporary file that 1 reads and 2 deletes.
    void AnswerSave(CommandContext& context)
    {
        SimulatedLog* log = LiveLog(context);
        if (!log)
            return;
        const std::string target = RequestText(context.request, wire::kFileNameToNode);
        const int16_t forConsole = RequestShort(context.request, wire::kRetentionNode);
        if (target.empty()) {
            SetFailure(context.answer, kEventsFailure, kBadParameter);
            return;
        }
        const std::string written = forConsole == 1 ? kTemporaryFolder + ("evt" + std::to_string(++temporaries_) + ".tmp") : target;
        files_.SaveLog(written, {log->Log(), log->Count(), log->Seed()});
        Succeed(context);
        context.answer.Root().ChildNode(wire::kFileNameFromNode).SetText(written);
        context.answer.Root().ChildNode(wire::kFileNameToNode).SetText(target);
        context.answer.Root().ChildNode(wire::kEventTypeNode).SetShort(static_cast<int16_t>(log->Log()));
        context.answer.Root().ChildNode(wire::kRetentionNode).SetShort(forConsole);
    }

    // 1: one chunk of a file of the machine; with "Retention" 0 the machine
    // copies the whole file to "FileNameTo" itself.
    void AnswerCopy(CommandContext& context)
    {
        const std::string from = RequestText(context.request, wire::kFileNameFromNode);
        const std::string to = RequestText(context.request, wire::kFileNameToNode);
        const int16_t forConsole = RequestShort(context.request, wire::kRetentionNode);
        const uint32_t start = static_cast<uint32_t>(RequestLong(context.request, wire::kPackageStartNode));
        if (!files_.Exists(from)) {
            SetFailure(context.answer, kEventsFailure, kNoSuchFile);
            return;
        }
        const uint64_t size = files_.Size(from);
        std::vector<uint8_t> chunk;
        if (forConsole == 1)
            chunk = files_.Read(from, start, static_cast<size_t>(context.config.eventLogs.copyChunkSize));
        else if (!files_.Copy(from, to))
            return SetFailure(context.answer, kEventsFailure, kDiskFull);
        const uint64_t upTo = forConsole == 1 ? start + chunk.size() : size;
        Succeed(context);
        host::MessageNode& root = context.answer.Root();
        root.ChildNode(wire::kFileNameToNode).SetText(to);
        root.ChildNode(wire::kFileNameFromNode).SetText(from);
        root.ChildNode(wire::kPackageStartNode).SetLong(static_cast<int32_t>(start));
        root.ChildNode(wire::kPackageUpToNode).SetLong(static_cast<int32_t>(upTo));
        root.ChildNode(wire::kFileSizeNode).SetLong(static_cast<int32_t>(size));
        root.ChildNode(wire::kPackageNode).SetText(Base64Encode(chunk.data(), chunk.size()));
        root.ChildNode(wire::kEventTypeNode).SetShort(RequestShort(context.request, wire::kEventTypeNode));
        root.ChildNode(wire::kRetentionNode).SetShort(forConsole);
    }

    void AnswerDiscard(CommandContext& context)
    {
        files_.Remove(RequestText(context.request, wire::kFileNameNode));
        Succeed(context);
    }

    void AnswerClear(CommandContext& context)
    {
        SimulatedLog* log = LiveLog(context);
        if (!log)
            return;
        log->Clear();
        Succeed(context);
    }

    // 307: a file of the console, chunk by chunk, into a file of the machine.
    void AnswerUpload(CommandContext& context)
    {
        const uint32_t start = static_cast<uint32_t>(RequestLong(context.request, wire::kPackageStartNode));
        const uint32_t upTo = static_cast<uint32_t>(RequestLong(context.request, wire::kPackageUpToNode));
        const uint32_t declared = static_cast<uint32_t>(RequestLong(context.request, wire::kFileSizeNode));
        const std::vector<uint8_t> chunk = Base64Decode(RequestText(context.request, wire::kPackageNode));
        if (start == 0)
            upload_ = kTemporaryFolder + ("upload" + std::to_string(++temporaries_) + ".evt");
        const std::optional<uint64_t> stored =
            upload_.empty() || start + chunk.size() != upTo
                ? std::nullopt
                : files_.Upload(upload_, start, chunk, declared);
        if (!stored) {
            SetFailure(context.answer, kEventsFailure, kDiskFull);
            return;
        }
        Succeed(context);
        context.answer.Root().ChildNode(wire::kPackageUpToNode).SetLong(static_cast<int32_t>(*stored));
        context.answer.Root().ChildNode(wire::kFileSizeNode).SetLong(static_cast<int32_t>(declared));
        context.answer.Root().ChildNode(wire::kFileNameNode).SetText(upload_);
    }

    // 308: the description (8-bit, as it is) and the data of one event.
    void AnswerDescription(CommandContext& context)
    {
        SimulatedLog* log = RequestedLog(context, wire::kFileNameNode);
        if (!log)
            return;
        const uint32_t number = static_cast<uint32_t>(RequestLong(context.request, wire::kRecordNumberNode));
        if (number == 0 || number > log->Count()) {
            SetFailure(context.answer, kEventsFailure, kBadParameter);
            return;
        }
        const SimulatedEvent event = DetailedEvent(*log, number);
        std::string description;
        for (char16_t c : event.description)
            description += c < 256 ? static_cast<char>(c) : '?';
        Succeed(context);
        context.answer.Root().ChildNode(wire::kDescriptionNode).SetText(description);
        context.answer.Root().ChildNode(wire::kDataLengthNode).SetShort(static_cast<int16_t>(event.data.size()));
        context.answer.Root().ChildNode(wire::kDataNode).SetText(Base64Encode(event.data.data(), event.data.size()));
    }

    struct LogSettings {
        uint32_t maxSize;
        uint32_t retention;
    };

    std::vector<SimulatedLog> logs_;
    std::array<bool, 3> readBefore_ = {};
    std::array<Retrieval, 4> indexed_;
    std::array<Retrieval, 4> full_;
    std::array<LogSettings, 3> settings_ = {{{20971520, 0}, {134217728, 0}, {20971520, 604800}}};
    EventFileStore files_;
    std::map<std::string, SimulatedLog> openFiles_;  // saved files opened by 303
    std::string upload_;                             // the file 307 writes
    int temporaries_ = 0;
    uint32_t nextRetention_ = 2;
};

}  // namespace

std::unique_ptr<SimulatedSnapIn> MakeEventLogSimulation(const MachineConfig& config)
{
    return std::make_unique<EventLogSimulation>(config);
}

}  // namespace vantrel::remote
