// Favourite keys: names the user gave to full key paths, each name once
// (whatever its case), listed in the order of their names.
#pragma once

#include "host/HostObjects.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::registry {

struct Favorite {
    std::u16string name;
    std::u16string path;  // full: the root key's name first
};

class Favorites {
public:
    // False, and nothing changes, when the name is taken or empty.
    bool Add(std::u16string_view name, std::u16string_view path);
    bool Remove(std::u16string_view name);
    void Clear() { items_.clear(); }
    const Favorite* Find(std::u16string_view name) const;
    const std::vector<Favorite>& Items() const { return items_; }

private:
    std::vector<Favorite> items_;
};

// A full path split into its root key's name and the path below it.
struct KeyLocation {
    std::u16string rootName;
    std::u16string path;
};
KeyLocation SplitFullPath(std::u16string_view fullPath);

// Kept in the settings under "Favorites": one unnamed entry a favourite, with
// "Name" and "Path" holding settings texts. Reading takes no more than this
// from a store that may have been damaged or written by someone else (a path
// no more than a settings text holds).
constexpr size_t kMaxStoredFavorites = 1000;
constexpr size_t kMaxFavoriteName = 260;
// Empty names or paths and names taken already are skipped.
Favorites ReadFavorites(ISettingsList& section);
// Replaces the whole "Favorites" entry, so that removed favourites stay removed.
void StoreFavorites(ISettingsList& section, const Favorites& favorites);

}  // namespace vantrel::registry
