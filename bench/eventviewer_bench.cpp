// The Event Viewer's model at the scale of a million events: the heap an
// unloaded row of the record index costs, a 10,000-entry page of record
// numbers parsed and appended, and the local sort of 100,000 whole events
// beside a std::sort of the same keys in the same run.
#include "framework/model/Answer.h"
#include "framework/text/TextCompare.h"
#include "framework/xml/Xml.h"
#include "snapins/eventviewer/model/EventAnswers.h"
#include "snapins/eventviewer/model/EventCells.h"

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <cstdlib>
#include <new>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace {

// Heap accounting, switched on only around the memory measurement. A block
// costs its usable size plus the allocator's size word.
bool g_counting = false;
long long g_liveBytes = 0;

void* CountedAllocate(size_t size) {
    void* block = std::malloc(size ? size : 1);
    if (block && g_counting) g_liveBytes += static_cast<long long>(malloc_usable_size(block) + sizeof(size_t));
    return block;
}

void CountedFree(void* block) {
    if (block && g_counting) g_liveBytes -= static_cast<long long>(malloc_usable_size(block) + sizeof(size_t));
    std::free(block);
}

}  // namespace

void* operator new(size_t size) {
    if (void* block = CountedAllocate(size)) return block;
    throw std::bad_alloc();
}
void* operator new[](size_t size) {
    if (void* block = CountedAllocate(size)) return block;
    throw std::bad_alloc();
}
void operator delete(void* block) noexcept { CountedFree(block); }
void operator delete(void* block, size_t) noexcept { CountedFree(block); }
void operator delete[](void* block) noexcept { CountedFree(block); }
void operator delete[](void* block, size_t) noexcept { CountedFree(block); }

