// The Event Viewer on the simulated machine: its logs, read back through the
// snap-in's model; both protocol levels; remote sorting and filtering; a log
// that grows; its fault modes.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>

#include "framework/model/Answer.h"
#include "framework/model/Paging.h"
#include "framework/text/Base64.h"
#include "framework/text/TextCompare.h"
#include "framework/xml/Xml.h"
#include "remote/RemoteMachine.h"
#include "remote/eventviewer/EventLogData.h"
#include "snapins/eventviewer/model/Categories.h"
#include "snapins/eventviewer/model/DetailRequests.h"
#include "snapins/eventviewer/model/EventAnswers.h"
#include "snapins/eventviewer/model/EventCells.h"
#include "snapins/eventviewer/model/Protocol.h"

namespace vantrel::remote {
namespace {

using host::Message;
namespace wire = eventviewer::protocol;
using eventviewer::RecordIndex;

class EventMachine {
public:
    explicit EventMachine(MachineConfig config = Small()) : machine_(config) {}

    static MachineConfig Small()
    {
        MachineConfig config;
        config.pageSize = 4;
        config.eventLogs.indexPageSize = 700;
        config.eventLogs.eventPageSize = 300;
        return config;
    }

    std::unique_ptr<Message> Ask(uint32_t command, const std::vector<std::pair<const char*, std::string>>& texts,
                                 int16_t log = 0, const std::vector<std::pair<const char*, int16_t>>& shorts = {})
    {
        Message request(command, wire::kSnapInId, 1);
        for (const auto& [node, text] : texts)
            request.Root().ChildNode(node).SetText(text);
        request.Root().ChildNode(wire::kEventTypeNode).SetShort(log);
        for (const auto& [node, value] : shorts)
            request.Root().ChildNode(node).SetShort(value);
        return machine_.Answer(request);
    }

    // Every page of 309 into the index; the paging decision after the last.
    PageStep Index(RecordIndex& index, int16_t log, const std::string& sort = {}, const std::string& filter = {},
                   int16_t reread = 1, int64_t* total = nullptr)
    {
        index.Clear();
        int64_t sent = -1;
        for (int page = 0; page < 10000; ++page) {
            const std::string element = "<Events StartAt='" + std::to_string(sent) + "'/>";
            auto answer = Ask(wire::kIndexCommand,
                              {{wire::kIndexNode, element},
                               {wire::kFileNameToNode, ""},
                               {wire::kFilterNode, sent < 0 ? filter : ""},
                               {wire::kSortNode, sent < 0 ? sort : ""}},
                              log, {{wire::kRereadNode, reread}});
            EXPECT_EQ(answer->Root().Find(kRetValueNode)->AsShort(), 1);
            CXmlElement root;
            EXPECT_EQ(ParseAnswer(answer->Root().Find(wire::kIndexNode)->Text().c_str(), root), AnswerText::Parsed);
            eventviewer::AppendIndexPage(root, index);
            int64_t next = 0;
            if (total)
                *total = ReadInt64(root, kTotalAttribute);
            const PageStep step = NextPage(sent, ReadInt64(root, kUpToAttribute), ReadInt64(root, kTotalAttribute),
                                           &next, ContinueFrom::UpTo);
            if (step != PageStep::Continue)
                return step;
            sent = next;
        }
        return PageStep::Failed;
    }

    std::unique_ptr<Message> Details(const std::vector<uint32_t>& numbers, int16_t log)
    {
        std::vector<eventviewer::DetailPair> pairs;
        for (uint32_t n : numbers)
            pairs.push_back({0, n});
        return Ask(wire::kDetailsCommand, {{wire::kFileNameNode, ""}, {wire::kRecordIdsNode, eventviewer::RecordIdsText(pairs)}},
                   log);
    }

