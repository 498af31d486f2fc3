// What the event list shows of a record: the cell texts (the date and time
// cells as a local time that the view formats in the user's formats), the row
// picture, the sort of the list and the "Sort" element that asks the managed
// machine to sort as the user sees it.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "snapins/eventviewer/model/Categories.h"
#include "snapins/eventviewer/model/RecordIndex.h"

namespace vantrel::eventviewer {

// The columns of the list, in their order.
enum Column : int {
    kColumnType = 0,
    kColumnDate = 1,
    kColumnTime = 2,
    kColumnSource = 3,
    kColumnCategory = 4,
    kColumnEvent = 5,
    kColumnUser = 6,
    kColumnComputer = 7,
    kColumnCount = 8,
};

// Kinds of type text, in the order of their strings.
enum class TypeKind : int { Success, Error, Warning, Information, AuditSuccess, AuditFailure, Unknown, Count };

TypeKind TypeKindOf(uint32_t type);
// The row picture: 0 error (and any unknown type), 1 warning, 2 information,
// 3 success and success audit, 4 failure audit.
int TypeImage(uint32_t type);
// The event ID as shown and sorted: its low 16 bits.
constexpr uint16_t ShownEventId(uint32_t id) { return static_cast<uint16_t>(id & 0xFFFF); }

// The texts of the user's language that cells and sorting need.
struct DisplayTexts {
    std::array<std::u16string, static_cast<size_t>(TypeKind::Count)> types;
    std::u16string categoryNone;  // "None": category 0 without a name
    std::u16string userNone;      // "N/A": no user
};

// The category cell: the table's name for (source, number); without one,
// "None" for 0 and "(12)" for 12. A null table has no names.
std::u16string CategoryText(const CategoryTable* table, std::u16string_view source, uint32_t category,
                            const DisplayTexts& texts);

// The text of a cell of every column but Date and Time (those are empty here).
std::u16string CellText(const EventRecord& record, const TextPool& pool, int column, const CategoryTable* table,
                        const DisplayTexts& texts);

// A moment in the user's time zone.
struct LocalTime {
    int year = 0, month = 0, day = 0, dayOfWeek = 0;
    int hour = 0, minute = 0, second = 0;
};
// Turns seconds since 1970 (UTC) into local time; false when it cannot.
using LocalTimeConverter = std::function<bool(int64_t utcSeconds, LocalTime* out)>;
// A converter for a zone that is always `offsetSeconds` ahead of UTC.
LocalTimeConverter FixedOffsetConverter(int64_t offsetSeconds);
// The local time of an event, if it has a usable time.
std::optional<LocalTime> EventLocalTime(const EventRecord& record, const LocalTimeConverter& toLocal);

// The sort of a log: a column and the order the managed machine is told.
// Order 1 when the header shows the up-pointing arrow; with order 1 the record
// with the greater key comes first, with order 0 the smaller.
struct SortDescriptor {
    int column = -1;  // -1: not sorted
    int order = 1;
};
constexpr int OrderOfArrow(bool upArrow) { return upArrow ? 1 : 0; }

// The 8-bit display texts of the "Sort" element, in the user's code page.
struct SortTexts {
    std::array<std::string, static_cast<size_t>(TypeKind::Count)> types;
    std::string categoryNone;
};
// The "Sort" element's text; empty when the log is not sorted.
std::string SortElementText(const SortDescriptor& sort, const SortTexts& texts);

// Everything the local sort compares by.
struct SortContext {
    const CategoryTable* categories = nullptr;
    const DisplayTexts* texts = nullptr;
    LocalTimeConverter toLocal;
};

// The sort key of each row for a column: equal keys for rows that compare
// equal, a greater key for the row that sorts later in ascending order.
// Texts are ranked first (Type in code-unit order, the others without regard
// to case), so that the sort itself compares numbers. Rows without a record
// key 0. Keys fit in 43 bits.
std::vector<uint64_t> SortKeys(const RecordIndex& index, int column, const SortContext& context);

// Puts the rows of a fully loaded log in the order of the sort (full
// retrieval). Rows with equal keys keep their order.
void SortLocally(RecordIndex& index, const SortDescriptor& sort, const SortContext& context);

}  // namespace vantrel::eventviewer
