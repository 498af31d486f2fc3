// Find: what the user asked for, as the machine's search takes it, and where
// a search goes on when a root key holds nothing more.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vantrel::registry {

constexpr uint32_t kFindKeys = 0x1;
constexpr uint32_t kFindValues = 0x2;
constexpr uint32_t kFindData = 0x4;
constexpr uint32_t kFindWholeString = 0x80000000;

struct SearchOptions {
    std::u16string text;
    bool keys = true;
    bool values = true;
    bool data = true;
    bool wholeString = false;
};

uint32_t FindTypeOf(const SearchOptions& options);

// An answer without key path and value name found nothing below its root key.
bool FoundNothing(std::u16string_view subkey, std::u16string_view name);

// The root key after the one searched, in the tree's order. Nothing after the
// last one, and nothing when the one searched is not in the tree any more (the
// search ends rather than starting over).
std::optional<uint32_t> NextRootKey(std::span<const uint32_t> rootKeysInTreeOrder, uint32_t searched);

}  // namespace vantrel::registry