    RemoteMachine machine_;
};

std::string SortXml(int column, int order)
{
    eventviewer::SortTexts texts;
    texts.types = {"Success", "Error", "Warning", "Information", "Success Audit", "Failure Audit", "Unknown"};
    texts.categoryNone = "None";
    return eventviewer::SortElementText({column, order}, texts);
}

std::vector<uint32_t> Numbers(const RecordIndex& index)
{
    std::vector<uint32_t> numbers;
    for (size_t row = 0; row < index.Rows(); ++row)
        numbers.push_back(index.RecordNumber(row));
    return numbers;
}

TEST(EventMachine, SupportedAnswersTheProtocolLevel)
{
    EventMachine indexed;
    EXPECT_EQ(indexed.Ask(0, {})->Root().Find(kSupportedNode)->AsShort(), 2);
    MachineConfig config = EventMachine::Small();
    config.eventLogs.protocolLevel = 1;
    EventMachine full(config);
    EXPECT_EQ(full.Ask(0, {})->Root().Find(kSupportedNode)->AsShort(), 1);
    config.supportedSnapIns = {15001};
    EventMachine refusing(config);
    EXPECT_EQ(refusing.Ask(0, {})->Root().Find(kSupportedNode)->AsBool(), false);
}

TEST(EventMachine, LogsHaveTheirSizesAtEveryScaleWithoutBeingMadeUpFront)
{
    MachineConfig config;
    EXPECT_EQ(config.EventCount(0), 2000);
    EXPECT_EQ(config.EventCount(2), 2000);
    config.scale = 100;
    EXPECT_EQ(config.EventCount(0), 1000000);
    EXPECT_EQ(config.EventCount(1), 50000);
    config.scale = 50;
    EXPECT_GT(config.EventCount(0), 400000);
    EXPECT_LT(config.EventCount(0), 600000);

    SimulatedLog log(0, 1, 1000000);
    const SimulatedEvent last = log.Event(1000000);
    EXPECT_EQ(last.recordNumber, 1000000u);
    EXPECT_EQ(log.Event(777).description, log.Event(777).description) << "the same record reads the same";
    EXPECT_LT(log.Shape(999999).time, last.time) << "newer records are later";
}

TEST(EventMachine, EventsLookLikeARealMachinesWithTextsInSeveralLanguagesAndData)
{
    std::set<std::u16string> sources;
    std::set<uint32_t> types;
    bool longData = false, shortData = false, noUser = false, highId = false, wideText = false;
    for (int log = 0; log < 3; ++log) {
        SimulatedLog simulated(log, 1, 2000);
        for (uint32_t n = 1; n <= 2000; ++n) {
            const SimulatedEvent event = simulated.Event(n);
            sources.insert(event.source);
            types.insert(event.type);
            longData |= event.data.size() > 128;
            shortData |= !event.data.empty() && event.data.size() <= 128;
            noUser |= event.user.empty();
            highId |= event.eventId > 0xFFFF;
            wideText |= std::any_of(event.description.begin(), event.description.end(), [](char16_t c) { return c > 0x3000; });
        }
    }
    EXPECT_GE(sources.size(), 15u);
    EXPECT_EQ(types, (std::set<uint32_t>{0, 1, 2, 4, 8, 16}));
    EXPECT_TRUE(longData && shortData && noUser && highId && wideText);
}

TEST(EventMachine, CategoryPagesEndWithTheWholeTableAndAStuckPageDoesNotAdvance)
{
    EventMachine machine;
    eventviewer::CategoryTable table;
    eventviewer::CategoryPosition sent;
    int pages = 0;
    for (; pages < 100; ++pages) {
        const std::string element = "<Categories CatInd='" + std::to_string(sent.category) + "' SubCatInd='" +
                                    std::to_string(sent.subCategory) + "'/>";
        auto answer = machine.Ask(wire::kCategoriesCommand, {{wire::kCategoriesNode, element}}, 1);
        CXmlElement root;
        ASSERT_EQ(ParseAnswer(answer->Root().Find(wire::kCategoriesNode)->Text().c_str(), root), AnswerText::Parsed);
        const eventviewer::CategoryPage page = eventviewer::MergeCategoryPage(root, table);
        const auto step = eventviewer::NextCategoryPage(sent, page, table);
        ASSERT_NE(step, eventviewer::CategoryStep::Failed);
        if (step == eventviewer::CategoryStep::Done)
            break;
        sent = page.position;
    }
    EXPECT_EQ(pages + 1, 3) << "nine categories in pages of four";
    EXPECT_EQ(table.Count(), 9u);
    EXPECT_EQ(*table.Find(u"Security", 2), u"Logon/Logoff");

    Fault stuck;
    stuck.kind = FaultKind::StuckPage;
    machine.machine_.InjectFault(wire::kCategoriesCommand, stuck);
    auto answer = machine.Ask(wire::kCategoriesCommand, {{wire::kCategoriesNode, "<Categories CatInd='0' SubCatInd='0'/>"}}, 1);
    CXmlElement root;
    ParseAnswer(answer->Root().Find(wire::kCategoriesNode)->Text().c_str(), root);
    eventviewer::CategoryTable other;
    EXPECT_EQ(eventviewer::NextCategoryPage({}, eventviewer::MergeCategoryPage(root, other), other),
              eventviewer::CategoryStep::Failed);
}

TEST(EventMachine, IndexedRetrievalIsNewestFirstSortedAndFilteredAsAsked)
{
    EventMachine machine;
    RecordIndex index;
    ASSERT_EQ(machine.Index(index, 0), PageStep::Done);
    ASSERT_EQ(index.Rows(), 2000u);
    EXPECT_EQ(index.RecordNumber(0), 2000u);
    EXPECT_EQ(index.RecordNumber(1999), 1u);

    // Sorted on Source, order 0: the smaller text first, newest first within.
    SimulatedLog log(0, 1, 2000);
    ASSERT_EQ(machine.Index(index, 0, SortXml(eventviewer::kColumnSource, 0), {}, 0), PageStep::Done);
    const std::vector<uint32_t> sorted = Numbers(index);
    EXPECT_TRUE(std::is_sorted(sorted.begin(), sorted.end(), [&](uint32_t a, uint32_t b) {
        const int order = CompareNoCase(log.Event(a).source, log.Event(b).source);
        return order < 0 || (order == 0 && a > b);
    }));
    ASSERT_EQ(machine.Index(index, 0, SortXml(eventviewer::kColumnSource, 1), {}, 0), PageStep::Done);
    EXPECT_GT(CompareNoCase(log.Event(index.RecordNumber(0)).source, log.Event(index.RecordNumber(1999)).source), 0);

    // Filtered on errors of one source.
    ASSERT_EQ(machine.Index(index, 0, {}, "<Filter From='0' To='0' Types='1' EventID='0' Category='0' "
                                          "EventSource='application error' User='' Computer='' Name=''/>", 0),
              PageStep::Done);
    ASSERT_GT(index.Rows(), 10u);
    EXPECT_LT(index.Rows(), 2000u);
    for (uint32_t n : Numbers(index)) {
        EXPECT_EQ(log.Event(n).source, u"Application Error");
        EXPECT_EQ(log.Event(n).type, 1u);
    }
}

TEST(EventMachine, TheSystemLogGrowsBetweenRefreshes)
{
    EventMachine machine;
    RecordIndex index;
    int64_t total = 0;
    machine.Index(index, 2, {}, {}, 1, &total);
    EXPECT_EQ(total, 2000);
    machine.Index(index, 2, SortXml(1, 1), {}, 0, &total);
    EXPECT_EQ(total, 2000) << "a new sort rereads nothing";
    machine.Index(index, 2, {}, {}, 1, &total);
    EXPECT_EQ(total, 2003);
    EXPECT_EQ(index.RecordNumber(0), 2003u);
    machine.Index(index, 0, {}, {}, 1, &total);
    machine.Index(index, 0, {}, {}, 1, &total);
    EXPECT_EQ(total, 2000) << "the other logs stay as they are";
}

TEST(EventMachine, DetailsComeForTheRecordsAskedForThatExist)
{
    EventMachine machine;
    auto answer = machine.Details({5, 2001, 0, 17}, 1);
    EXPECT_EQ(answer->Root().Find(kRetValueNode)->AsShort(), 1);
    EXPECT_EQ(answer->Root().Find(wire::kEventTypeNode)->AsShort(), 1);
    CXmlElement root;
    ASSERT_EQ(ParseAnswer(answer->Root().Find(wire::kEventsNode)->Text().c_str(), root), AnswerText::Parsed);
    ASSERT_EQ(root.GetChildCount(), 2);
    eventviewer::TextPool pool;
    eventviewer::EventRecord record;
    ASSERT_TRUE(eventviewer::ReadEvent(*root.GetChild(1), pool, &record));
    const SimulatedEvent expected = SimulatedLog(1, 1, 2000).Event(17);
    EXPECT_EQ(record.recordNumber, 17u);
    EXPECT_EQ(pool.Text(record.source), expected.source);
    EXPECT_EQ(pool.Text(record.user), expected.user);
    EXPECT_EQ(record.time, expected.time);
    EXPECT_EQ(record.data, expected.data);
    EXPECT_EQ(record.description, expected.description);

    auto file = machine.Ask(wire::kDetailsCommand, {{wire::kFileNameNode, "C:\\saved.evt"}, {wire::kRecordIdsNode, "<EventIDs/>"}});
    EXPECT_EQ(file->Root().Find(kRetValueNode)->AsLong(), 0) << "no saved files on this machine";
    EXPECT_FALSE(DecodeUtf16Base64(file->Root().Find(kErrorTextNode)->Text()).empty());
}

TEST(EventMachine, FullRetrievalHandsOutWholeEventsAndWantsItsRetentionBack)
{
    MachineConfig config = EventMachine::Small();
    config.eventLogs.protocolLevel = 1;
    EventMachine machine(config);
    auto refused = machine.Ask(wire::kIndexCommand, {{wire::kIndexNode, "<Events StartAt='-1'/>"}});
    EXPECT_EQ(refused->Root().Find(kRetValueNode)->AsLong(), 0) << "level 1 knows no record numbers";

    RecordIndex index;
    int16_t retention = 1;
    int64_t sent = -1;
    for (int page = 0; page < 20; ++page) {
        auto answer = machine.Ask(wire::kEventsCommand,
                                  {{wire::kEventsNode, "<Events StartAt='" + std::to_string(sent) + "'/>"},
                                   {wire::kFileNameToNode, ""}},
                                  0, {{wire::kRetentionNode, retention}});
        ASSERT_EQ(answer->Root().Find(kRetValueNode)->AsShort(), 1);
        retention = answer->Root().Find(wire::kRetentionNode)->AsShort();
        CXmlElement root;
        ASSERT_EQ(ParseAnswer(answer->Root().Find(wire::kEventsNode)->Text().c_str(), root), AnswerText::Parsed);
        eventviewer::AppendEventsPage(root, index);
        int64_t next = 0;
        if (NextPage(sent, ReadInt64(root, kUpToAttribute), ReadInt64(root, kTotalAttribute), &next, ContinueFrom::UpTo) !=
            PageStep::Continue)
            break;
        sent = next;
    }
    ASSERT_EQ(index.Rows(), 2000u);
    EXPECT_EQ(index.State(0), eventviewer::RowState::Loaded);
    EXPECT_EQ(index.Record(0)->recordNumber, 2000u);

    auto stale = machine.Ask(wire::kEventsCommand, {{wire::kEventsNode, "<Events StartAt='300'/>"}}, 0,
                             {{wire::kRetentionNode, 1}});
    EXPECT_EQ(stale->Root().Find(kRetValueNode)->AsLong(), 0) << "a later page with the first page's retention";
    EXPECT_EQ(DecodeUtf16Base64(stale->Root().Find(kErrorTextNode)->Text()), u"The handle is invalid.");
}

TEST(EventMachine, FaultsSpoilTheAnswersTheWayTheModelMustSurvive)
{
    EventMachine machine;
    Fault hostile;
    hostile.kind = FaultKind::HostileNumbers;
    machine.machine_.InjectFault(wire::kDetailsCommand, hostile);
    auto answer = machine.Details({1, 2, 3}, 0);
    CXmlElement root;
    ASSERT_EQ(ParseAnswer(answer->Root().Find(wire::kEventsNode)->Text().c_str(), root), AnswerText::Parsed);
    eventviewer::TextPool pool;
    for (int i = 0; i < root.GetChildCount(); ++i) {
        eventviewer::EventRecord record;
        ASSERT_TRUE(eventviewer::ReadEvent(*root.GetChild(i), pool, &record));
        EXPECT_FALSE(eventviewer::IsEventTime(record.time) && record.time == 4294967296LL);
        EXPECT_LE(record.data.size(), 512u) << "no more data than arrived";
    }

    machine.machine_.InjectFault(wire::kIndexCommand, hostile);
    RecordIndex index;
    machine.Index(index, 0);
    EXPECT_EQ(index.Rows(), 1600u) << "every fifth name is no record number";

    Fault garbage;
    garbage.kind = FaultKind::Garbage;
    machine.machine_.InjectFault(wire::kLogInfoCommand, garbage);
    auto info = machine.Ask(wire::kLogInfoCommand, {{wire::kFileNameNode, ""}}, 2);
    EXPECT_EQ(ParseAnswer(info->Root().Find(wire::kEventsNode)->Text().c_str(), root), AnswerText::Malformed);
}

}  // namespace
}  // namespace vantrel::remote
