// The Registry's modal dialogs around find and favourites.
#pragma once

#include "snapins/registry/model/Favorites.h"
#include "snapins/registry/model/Search.h"

#include <windows.h>

#include <optional>
#include <string>

namespace vantrel::registry {

// Find: the text and where to look, starting from the last search; nothing
// when the user cancels.
std::optional<SearchOptions> AskSearch(HWND owner, const SearchOptions& last);

// Add to Favorites: a name not yet among the favourites. A name that is
// taken is refused in a box and asked for again.
std::optional<std::u16string> AskFavoriteName(HWND owner, const std::u16string& proposal, const Favorites& favorites);

// Organize Favorites: the favourites the user kept; nothing when cancelled.
std::optional<Favorites> OrganizeFavorites(HWND owner, const Favorites& favorites);

}  // namespace vantrel::registry
