// Positions of records by a 64-bit identity, for the threads of a process:
// open addressing in one small array, so that storing a process's threads
// allocates a few times instead of once per thread and stays in the cache.
//
// The identities come from the managed machine, which is not trusted: they
// are mixed with a seed of this index's own before they choose a slot, so
// that no list of identities can be made to collide on purpose.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace vantrel::taskmanager {

class IdIndex {
public:
    IdIndex();

    void Clear();
    size_t Count() const { return count_; }

    // The position stored for the identity, if any.
    std::optional<uint32_t> Find(uint64_t id) const;
    // Stores the position unless the identity is there already (which keeps
    // its first position). False then.
    bool Insert(uint64_t id, uint32_t position);

private:
    static constexpr uint32_t kEmpty = UINT32_MAX;
    struct Slot {
        uint64_t id = 0;
        uint32_t position = kEmpty;
    };

    size_t SlotOf(uint64_t id) const;
    void Grow();

    std::vector<Slot> slots_;  // empty until the first insertion, then a power of two long, at most half full
    size_t count_ = 0;
    uint64_t seed_ = 0;
};

}  // namespace vantrel::taskmanager
