#include "snapins/registry/model/Favorites.h"

#include "framework/model/SettingsText.h"
#include "framework/text/TextCompare.h"

#include <algorithm>

namespace vantrel::registry {

namespace {

template <typename Iterator>
Iterator LowerBound(Iterator first, Iterator last, std::u16string_view name) {
    return std::lower_bound(first, last, name,
                            [](const Favorite& item, std::u16string_view key) { return CompareNoCase(item.name, key) < 0; });
}

constexpr wchar_t kFavoritesEntry[] = L"Favorites";
constexpr wchar_t kNameEntry[] = L"Name";
constexpr wchar_t kPathEntry[] = L"Path";

std::u16string ReadText(ISettingsList& favorite, const wchar_t* name) {
    ISettingsNode* entry = favorite.Find(name);
    return entry ? ReadSettingsText(*entry) : std::u16string();
}

void StoreText(ISettingsList& favorite, const wchar_t* name, std::u16string_view text) {
    if (ISettingsNode* entry = favorite.AddChild(name, 0)) StoreSettingsText(*entry, text);
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

Favorites ReadFavorites(ISettingsList& section) {
    Favorites favorites;
    ISettingsNode* stored = section.Find(kFavoritesEntry);
    ISettingsList* entries = stored ? stored->Items() : nullptr;
    const int32_t count = entries ? entries->Count() : 0;
    for (int32_t i = 0; i < count && favorites.Items().size() < kMaxStoredFavorites; ++i) {
        ISettingsNode* entry = entries->At(i);
        ISettingsList* texts = entry ? entry->Items() : nullptr;
        if (!texts) continue;
        const std::u16string path = ReadText(*texts, kPathEntry);
        const std::u16string name = ReadText(*texts, kNameEntry);
        if (!path.empty()) favorites.Add(std::u16string_view(name).substr(0, kMaxFavoriteName), path);
    }
    return favorites;
}

void StoreFavorites(ISettingsList& section, const Favorites& favorites) {
    ISettingsNode* stored = section.AddChild(kFavoritesEntry, 0);
    ISettingsList* entries = stored ? stored->Items() : nullptr;
    if (!entries) return;
    int32_t index = 0;
    for (const Favorite& favorite : favorites.Items()) {
        ISettingsNode* entry = entries->AddAt(index++, 0);
        ISettingsList* texts = entry ? entry->Items() : nullptr;
        if (!texts) return;
        StoreText(*texts, kNameEntry, favorite.name);
        StoreText(*texts, kPathEntry, favorite.path);
    }
}

}  // namespace vantrel::registry
