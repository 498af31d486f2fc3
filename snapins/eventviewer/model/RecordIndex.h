// The events of one log as the list shows them: row r of the list is entry r
// of the log's RecordIndex, which holds the row's record number and, once the
// details have arrived, its EventRecord.
//
// A log may hold a million rows of which the user looks at a few hundred, so
// an unloaded row costs two 32-bit numbers (the record number and the slot of
// its record) in chunked arrays that never copy themselves when they grow.
// Loaded records keep their repeated texts (source, computer, user) once per
// log in a TextPool.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "framework/model/Paging.h"

namespace vantrel::eventviewer {

// The time of an event that came without a usable "DateTime".
constexpr int64_t kNoTime = -1;

// Seconds since 1970-01-01 00:00 UTC that an event log can hold (32 bits, unsigned).
constexpr bool IsEventTime(int64_t time) { return time >= 0 && time <= 0xFFFFFFFFLL; }

struct EventRecord {
    uint32_t recordNumber = 0;  // "RecID": the record's key on the managed machine
    uint32_t eventId = 0;       // "ID" as sent; the list shows its low 16 bits
    int64_t time = kNoTime;     // "DateTime", or kNoTime
    uint32_t type = 0;          // 1 error, 2 warning, 4 information, 8 and 16 audits, 0 success
    uint32_t category = 0;
    // Texts in the log's TextPool.
    uint32_t source = 0;
    uint32_t computer = 0;
    uint32_t user = 0;
    std::vector<uint8_t> data;
    std::u16string description;
};

// Each distinct text once; id 0 is the empty text.
class TextPool {
public:
    TextPool();
    uint32_t Intern(std::u16string_view text);
    // The empty text for an id it never gave.
    const std::u16string& Text(uint32_t id) const;
    size_t Count() const { return texts_.size(); }
    void Clear();

private:
    std::deque<std::u16string> texts_;  // a deque: views of its texts stay valid as it grows
    std::unordered_map<std::u16string_view, uint32_t> ids_;
};

// A growing array in fixed chunks: appending never copies what is there, and
// the spare room is at most one chunk.
template <typename T, size_t kChunk = 16384>
class ChunkedArray {
public:
    size_t Size() const { return size_; }
    void PushBack(T value) {
        if (size_ % kChunk == 0) chunks_.push_back(std::make_unique<T[]>(kChunk));
        chunks_.back()[size_ % kChunk] = value;
        ++size_;
    }
    T& operator[](size_t i) { return chunks_[i / kChunk][i % kChunk]; }
    const T& operator[](size_t i) const { return chunks_[i / kChunk][i % kChunk]; }
    void Clear() {
        chunks_.clear();
        chunks_.shrink_to_fit();
        size_ = 0;
    }

private:
    std::vector<std::unique_ptr<T[]>> chunks_;
    size_t size_ = 0;
};

enum class RowState { Unloaded, Pending, Loaded };

class RecordIndex {
public:
    explicit RecordIndex(size_t maxRows = kMaxListItems);

    size_t Rows() const { return numbers_.Size(); }
    bool Empty() const { return Rows() == 0; }
    bool Full() const { return !ListHasRoom(Rows(), maxRows_); }
    // Changes with every Clear and Reorder: whatever refers to rows by
    // position compares it before using them.
    uint64_t Generation() const { return generation_; }

    // Appends a row whose details are still to come; false when full.
    bool AppendNumber(uint32_t recordNumber);
    // Appends a row with its record (full retrieval); false when full.
    bool AppendRecord(EventRecord record);

    uint32_t RecordNumber(size_t row) const { return numbers_[row]; }
    // The row of a record number: `hint` first, then a search.
    std::optional<size_t> RowOf(uint32_t recordNumber, size_t hint) const;
    RowState State(size_t row) const;
    // The row's record, or null while it is unloaded or pending.
    const EventRecord* Record(size_t row) const;

    // Unloaded to pending: its details have been asked for. False otherwise.
    bool MarkPending(size_t row);
    // Pending back to unloaded: the details did not come.
    void ReleasePending(size_t row);
    // Gives a pending row its record. False (and nothing changes) for a row
    // that is not pending: a loaded record is never replaced.
    bool Fill(size_t row, EventRecord record);

    // Puts the rows in a new order: order[i] is the old position of new row i;
    // it must be a permutation of the rows.
    void Reorder(std::span<const uint32_t> order);
    // Keeps only the given rows, in the given order (positions ascending or
    // not, each at most once); the others' records stay until Clear.
    void KeepRows(std::span<const uint32_t> rows);
    // The description and data of a loaded row (command 308). False for a row
    // without a record.
    bool SetDetails(size_t row, std::u16string description, std::vector<uint8_t> data);
    void Clear();

    TextPool& Texts() { return texts_; }
    const TextPool& Texts() const { return texts_; }
    size_t LoadedRecords() const { return records_.size(); }

private:
    static constexpr uint32_t kUnloaded = 0;
    static constexpr uint32_t kPending = 0xFFFFFFFF;

    size_t maxRows_;
    ChunkedArray<uint32_t> numbers_;
    // 0 unloaded, kPending, else 1 + the position of the row's record.
    ChunkedArray<uint32_t> slots_;
    std::deque<EventRecord> records_;
    TextPool texts_;
    uint64_t generation_ = 0;
};

}  // namespace vantrel::eventviewer
