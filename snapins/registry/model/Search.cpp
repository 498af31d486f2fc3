#include "snapins/registry/model/Search.h"

#include <algorithm>

namespace vantrel::registry {

uint32_t FindTypeOf(const SearchOptions& options) {
    return (options.keys ? kFindKeys : 0) | (options.values ? kFindValues : 0) | (options.data ? kFindData : 0) |
           (options.wholeString ? kFindWholeString : 0);
}

bool FoundNothing(std::u16string_view subkey, std::u16string_view name) { return subkey.empty() && name.empty(); }

std::optional<uint32_t> NextRootKey(std::span<const uint32_t> rootKeysInTreeOrder, uint32_t searched) {
    const auto at = std::find(rootKeysInTreeOrder.begin(), rootKeysInTreeOrder.end(), searched);
    if (at == rootKeysInTreeOrder.end() || at + 1 == rootKeysInTreeOrder.end()) return std::nullopt;
    return *(at + 1);
}

}  // namespace vantrel::registry