namespace {

using namespace vantrel;
using namespace vantrel::eventviewer;

constexpr size_t kLogEvents = 1'000'000;
constexpr size_t kPageEntries = 10'000;
constexpr size_t kSortedEvents = 100'000;

// A page of record numbers as the simulated machine writes it: newest first.
std::string IndexPage(size_t first) {
    std::string text = "<Indicies StartAt='" + std::to_string(first) + "' UpTo='" + std::to_string(first + kPageEntries) +
                       "' Total='" + std::to_string(kLogEvents) + "' >";
    for (size_t i = first; i < first + kPageEntries; ++i) text += "<" + std::to_string(kLogEvents - i) + "/>";
    return text + "</Indicies>";
}

void AppendPage(const std::string& text, RecordIndex& index) {
    CXmlElement root;
    if (ParseAnswer(text, root) != AnswerText::Parsed) std::abort();
    AppendIndexPage(root, index);
}

// The index of the whole Application log, every row unloaded, built page by
// page as the retrieval builds it; the heap it keeps, per row.
void IndexMemoryPerUnloadedRow(benchmark::State& state) {
    std::vector<std::string> pages;
    for (size_t first = 0; first < kLogEvents; first += kPageEntries) pages.push_back(IndexPage(first));
    double bytesPerRow = 0;
    for (auto _ : state) {
        RecordIndex index;
        g_liveBytes = 0;
        g_counting = true;
        for (const std::string& page : pages) AppendPage(page, index);
        g_counting = false;
        if (index.Rows() != kLogEvents) std::abort();
        // The parsed pages are gone by now: what is left is the index.
        bytesPerRow = static_cast<double>(g_liveBytes) / static_cast<double>(index.Rows());
    }
    state.counters["bytes_per_unloaded_row"] = bytesPerRow;
}
BENCHMARK(IndexMemoryPerUnloadedRow)->Unit(benchmark::kMillisecond)->Iterations(1);

// The last page of the log: parsed and appended to an index that holds the
// 990,000 rows before it.
void IndexPageParsedAndAppended(benchmark::State& state) {
    const std::string last = IndexPage(kLogEvents - kPageEntries);
    RecordIndex index;
    for (size_t i = 0; i < kLogEvents - kPageEntries; ++i) index.AppendNumber(static_cast<uint32_t>(i + 1));
    for (auto _ : state) {
        AppendPage(last, index);
        state.PauseTiming();
        // Back to 990,000 rows for the next round.
        RecordIndex fresh;
        for (size_t i = 0; i < kLogEvents - kPageEntries; ++i) fresh.AppendNumber(static_cast<uint32_t>(i + 1));
        index = std::move(fresh);
        state.ResumeTiming();
    }
    state.counters["entries"] = static_cast<double>(kPageEntries);
}
BENCHMARK(IndexPageParsedAndAppended)->Unit(benchmark::kMillisecond);

// ---- local sort ----------------------------------------------------------------------------------

const DisplayTexts& Texts() {
    static const DisplayTexts texts = [] {
        DisplayTexts t;
        t.types = {u"Success", u"Error", u"Warning", u"Information", u"Success Audit", u"Failure Audit", u"Unknown"};
        t.categoryNone = u"None";
        t.userNone = u"N/A";
        return t;
    }();
    return texts;
}

// 100,000 whole events as full retrieval loads them, in a shuffled order.
RecordIndex LoadedLog(std::vector<uint32_t>* shuffle) {
    static const std::u16string kSources[] = {u"Application Error", u"Application Hang", u"Installer", u"Shadow Copy",
                                              u"Database Engine",   u"User Profile Service", u"Suchdienst",
                                              u"\u0421\u043b\u0443\u0436\u0431\u0430", u"\u30d0\u30c3\u30af", u"Service de licences"};
    static const uint32_t kTypes[] = {1, 2, 4, 4, 4, 8, 16, 0};
    std::mt19937 random(7);
    RecordIndex index;
    for (size_t i = 0; i < kSortedEvents; ++i) {
        EventRecord record;
        record.recordNumber = static_cast<uint32_t>(i + 1);
        record.type = kTypes[random() % std::size(kTypes)];
        record.source = index.Texts().Intern(kSources[random() % std::size(kSources)]);
        record.time = 1600000000 + static_cast<int64_t>(random() % 100000000);
        record.eventId = random();
        index.AppendRecord(std::move(record));
    }
    shuffle->resize(kSortedEvents);
    std::iota(shuffle->begin(), shuffle->end(), 0u);
    std::shuffle(shuffle->begin(), shuffle->end(), random);
    return index;
}

void SortLocallyByColumn(benchmark::State& state) {
    const int column = static_cast<int>(state.range(0));
    std::vector<uint32_t> shuffle;
    RecordIndex index = LoadedLog(&shuffle);
    const SortContext context{nullptr, &Texts(), FixedOffsetConverter(3600)};
    for (auto _ : state) {
        state.PauseTiming();
        index.Reorder(shuffle);
        state.ResumeTiming();
        SortLocally(index, {column, 0}, context);
        benchmark::DoNotOptimize(index.RecordNumber(0));
    }
}
BENCHMARK(SortLocallyByColumn)->Arg(kColumnType)->Arg(kColumnDate)->Arg(kColumnSource)->Unit(benchmark::kMillisecond);

// The reference: std::sort of the same keys, as the user sees them (type and
// source texts, times), taken out of the same records beforehand.
void StdSortOfTheSameKeys(benchmark::State& state) {
    const int column = static_cast<int>(state.range(0));
    std::vector<uint32_t> shuffle;
    RecordIndex index = LoadedLog(&shuffle);
    index.Reorder(shuffle);
    std::vector<std::u16string> texts;
    std::vector<int64_t> times;
    for (size_t row = 0; row < index.Rows(); ++row) {
        const EventRecord& record = *index.Record(row);
        if (column == kColumnDate)
            times.push_back(record.time);
        else
            texts.push_back(column == kColumnType ? Texts().types[static_cast<size_t>(TypeKindOf(record.type))]
                                                  : index.Texts().Text(record.source));
    }
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<std::u16string> textKeys = texts;
        std::vector<int64_t> timeKeys = times;
        state.ResumeTiming();
        if (column == kColumnDate)
            std::sort(timeKeys.begin(), timeKeys.end());
        else if (column == kColumnType)
            std::sort(textKeys.begin(), textKeys.end());
        else
            std::sort(textKeys.begin(), textKeys.end(),
                      [](const std::u16string& a, const std::u16string& b) { return CompareNoCase(a, b) < 0; });
        benchmark::DoNotOptimize(textKeys.data());
        benchmark::DoNotOptimize(timeKeys.data());
    }
}
BENCHMARK(StdSortOfTheSameKeys)->Arg(kColumnType)->Arg(kColumnDate)->Arg(kColumnSource)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
