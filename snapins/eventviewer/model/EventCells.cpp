#include "snapins/eventviewer/model/EventCells.h"

#include <algorithm>
#include <numeric>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "framework/text/TextCompare.h"
#include "framework/xml/Xml.h"
#include "snapins/eventviewer/model/Protocol.h"

namespace vantrel::eventviewer {

namespace {

constexpr int kRowBits = 21;
constexpr uint64_t kMaxKey = (uint64_t{1} << 43) - 1;
static_assert(kMaxListItems < (size_t{1} << kRowBits), "a row position fits beside its key");

std::u16string Ascii(const std::string& text)
{
    return std::u16string(text.begin(), text.end());
}

// Days since 1970-01-01 to a civil date (proleptic Gregorian).
void CivilFromDays(int64_t days, LocalTime* out)
{
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
    out->day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    out->month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    out->year = static_cast<int>(yearOfEra + era * 400 + (out->month <= 2 ? 1 : 0));
}

// Ranks of texts in an order: equal texts share a rank; ranks start at 1.
template <typename Less>
std::vector<uint32_t> RankTexts(const std::vector<std::u16string_view>& texts, Less less)
{
    std::vector<uint32_t> order(texts.size());
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) { return less(texts[a], texts[b]); });
    std::vector<uint32_t> ranks(texts.size());
    uint32_t rank = 0;
    for (size_t i = 0; i < order.size(); ++i) {
        if (i == 0 || less(texts[order[i - 1]], texts[order[i]]))
            ++rank;
        ranks[order[i]] = rank;
    }
    return ranks;
}

// Sorts numbers by 16-bit digits from the lowest, skipping digits that are
// the same in every number: a few passes over the data instead of n log n
// comparisons, for the hundreds of thousands of rows of a log.
void RadixSort(std::vector<uint64_t>& values)
{
    // Below this the digit tables cost more than comparing.
    if (values.size() < 4096) {
        std::sort(values.begin(), values.end());
        return;
    }
    std::vector<uint64_t> buffer(values.size());
    std::vector<size_t> counts(size_t{1} << 16);
    for (int shift = 0; shift < 64; shift += 16) {
        std::fill(counts.begin(), counts.end(), 0);
        for (const uint64_t value : values)
            ++counts[(value >> shift) & 0xFFFF];
        if (std::find(counts.begin(), counts.end(), values.size()) != counts.end())
            continue;  // one digit for all: nothing moves
        size_t start = 0;
        for (size_t& count : counts)
            start += std::exchange(count, start);
        for (const uint64_t value : values)
            buffer[counts[(value >> shift) & 0xFFFF]++] = value;
        values.swap(buffer);
    }
}

bool LessNoCase(std::u16string_view a, std::u16string_view b)
{
    return CompareNoCase(a, b) < 0;
}

// Ranks of every text of the pool, id 0 standing for `emptyText`.
std::vector<uint32_t> PoolRanks(const TextPool& pool, std::u16string_view emptyText)
{
    std::vector<std::u16string_view> texts;
    texts.reserve(pool.Count());
    for (uint32_t id = 0; id < pool.Count(); ++id)
        texts.push_back(id == 0 ? emptyText : std::u16string_view(pool.Text(id)));
    return RankTexts(texts, LessNoCase);
}

template <typename KeyOf>
std::vector<uint64_t> KeysOfRecords(const RecordIndex& index, KeyOf keyOf)
{
    std::vector<uint64_t> keys(index.Rows(), 0);
    for (size_t row = 0; row < keys.size(); ++row) {
        if (const EventRecord* record = index.Record(row))
            keys[row] = keyOf(*record);
    }
    return keys;
}

std::vector<uint64_t> TypeKeys(const RecordIndex& index, const DisplayTexts& texts)
{
    std::vector<std::u16string_view> views(texts.types.begin(), texts.types.end());
    const std::vector<uint32_t> ranks = RankTexts(views, std::less<std::u16string_view>());
    return KeysOfRecords(index, [&](const EventRecord& r) { return uint64_t{ranks[static_cast<size_t>(TypeKindOf(r.type))]}; });
}

