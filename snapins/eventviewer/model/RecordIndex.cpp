#include "snapins/eventviewer/model/RecordIndex.h"

#include <utility>

namespace vantrel::eventviewer {

namespace {

const std::u16string& EmptyText()
{
    static const std::u16string empty;
    return empty;
}

}  // namespace

// ---- texts -------------------------------------------------------------------

TextPool::TextPool()
{
    Clear();
}

uint32_t TextPool::Intern(std::u16string_view text)
{
    if (text.empty())
        return 0;
    const auto found = ids_.find(text);
    if (found != ids_.end())
        return found->second;
    const auto id = static_cast<uint32_t>(texts_.size());
    texts_.emplace_back(text);
    ids_.emplace(texts_.back(), id);
    return id;
}

const std::u16string& TextPool::Text(uint32_t id) const
{
    return id < texts_.size() ? texts_[id] : EmptyText();
}

void TextPool::Clear()
{
    ids_.clear();
    texts_.clear();
    texts_.emplace_back();  // id 0
}

// ---- rows --------------------------------------------------------------------

RecordIndex::RecordIndex(size_t maxRows) : maxRows_(maxRows) {}

bool RecordIndex::AppendNumber(uint32_t recordNumber)
{
    if (Full())
        return false;
    numbers_.PushBack(recordNumber);
    slots_.PushBack(kUnloaded);
    return true;
}

bool RecordIndex::AppendRecord(EventRecord record)
{
    if (Full())
        return false;
    numbers_.PushBack(record.recordNumber);
    records_.push_back(std::move(record));
    slots_.PushBack(static_cast<uint32_t>(records_.size()));
    return true;
}

RowState RecordIndex::State(size_t row) const
{
    const uint32_t slot = slots_[row];
    return slot == kUnloaded ? RowState::Unloaded : slot == kPending ? RowState::Pending : RowState::Loaded;
}

const EventRecord* RecordIndex::Record(size_t row) const
{
    if (row >= Rows())
        return nullptr;
    const uint32_t slot = slots_[row];
    return slot == kUnloaded || slot == kPending ? nullptr : &records_[slot - 1];
}

bool RecordIndex::MarkPending(size_t row)
{
    if (row >= Rows() || slots_[row] != kUnloaded)
        return false;
    slots_[row] = kPending;
    return true;
}

void RecordIndex::ReleasePending(size_t row)
{
    if (row < Rows() && slots_[row] == kPending)
        slots_[row] = kUnloaded;
}

bool RecordIndex::Fill(size_t row, EventRecord record)
{
    if (row >= Rows() || slots_[row] != kPending)
        return false;
    records_.push_back(std::move(record));
    slots_[row] = static_cast<uint32_t>(records_.size());
    return true;
}

void RecordIndex::Reorder(std::span<const uint32_t> order)
{
    if (order.size() != Rows())
        return;
    ChunkedArray<uint32_t> numbers;
    ChunkedArray<uint32_t> slots;
    for (const uint32_t old : order) {
        numbers.PushBack(numbers_[old]);
        slots.PushBack(slots_[old]);
    }
    numbers_ = std::move(numbers);
    slots_ = std::move(slots);
    ++generation_;
}

std::optional<size_t> RecordIndex::RowOf(uint32_t recordNumber, size_t hint) const
{
    if (hint < Rows() && numbers_[hint] == recordNumber)
        return hint;
    for (size_t row = 0; row < Rows(); ++row) {
        if (numbers_[row] == recordNumber)
            return row;
    }
    return std::nullopt;
}

void RecordIndex::KeepRows(std::span<const uint32_t> rows)
{
    ChunkedArray<uint32_t> numbers;
    ChunkedArray<uint32_t> slots;
    for (const uint32_t old : rows) {
        if (old >= Rows())
            continue;
        numbers.PushBack(numbers_[old]);
        slots.PushBack(slots_[old]);
    }
    numbers_ = std::move(numbers);
    slots_ = std::move(slots);
    ++generation_;
}

bool RecordIndex::SetDetails(size_t row, std::u16string description, std::vector<uint8_t> data)
{
    if (row >= Rows())
        return false;
    const uint32_t slot = slots_[row];
    if (slot == kUnloaded || slot == kPending)
        return false;
    EventRecord& record = records_[slot - 1];
    record.description = std::move(description);
    record.data = std::move(data);
    return true;
}

void RecordIndex::Clear()
{
    numbers_.Clear();
    slots_.Clear();
    records_.clear();
    records_.shrink_to_fit();
    texts_.Clear();
    ++generation_;
}

}  // namespace vantrel::eventviewer
