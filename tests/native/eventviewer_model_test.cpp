// The Event Viewer model: the record index, categories, answers read from an
// untrusted machine, cell texts, the local sort and the details on demand.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <string>
#include <tuple>
#include <vector>

#include "framework/model/Answer.h"
#include "framework/text/Base64.h"
#include "framework/xml/Xml.h"
#include "snapins/eventviewer/model/Categories.h"
#include "snapins/eventviewer/model/CommandStates.h"
#include "snapins/eventviewer/model/DetailRequests.h"
#include "snapins/eventviewer/model/EventAnswers.h"
#include "snapins/eventviewer/model/EventCells.h"

namespace vantrel::eventviewer {
namespace {

using Attributes = std::vector<std::pair<std::string, std::string>>;

std::string B64(const std::u16string& text)
{
    return EncodeUtf16Base64(text);
}

// An event element with sensible attributes, some replaced.
std::string EventXml(uint32_t recordNumber, const Attributes& changes = {})
{
    Attributes attributes = {{"CategoryID", "0"},   {"DataLength", "0"},  {"DateTime", "1700000000"},
                             {"ID", "1000"},         {"Type", "4"},        {"Computer", B64(u"WS-01")},
                             {"Data", ""},           {"Description", ""}, {"Source", B64(u"Application Error")},
                             {"User", B64(u"")},     {"RecID", std::to_string(recordNumber)}};
    for (const auto& change : changes) {
        auto found = std::find_if(attributes.begin(), attributes.end(),
                                  [&](const auto& a) { return a.first == change.first; });
        if (found == attributes.end())
            attributes.push_back(change);
        else
            found->second = change.second;
    }
    std::string text = "<Event";
    for (const auto& [name, value] : attributes) {
        if (value != "<absent>")
            text += " " + name + "='" + value + "'";
    }
    return text + "/>";
}

struct Parsed {
    explicit Parsed(const std::string& text) { EXPECT_EQ(ParseAnswer(text.c_str(), root), AnswerText::Parsed) << text; }
    CXmlElement root;
};

EventRecord ReadOne(const std::string& xml, TextPool& pool)
{
    Parsed parsed(xml);
    EventRecord record;
    EXPECT_TRUE(ReadEvent(parsed.root, pool, &record)) << xml;
    return record;
}

DisplayTexts English()
{
    DisplayTexts texts;
    texts.types = {u"Success", u"Error", u"Warning", u"Information", u"Success Audit", u"Failure Audit", u"Unknown"};
    texts.categoryNone = u"None";
    texts.userNone = u"N/A";
    return texts;
}

// A fully loaded index of events (type, source, time), as full retrieval
// makes it; record numbers count from 1.
RecordIndex Loaded(const std::vector<std::tuple<uint32_t, std::u16string, int64_t>>& events,
                   const std::vector<uint32_t>& categories = {})
{
    RecordIndex index;
    for (size_t i = 0; i < events.size(); ++i) {
        const auto& [type, source, time] = events[i];
        EventRecord record;
        record.recordNumber = static_cast<uint32_t>(i + 1);
        record.type = type;
        record.source = index.Texts().Intern(source);
        record.time = time;
        record.category = i < categories.size() ? categories[i] : 0;
        index.AppendRecord(record);
    }
    return index;
}

std::vector<uint32_t> Numbers(const RecordIndex& index)
{
    std::vector<uint32_t> numbers;
    for (size_t row = 0; row < index.Rows(); ++row)
        numbers.push_back(index.RecordNumber(row));
    return numbers;
}

// ---------------------------------------------------------------------------
// Record index

TEST(EventRecordIndex, RowsGoFromUnloadedToPendingToLoadedAndALoadedRecordIsNeverReplaced)
{
    RecordIndex index(5);
    for (uint32_t n : {50u, 40u, 30u})
        ASSERT_TRUE(index.AppendNumber(n));
    EXPECT_EQ(index.State(1), RowState::Unloaded);
    EXPECT_EQ(index.Record(1), nullptr);

    EventRecord record;
    record.recordNumber = 40;
    EXPECT_FALSE(index.Fill(1, record)) << "details nobody asked for";
    ASSERT_TRUE(index.MarkPending(1));
    EXPECT_FALSE(index.MarkPending(1)) << "never asked twice";
    EXPECT_EQ(index.State(1), RowState::Pending);
    EXPECT_EQ(index.Record(1), nullptr) << "a placeholder shows nothing";
    record.eventId = 7;
    ASSERT_TRUE(index.Fill(1, record));
    record.eventId = 8;
    EXPECT_FALSE(index.Fill(1, record));
    EXPECT_EQ(index.Record(1)->eventId, 7u);
    index.ReleasePending(1);
    EXPECT_EQ(index.State(1), RowState::Loaded) << "a loaded row stays loaded";

    ASSERT_TRUE(index.MarkPending(2));
    index.ReleasePending(2);
    EXPECT_EQ(index.State(2), RowState::Unloaded);

    EXPECT_TRUE(index.AppendNumber(20));
    EXPECT_TRUE(index.AppendNumber(10));
    EXPECT_TRUE(index.Full());
    EXPECT_FALSE(index.AppendNumber(5)) << "capped";
    EXPECT_FALSE(index.MarkPending(99));
    EXPECT_EQ(index.Record(99), nullptr);

    const uint64_t generation = index.Generation();
    const uint32_t order[] = {4, 3, 2, 1, 0};
    index.Reorder(order);
    EXPECT_EQ(Numbers(index), (std::vector<uint32_t>{10, 20, 30, 40, 50}));
    EXPECT_EQ(index.Record(3)->eventId, 7u) << "records move with their rows";
    EXPECT_NE(index.Generation(), generation);
    index.Clear();
    EXPECT_TRUE(index.Empty());
    EXPECT_EQ(index.LoadedRecords(), 0u);
}

TEST(EventRecordIndex, TextsAreKeptOncePerLogAndSurviveTheGrowthOfThePool)
{
    TextPool pool;
    EXPECT_EQ(pool.Intern(u""), 0u);
    const uint32_t first = pool.Intern(u"Service Control Manager");
    for (int i = 0; i < 5000; ++i)
        pool.Intern(u"source " + std::u16string(1, static_cast<char16_t>(u'a' + i % 26)) + std::u16string(i / 26, u'x'));
    EXPECT_EQ(pool.Intern(u"Service Control Manager"), first);
    EXPECT_EQ(pool.Text(first), u"Service Control Manager");
    EXPECT_EQ(pool.Text(999999), u"");
    pool.Clear();
    EXPECT_EQ(pool.Count(), 1u);
}

// ---------------------------------------------------------------------------
// Categories

TEST(EventCategories, PagesMergeIntoSourcesAndContinueOnlyWhileThePositionAdvances)
{
    CategoryTable table;
    const std::string page1 = "<Categories EventType='0' Total='0' CatInd='1' SubCatInd='2'>"
                              "<Source SourceName='" + B64(u"Disk") + "'>"
                              "<Category CategoryIndex='1' CategoryName='" + B64(u"Lecture") + "'/>"
                              "<Category CategoryIndex='x' CategoryName='" + B64(u"broken") + "'/></Source>"
                              "<Source SourceName=''><Category CategoryIndex='3' CategoryName='" + B64(u"no source") + "'/></Source>"
                              "</Categories>";
    Parsed first(page1);
    const CategoryPage merged = MergeCategoryPage(first.root, table);
    EXPECT_EQ(merged.merged, 1u);
    EXPECT_EQ(merged.position, (CategoryPosition{1, 2}));
    EXPECT_EQ(NextCategoryPage({0, 0}, merged, table), CategoryStep::Continue);
    EXPECT_EQ(NextCategoryPage({1, 2}, merged, table), CategoryStep::Failed) << "the same page again never ends";
    EXPECT_EQ(NextCategoryPage({1, 3}, merged, table), CategoryStep::Failed) << "nor one that goes back";

    const std::string page2 = "<Categories EventType='0' Total='7' CatInd='2' SubCatInd='0'>"
                              "<Source SourceName='" + B64(u"Disk") + "'>"
                              "<Category CategoryIndex='2' CategoryName='" + B64(u"\u00c9criture") + "'/>"
                              "<Category CategoryIndex='1' CategoryName='" + B64(u"second name") + "'/></Source>"
                              "<Source SourceName='" + B64(u"disk") + "'><Category CategoryIndex='1' CategoryName='" +
                              B64(u"lower") + "'/></Source></Categories>";
    Parsed second(page2);
    const CategoryPage last = MergeCategoryPage(second.root, table);
    EXPECT_EQ(NextCategoryPage({1, 2}, last, table), CategoryStep::Done);
    EXPECT_EQ(table.Sources(), 2u) << "a known source gets the new categories; names compare case-sensitively";
    EXPECT_EQ(*table.Find(u"Disk", 1), u"Lecture") << "the first name given wins";
    EXPECT_EQ(*table.Find(u"Disk", 2), u"\u00c9criture");
    EXPECT_EQ(*table.Find(u"disk", 1), u"lower");
    EXPECT_EQ(table.Find(u"Disk", 3), nullptr);
}

TEST(EventCategories, AFullTableEndsThePagesInsteadOfGrowingForEver)
{
    CategoryTable table;
    for (size_t i = 0; i < CategoryTable::kMaxCategories; ++i)
        ASSERT_TRUE(table.Add(u"S", static_cast<uint32_t>(i), u"c"));
    EXPECT_FALSE(table.Add(u"S", 1, u"more"));
    CategoryPage page;  // "Total" 0, the same position: would fail, but the table is full
    EXPECT_EQ(NextCategoryPage({0, 0}, page, table), CategoryStep::Done);
}

// ---------------------------------------------------------------------------
// Answers

TEST(EventAnswers, DataLengthNeverOutgrowsTheDecodedBytes)
{
    TextPool pool;
    const std::string bytes = Base64Encode("ABCDEFGH", 8);
    EXPECT_EQ(ReadOne(EventXml(1, {{"Data", bytes}, {"DataLength", "8"}}), pool).data.size(), 8u);
    EXPECT_EQ(ReadOne(EventXml(1, {{"Data", bytes}, {"DataLength", "4000000"}}), pool).data.size(), 8u)
        << "a declared length beyond the data is cut to what arrived";
    const EventRecord cut = ReadOne(EventXml(1, {{"Data", bytes}, {"DataLength", "3"}}), pool);
    EXPECT_EQ(std::string(cut.data.begin(), cut.data.end()), "ABC") << "a smaller length cuts the data";
    EXPECT_EQ(ReadOne(EventXml(1, {{"Data", bytes}, {"DataLength", "-1"}}), pool).data.size(), 8u);
    EXPECT_EQ(ReadOne(EventXml(1, {{"Data", bytes}, {"DataLength", "<absent>"}}), pool).data.size(), 8u);
    EXPECT_TRUE(ReadOne(EventXml(1, {{"Data", "%%%"}, {"DataLength", "64"}}), pool).data.empty());
}

TEST(EventAnswers, HostileNumbersReadAsWhatTheyCanMean)
{
    TextPool pool;
    EXPECT_EQ(ReadOne(EventXml(1, {{"DateTime", "-5"}}), pool).time, kNoTime);
    EXPECT_EQ(ReadOne(EventXml(1, {{"DateTime", "4294967296"}}), pool).time, kNoTime);
    EXPECT_EQ(ReadOne(EventXml(1, {{"DateTime", "4294967295"}}), pool).time, 4294967295LL);
    EXPECT_EQ(ReadOne(EventXml(1, {{"DateTime", "<absent>"}}), pool).time, kNoTime);
    // An event ID with its top bits set, written signed or unsigned.
    EXPECT_EQ(ReadOne(EventXml(1, {{"ID", "-1073741824"}}), pool).eventId, 0xC0000000u);
    EXPECT_EQ(ReadOne(EventXml(1, {{"ID", "3221225472"}}), pool).eventId, 0xC0000000u);
    EXPECT_EQ(TypeKindOf(ReadOne(EventXml(1, {{"Type", "65537"}}), pool).type), TypeKind::Unknown)
        << "never taken for its low bits (1, an error)";
    EXPECT_EQ(TypeKindOf(ReadOne(EventXml(1, {{"Type", "-1"}}), pool).type), TypeKind::Unknown);

    EventRecord record;
    for (const char* recordNumber : {"-1", "4294967296", "", "<absent>", "12x"}) {
        Parsed parsed(EventXml(1, {{"RecID", recordNumber}}));
        EXPECT_FALSE(ReadEvent(parsed.root, pool, &record)) << recordNumber;
    }
}

TEST(EventAnswers, IndexPagesAppendTheirRecordNumbersInOrderUpToTheCap)
{
    RecordIndex index(5);
    Parsed page("<Indicies StartAt='0' UpTo='6' Total='9'><123/><124/><x1/><4294967295/><4294967296/><-3/><7/></Indicies>");
    const PageMerge merge = AppendIndexPage(page.root, index);
    EXPECT_EQ(merge.appended, 4u);
    EXPECT_EQ(merge.skipped, 3u);
    EXPECT_EQ(Numbers(index), (std::vector<uint32_t>{123, 124, 4294967295u, 7}));
    Parsed more("<Indicies><8/><9/></Indicies>");
    EXPECT_TRUE(AppendIndexPage(more.root, index).full);
    EXPECT_EQ(index.Rows(), 5u);

    RecordIndex events;
    Parsed full("<Events UpTo='3' Total='3'>" + EventXml(5) + EventXml(0, {{"RecID", "-2"}}) +
                EventXml(6, {{"Source", B64(u"Application Error")}}) + "</Events>");
    const PageMerge loaded = AppendEventsPage(full.root, events);
    EXPECT_EQ(loaded.appended, 2u);
    EXPECT_EQ(events.State(1), RowState::Loaded);
    EXPECT_EQ(events.Record(0)->source, events.Record(1)->source) << "one text for both";
}

TEST(EventAnswers, AnAnswerBelongsToALiveLogOrToTheOpenFileOnly)
{
    EXPECT_EQ(AnswerLog(0, "", ""), 0);
    EXPECT_EQ(AnswerLog(2, "", "C:\\saved.evt"), 2);
    EXPECT_EQ(AnswerLog(3, "", ""), std::nullopt) << "the file log needs its file";
    EXPECT_EQ(AnswerLog(-1, "", ""), std::nullopt);
    EXPECT_EQ(AnswerLog(7, "", ""), std::nullopt);
    EXPECT_EQ(AnswerLog(0, "C:\\saved.evt", "C:\\saved.evt"), 3);
    EXPECT_EQ(AnswerLog(3, "C:\\other.evt", "C:\\saved.evt"), std::nullopt);
    EXPECT_EQ(AnswerLog(3, "C:\\saved.evt", ""), std::nullopt) << "no file is open";
}

TEST(EventAnswers, LogInformationLosesItsLineBreaks)
{
    Parsed root("<Events EventType='1' DisplayName='" + B64(u"Sicher\r\nheit") + "' LogFileName='" +
                B64(u"C:\\W\\Sec.evt") + "' DateCreated='-4' MaxLogSize='524288' Retention='4294967295' FileSize='65536'/>");
    const LogInfo info = ReadLogInfo(root.root);
    EXPECT_EQ(info.displayName, u"Sicherheit");
    EXPECT_EQ(info.logFileName, u"C:\\W\\Sec.evt");
    EXPECT_EQ(info.created, kNoTime);
    EXPECT_EQ(info.maxSize, 524288u);
    EXPECT_EQ(info.retention, 4294967295u);
}

// ---------------------------------------------------------------------------
// Cells

TEST(EventCells, CellTextsOfEveryColumnButTheDates)
{
    const DisplayTexts texts = English();
    TextPool pool;
    CategoryTable table;
    table.Add(u"Disk", 3, u"Schreiben");
    EventRecord record;
    record.type = 2;
    record.eventId = 1073748860;
    record.source = pool.Intern(u"Disk");
    record.computer = pool.Intern(u"\u5de5\u4f5c\u7ad9");
    record.category = 3;
    EXPECT_EQ(CellText(record, pool, kColumnType, &table, texts), u"Warning");
    EXPECT_EQ(CellText(record, pool, kColumnEvent, &table, texts), u"7036") << "the low 16 bits";
    EXPECT_EQ(CellText(record, pool, kColumnCategory, &table, texts), u"Schreiben");
    EXPECT_EQ(CellText(record, pool, kColumnUser, &table, texts), u"N/A");
    EXPECT_EQ(CellText(record, pool, kColumnComputer, &table, texts), u"\u5de5\u4f5c\u7ad9");
    EXPECT_EQ(CellText(record, pool, kColumnDate, &table, texts), u"");
    record.category = 0;
    EXPECT_EQ(CellText(record, pool, kColumnCategory, &table, texts), u"None");
    record.category = 12;
    EXPECT_EQ(CellText(record, pool, kColumnCategory, nullptr, texts), u"(12)");
    record.user = pool.Intern(u"NT AUTHORITY\\SYSTEM");
    EXPECT_EQ(CellText(record, pool, kColumnUser, &table, texts), u"NT AUTHORITY\\SYSTEM");

    const std::vector<std::pair<uint32_t, int>> images = {{1, 0}, {2, 1}, {4, 2}, {0, 3}, {8, 3}, {16, 4}, {3, 0}, {32, 0}};
    for (const auto& [type, image] : images)
        EXPECT_EQ(TypeImage(type), image) << type;
    EXPECT_EQ(texts.types[static_cast<size_t>(TypeKindOf(16))], u"Failure Audit");
    EXPECT_EQ(texts.types[static_cast<size_t>(TypeKindOf(5))], u"Unknown");
}

TEST(EventCells, LocalTimesOfAFixedZoneAcrossDayAndYearBoundaries)
{
    // Pinned zones: the results do not depend on the machine the test runs on.
    const LocalTimeConverter plusOne = FixedOffsetConverter(3600);
    EventRecord record;
    record.time = 1709249400;  // 2024-02-29 23:30:00 UTC
    auto local = EventLocalTime(record, plusOne);
    ASSERT_TRUE(local);
    EXPECT_EQ(std::tie(local->year, local->month, local->day, local->hour, local->minute, local->second),
              std::make_tuple(2024, 3, 1, 0, 30, 0));
    EXPECT_EQ(local->dayOfWeek, 5) << "a Friday";
    local = EventLocalTime(record, FixedOffsetConverter(-10 * 3600));
    EXPECT_EQ(std::tie(local->month, local->day, local->hour), std::make_tuple(2, 29, 13));
    record.time = 0;
    local = EventLocalTime(record, FixedOffsetConverter(-1));
    EXPECT_EQ(std::tie(local->year, local->month, local->day, local->hour), std::make_tuple(1969, 12, 31, 23));
    record.time = kNoTime;
    EXPECT_FALSE(EventLocalTime(record, plusOne)) << "no time, empty date and time cells";
}

TEST(EventCells, TheSortElementCarriesTheTextsTheUserSees)
{
    SortTexts texts;
    texts.types = {"Success", "Error", "Warning", "Information", "Success Audit", "Failure Audit", "Unknown"};
    texts.categoryNone = "None";
    EXPECT_EQ(SortElementText({4, 0}, texts),
              "<SortOrder Column='4' Order='0' TypeSuccess='Success' TypeError='Error' TypeWarning='Warning' "
              "TypeInformation='Information' TypeAuditSuccess='Success Audit' TypeAuditFailure='Failure Audit' "
              "TypeUnknown='Unknown' CategoryNotAvilable='None' />");
    EXPECT_EQ(SortElementText({-1, 1}, texts), "") << "an unsorted log sends no sort";
}

// ---------------------------------------------------------------------------
// Local sort (full retrieval)

TEST(EventLocalSort, TypeSortsByItsTextAndOrderOnePutsTheGreaterKeyFirst)
{
    const DisplayTexts texts = English();
    SortContext context{nullptr, &texts, FixedOffsetConverter(0)};
    RecordIndex index = Loaded({{2, u"a", 10}, {4, u"b", 20}, {1, u"c", 30}, {2, u"d", 40}, {4, u"e", 50}});
    SortLocally(index, {kColumnType, 0}, context);
    std::vector<std::u16string> shown;
    for (size_t row = 0; row < index.Rows(); ++row)
        shown.push_back(CellText(*index.Record(row), index.Texts(), kColumnType, nullptr, texts));
    EXPECT_EQ(shown, (std::vector<std::u16string>{u"Error", u"Information", u"Information", u"Warning", u"Warning"}));
    EXPECT_EQ(Numbers(index), (std::vector<uint32_t>{3, 2, 5, 1, 4})) << "equal keys keep their order";
    SortLocally(index, {kColumnType, 1}, context);
    EXPECT_EQ(Numbers(index), (std::vector<uint32_t>{1, 4, 2, 5, 3}));
}

TEST(EventLocalSort, TextsSortWithoutRegardToCaseAndTimesByTheirLocalClock)
{
    const DisplayTexts texts = English();
    SortContext context{nullptr, &texts, FixedOffsetConverter(2 * 3600)};
    // 23:00 UTC is 01:00 local, the earliest time of day although the latest moment.
    RecordIndex index = Loaded({{1, u"beta", 82800}, {1, u"Alpha", 3600}, {1, u"\u00e9clair", 7200}, {1, u"alpha", 0}});
    SortLocally(index, {kColumnSource, 0}, context);
    EXPECT_EQ(Numbers(index), (std::vector<uint32_t>{2, 4, 1, 3}));
    SortLocally(index, {kColumnTime, 0}, context);
    EXPECT_EQ(Numbers(index), (std::vector<uint32_t>{1, 4, 2, 3}));
    SortLocally(index, {kColumnDate, 1}, context);
    EXPECT_EQ(Numbers(index), (std::vector<uint32_t>{1, 3, 2, 4}));

    // Categories by their text: "(12)" "None" "Schreiben".
    CategoryTable table;
    table.Add(u"alpha", 5, u"Schreiben");
    RecordIndex categories = Loaded({{1, u"alpha", 0}, {1, u"beta", 0}, {1, u"alpha", 0}}, {5, 12, 0});
    SortLocally(categories, {kColumnCategory, 0}, {&table, &texts, nullptr});
    EXPECT_EQ(Numbers(categories), (std::vector<uint32_t>{2, 3, 1}));
}

TEST(EventLocalSort, ALargeLogSortsLikeAStableSortOfItsKeysInBothOrders)
{
    std::vector<std::tuple<uint32_t, std::u16string, int64_t>> events;
    uint64_t state = 12345;
    for (int i = 0; i < 70000; ++i) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        // Times far apart, many equal ones and some beyond 32 bits (no time,
        // the smallest key), so that every digit and every tie counts.
        events.emplace_back(4, u"s", static_cast<int64_t>((state >> 33) % 3 == 0 ? 4000000000ULL : (state >> 20) % 5000000000ULL));
    }
    for (int order : {0, 1}) {
        RecordIndex index = Loaded(events);
        std::vector<uint32_t> expected(events.size());
        std::iota(expected.begin(), expected.end(), 1u);
        std::stable_sort(expected.begin(), expected.end(), [&](uint32_t a, uint32_t b) {
            const int64_t ta = IsEventTime(std::get<2>(events[a - 1])) ? std::get<2>(events[a - 1]) : -1;
            const int64_t tb = IsEventTime(std::get<2>(events[b - 1])) ? std::get<2>(events[b - 1]) : -1;
            return order == 1 ? ta > tb : ta < tb;
        });
        SortLocally(index, {kColumnDate, order}, {nullptr, nullptr, nullptr});
        EXPECT_EQ(Numbers(index), expected) << order;
    }
}

// ---------------------------------------------------------------------------
// Details on demand

RecordIndex Unloaded(uint32_t rows)
{
    RecordIndex index;
    for (uint32_t row = 0; row < rows; ++row)
        index.AppendNumber(1000 + row);
    return index;
}

std::string DetailsXml(const std::vector<uint32_t>& recordNumbers)
{
    std::string text = "<Events>";
    for (uint32_t number : recordNumbers)
        text += EventXml(number);
    return text + "</Events>";
}

std::vector<uint32_t> Rows(const std::vector<DetailPair>& pairs)
{
    std::vector<uint32_t> rows;
    for (const DetailPair& pair : pairs)
        rows.push_back(pair.row);
    return rows;
}

TEST(EventDetails, AHintOverAHundredRowsAsksForTheFirstThirtyAndNeverTwice)
{
    RecordIndex index = Unloaded(500);
    DetailRequester requester;
    requester.OnHint(100, 220);
    const std::vector<DetailPair> batch = requester.TakeBatch(index);
    ASSERT_EQ(batch.size(), 30u);
    EXPECT_EQ(batch.front().row, 100u);
    EXPECT_EQ(batch.back().row, 129u);
    EXPECT_EQ(batch.front().recordNumber, 1100u);
    EXPECT_EQ(index.State(129), RowState::Pending);
    EXPECT_TRUE(requester.TakeBatch(index).empty()) << "one request on its way at a time";

    requester.OnHint(110, 140);  // overlaps the rows on their way
    Parsed answer(DetailsXml({1100, 1101}));
    DetailsOutcome outcome = requester.Complete(&answer.root, index);
    EXPECT_EQ(outcome.filledRows, (std::vector<uint32_t>{100, 101}));
    EXPECT_EQ(outcome.releasedRows.size(), 28u) << "rows that got nothing go back";
    EXPECT_EQ(index.State(102), RowState::Unloaded);
    // The next request continues inside the last hint, with the rows that came back.
    EXPECT_EQ(Rows(requester.TakeBatch(index)).front(), 110u);

    Parsed rest(DetailsXml({}));
    requester.Complete(&rest.root, index);
    requester.OnHint(100, 105);
    EXPECT_EQ(Rows(requester.TakeBatch(index)), (std::vector<uint32_t>{102, 103, 104, 105}));
}

TEST(EventDetails, AnAnswerFillsOnlyThePendingRowsItWasAskedFor)
{
    RecordIndex index = Unloaded(40);
    DetailRequester requester;
    requester.OnHint(0, 2);
    ASSERT_EQ(requester.TakeBatch(index).size(), 3u);
    // Not asked (1020), twice (1001), without a number, and the one asked for.
    Parsed answer("<Events>" + EventXml(1020) + EventXml(1001, {{"ID", "1"}}) + EventXml(1001, {{"ID", "2"}}) +
                  EventXml(0, {{"RecID", "<absent>"}}) + "</Events>");
    const DetailsOutcome outcome = requester.Complete(&answer.root, index);
    EXPECT_EQ(outcome.filledRows, std::vector<uint32_t>{1});
    EXPECT_EQ(index.Record(1)->eventId, 1u) << "the first answer for a row fills it; the second changes nothing";
    EXPECT_EQ(index.State(20), RowState::Unloaded) << "a row nobody asked for stays as it was";
    EXPECT_EQ(outcome.releasedRows, (std::vector<uint32_t>{0, 2}));

    // An answer when nothing is on its way changes nothing.
    EXPECT_TRUE(requester.Complete(&answer.root, index).filledRows.empty());
}

TEST(EventDetails, AFailureReleasesTheRowsAndAReloadMakesTheAnswerStale)
{
    RecordIndex index = Unloaded(60);
    DetailRequester requester;
    requester.OnHint(0, 59);
    ASSERT_EQ(requester.TakeBatch(index).size(), 30u);
    const DetailsOutcome failed = requester.Complete(nullptr, index);
    EXPECT_EQ(failed.releasedRows.size(), 30u);
    EXPECT_EQ(index.State(0), RowState::Unloaded);
    EXPECT_TRUE(requester.TakeBatch(index).empty()) << "after a failure, only a new hint asks again";
    requester.OnHint(0, 0);
    EXPECT_EQ(requester.TakeBatch(index).size(), 1u) << "the failed rows can be asked for again";

    index.Clear();
    for (uint32_t n = 0; n < 10; ++n)
        index.AppendNumber(1000 + n);  // the same numbers, a new retrieval
    Parsed late(DetailsXml({1000}));
    const DetailsOutcome stale = requester.Complete(&late.root, index);
    EXPECT_TRUE(stale.stale);
    EXPECT_EQ(index.State(0), RowState::Unloaded) << "a late answer of an old retrieval fills nothing";
    EXPECT_EQ(RecordIdsText({{0, 7}, {1, 4294967295u}}),
              "<EventIDs><EventID RecID='7' /><EventID RecID='4294967295' /></EventIDs>");
}

// ---------------------------------------------------------------------------
// Commands

TEST(EventCommands, TheFileTabOffersNothingWithoutAnOpenFileAndStopOnlyWhileLoading)
{
    ViewState file{.fileTab = true};
    const CommandStates menu = MenuStates(file, false);
    EXPECT_FALSE(menu.refresh || menu.save || menu.logProperties || menu.clear);
    EXPECT_TRUE(menu.open && menu.eventProperties);
    file.shownHasRows = true;
    EXPECT_TRUE(MenuStates(file, false).refresh);
    EXPECT_FALSE(MenuStates(file, false).clear);
    EXPECT_FALSE(MenuStates(file, true).eventProperties) << "the context menu needs a row";

    ViewState live{.busy = true, .loading = true};
    CommandStates toolbar = ToolbarStates(live);
    EXPECT_TRUE(toolbar.stop);
    EXPECT_FALSE(toolbar.refresh || toolbar.open || toolbar.clear);
    live.stopping = true;
    EXPECT_FALSE(ToolbarStates(live).stop) << "stopped once";
    live = {.busy = true};
    EXPECT_FALSE(ToolbarStates(live).stop) << "busy with another log or with details";
    live = {};
    toolbar = ToolbarStates(live);
    EXPECT_TRUE(toolbar.refresh && toolbar.clear && toolbar.save && toolbar.open && toolbar.logProperties);
    EXPECT_FALSE(toolbar.stop);
}

}  // namespace
}  // namespace vantrel::eventviewer