std::vector<uint64_t> CategoryKeys(const RecordIndex& index, const SortContext& context)
{
    // Each distinct (source, category) once: its text, then its rank.
    std::unordered_map<uint64_t, uint32_t> pairIndex;
    std::vector<std::u16string> names;
    std::vector<uint32_t> pairOfRow(index.Rows(), 0);
    for (size_t row = 0; row < index.Rows(); ++row) {
        const EventRecord* record = index.Record(row);
        if (!record)
            continue;
        const uint64_t pair = (uint64_t{record->source} << 32) | record->category;
        auto [found, added] = pairIndex.try_emplace(pair, static_cast<uint32_t>(names.size()));
        if (added)
            names.push_back(CategoryText(context.categories, index.Texts().Text(record->source), record->category,
                                         *context.texts));
        pairOfRow[row] = found->second + 1;
    }
    const std::vector<uint32_t> ranks = RankTexts(std::vector<std::u16string_view>(names.begin(), names.end()), LessNoCase);
    std::vector<uint64_t> keys(index.Rows(), 0);
    for (size_t row = 0; row < keys.size(); ++row)
        keys[row] = pairOfRow[row] ? ranks[pairOfRow[row] - 1] : 0;
    return keys;
}

std::vector<uint64_t> TextKeys(const RecordIndex& index, uint32_t EventRecord::*field, std::u16string_view emptyText)
{
    const std::vector<uint32_t> ranks = PoolRanks(index.Texts(), emptyText);
    return KeysOfRecords(index, [&](const EventRecord& r) { return uint64_t{ranks[r.*field]}; });
}

}  // namespace

TypeKind TypeKindOf(uint32_t type)
{
    switch (type) {
    case protocol::kTypeSuccess:
        return TypeKind::Success;
    case protocol::kTypeError:
        return TypeKind::Error;
    case protocol::kTypeWarning:
        return TypeKind::Warning;
    case protocol::kTypeInformation:
        return TypeKind::Information;
    case protocol::kTypeAuditSuccess:
        return TypeKind::AuditSuccess;
    case protocol::kTypeAuditFailure:
        return TypeKind::AuditFailure;
    default:
        return TypeKind::Unknown;
    }
}

int TypeImage(uint32_t type)
{
    switch (type) {
    case protocol::kTypeWarning:
        return 1;
    case protocol::kTypeInformation:
        return 2;
    case protocol::kTypeSuccess:
    case protocol::kTypeAuditSuccess:
        return 3;
    case protocol::kTypeAuditFailure:
        return 4;
    default:
        return 0;
    }
}

std::u16string CategoryText(const CategoryTable* table, std::u16string_view source, uint32_t category,
                            const DisplayTexts& texts)
{
    if (table) {
        if (const std::u16string* name = table->Find(source, category))
            return *name;
    }
    if (category == 0)
        return texts.categoryNone;
    return u"(" + Ascii(std::to_string(category)) + u")";
}

std::u16string CellText(const EventRecord& record, const TextPool& pool, int column, const CategoryTable* table,
                        const DisplayTexts& texts)
{
    switch (column) {
    case kColumnType:
        return texts.types[static_cast<size_t>(TypeKindOf(record.type))];
    case kColumnSource:
        return pool.Text(record.source);
    case kColumnCategory:
        return CategoryText(table, pool.Text(record.source), record.category, texts);
    case kColumnEvent:
        return Ascii(std::to_string(ShownEventId(record.eventId)));
    case kColumnUser:
        return record.user ? pool.Text(record.user) : texts.userNone;
    case kColumnComputer:
        return pool.Text(record.computer);
    default:
        return {};
    }
}

