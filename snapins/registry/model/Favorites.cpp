#include "snapins/registry/model/Favorites.h"

#include "framework/text/TextCompare.h"

#include <algorithm>

namespace vantrel::registry {

namespace {

template <typename Iterator>
Iterator LowerBound(Iterator first, Iterator last, std::u16string_view name) {
    return std::lower_bound(first, last, name,
                            [](const Favorite& item, std::u16string_view key) { return CompareNoCase(item.name, key) < 0; });
}

}  // namespace

bool Favorites::Add(std::u16string_view name, std::u16string_view path) {
    if (name.empty()) return false;
    const auto at = LowerBound(items_.begin(), items_.end(), name);
    if (at != items_.end() && EqualsNoCase(at->name, name)) return false;
    items_.insert(at, Favorite{std::u16string(name), std::u16string(path)});
    return true;
}

bool Favorites::Remove(std::u16string_view name) {
    const auto at = LowerBound(items_.begin(), items_.end(), name);
    if (at == items_.end() || !EqualsNoCase(at->name, name)) return false;
    items_.erase(at);
    return true;
}

const Favorite* Favorites::Find(std::u16string_view name) const {
    const auto at = LowerBound(items_.begin(), items_.end(), name);
    return at != items_.end() && EqualsNoCase(at->name, name) ? &*at : nullptr;
}

KeyLocation SplitFullPath(std::u16string_view fullPath) {
    const size_t slash = fullPath.find(u'\\');
    if (slash == std::u16string_view::npos) return {std::u16string(fullPath), {}};
    return {std::u16string(fullPath.substr(0, slash)), std::u16string(fullPath.substr(slash + 1))};
}

}  // namespace vantrel::registry
