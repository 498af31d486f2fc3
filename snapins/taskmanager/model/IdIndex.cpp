#include "snapins/taskmanager/model/IdIndex.h"

#include <atomic>
#include <chrono>

namespace vantrel::taskmanager {

namespace {

constexpr size_t kFirstSize = 32;

// SplitMix64's finaliser: every bit of the input reaches every bit of the output.
uint64_t Mix(uint64_t value)
{
    value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9ULL;
    value = (value ^ (value >> 27)) * 0x94D049BB133111EBULL;
    return value ^ (value >> 31);
}

// Differs between indexes and between runs; the order of nothing depends on it.
uint64_t NewSeed(const void* self)
{
    static std::atomic<uint64_t> counter{0};
    const auto now = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    return Mix(now ^ Mix(reinterpret_cast<uintptr_t>(self)) ^ Mix(++counter));
}

}  // namespace

IdIndex::IdIndex() = default;

void IdIndex::Clear()
{
    if (count_ == 0)
        return;
    for (Slot& slot : slots_)
        slot.position = kEmpty;
    count_ = 0;
}

size_t IdIndex::SlotOf(uint64_t id) const
{
    // Only called with room: Find returns early and Insert grows first.
    return static_cast<size_t>(Mix(id ^ seed_)) & (slots_.size() - 1);
}

std::optional<uint32_t> IdIndex::Find(uint64_t id) const
{
    if (slots_.empty())
        return std::nullopt;
    for (size_t i = SlotOf(id);; i = (i + 1) & (slots_.size() - 1)) {
        const Slot& slot = slots_[i];
        if (slot.position == kEmpty)
            return std::nullopt;
        if (slot.id == id)
            return slot.position;
    }
}

bool IdIndex::Insert(uint64_t id, uint32_t position)
{
    if (position == kEmpty)
        return false;
    if (2 * (count_ + 1) > slots_.size())
        Grow();
    for (size_t i = SlotOf(id);; i = (i + 1) & (slots_.size() - 1)) {
        Slot& slot = slots_[i];
        if (slot.position == kEmpty) {
            slot = {id, position};
            ++count_;
            return true;
        }
        if (slot.id == id)
            return false;
    }
}

void IdIndex::Grow()
{
    // Most processes never need an index: the seed is made with the first room.
    if (slots_.empty())
        seed_ = NewSeed(this);
    std::vector<Slot> old(slots_.empty() ? kFirstSize : slots_.size() * 2);
    old.swap(slots_);
    count_ = 0;
    for (const Slot& slot : old) {
        if (slot.position != kEmpty)
            Insert(slot.id, slot.position);
    }
}

}  // namespace vantrel::taskmanager