LocalTimeConverter FixedOffsetConverter(int64_t offsetSeconds)
{
    return [offsetSeconds](int64_t utcSeconds, LocalTime* out) {
        const int64_t local = utcSeconds + offsetSeconds;
        const int64_t days = local >= 0 ? local / 86400 : (local - 86399) / 86400;
        const int64_t second = local - days * 86400;
        CivilFromDays(days, out);
        out->dayOfWeek = static_cast<int>(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday (4)
        out->hour = static_cast<int>(second / 3600);
        out->minute = static_cast<int>(second / 60 % 60);
        out->second = static_cast<int>(second % 60);
        return true;
    };
}

std::optional<LocalTime> EventLocalTime(const EventRecord& record, const LocalTimeConverter& toLocal)
{
    LocalTime local;
    if (!IsEventTime(record.time) || !toLocal || !toLocal(record.time, &local))
        return std::nullopt;
    return local;
}

std::string SortElementText(const SortDescriptor& sort, const SortTexts& texts)
{
    if (sort.column < 0 || sort.column >= kColumnCount)
        return {};
    static constexpr const char* kTypeAttributes[] = {
        protocol::kAttrTypeSuccess,      protocol::kAttrTypeError,         protocol::kAttrTypeWarning,
        protocol::kAttrTypeInformation,  protocol::kAttrTypeAuditSuccess,  protocol::kAttrTypeAuditFailure,
        protocol::kAttrTypeUnknown};
    static_assert(std::size(kTypeAttributes) == static_cast<size_t>(TypeKind::Count));
    CXmlElement element(protocol::kSortElement);
    element.AddAttribute(protocol::kAttrColumn, std::to_string(sort.column));
    element.AddAttribute(protocol::kAttrOrder, std::to_string(sort.order == 1 ? 1 : 0));
    for (size_t i = 0; i < std::size(kTypeAttributes); ++i)
        element.AddAttribute(kTypeAttributes[i], texts.types[i]);
    element.AddAttribute(protocol::kAttrCategoryNone, texts.categoryNone);
    CXmlOptions options;
    return element.ToText(options);
}

std::vector<uint64_t> SortKeys(const RecordIndex& index, int column, const SortContext& context)
{
    static const DisplayTexts kNoTexts;
    const DisplayTexts& texts = context.texts ? *context.texts : kNoTexts;
    switch (column) {
    case kColumnType:
        return TypeKeys(index, texts);
    case kColumnDate:
        return KeysOfRecords(index, [](const EventRecord& r) { return IsEventTime(r.time) ? uint64_t(r.time) + 1 : 0; });
    case kColumnTime:
        return KeysOfRecords(index, [&](const EventRecord& r) -> uint64_t {
            const std::optional<LocalTime> local = EventLocalTime(r, context.toLocal);
            return local ? uint64_t((local->hour * 60 + local->minute) * 60 + local->second) + 1 : 0;
        });
    case kColumnSource:
        return TextKeys(index, &EventRecord::source, {});
    case kColumnCategory: {
        SortContext withTexts = context;
        withTexts.texts = &texts;
        return CategoryKeys(index, withTexts);
    }
    case kColumnEvent:
        return KeysOfRecords(index, [](const EventRecord& r) { return uint64_t{ShownEventId(r.eventId)} + 1; });
    case kColumnUser:
        return TextKeys(index, &EventRecord::user, texts.userNone);
    case kColumnComputer:
        return TextKeys(index, &EventRecord::computer, {});
    default:
        return std::vector<uint64_t>(index.Rows(), 0);
    }
}

void SortLocally(RecordIndex& index, const SortDescriptor& sort, const SortContext& context)
{
    if (sort.column < 0 || sort.column >= kColumnCount || index.Rows() < 2)
        return;
    const std::vector<uint64_t> keys = SortKeys(index, sort.column, context);
    std::vector<uint32_t> order(keys.size());
    if (keys.size() >= (size_t{1} << kRowBits)) {
        std::iota(order.begin(), order.end(), 0u);
        std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
            return sort.order == 1 ? keys[a] > keys[b] : keys[a] < keys[b];
        });
        index.Reorder(order);
        return;
    }
    // Key and position in one number: the sort compares integers only, and
    // equal keys keep their rows' order.
    std::vector<uint64_t> packed(keys.size());
    for (size_t row = 0; row < keys.size(); ++row) {
        const uint64_t key = std::min(keys[row], kMaxKey);
        packed[row] = ((sort.order == 1 ? kMaxKey - key : key) << kRowBits) | row;
    }
    RadixSort(packed);
    for (size_t i = 0; i < packed.size(); ++i)
        order[i] = static_cast<uint32_t>(packed[i] & ((uint64_t{1} << kRowBits) - 1));
    index.Reorder(order);
}

}  // namespace vantrel::eventviewer
