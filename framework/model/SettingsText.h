// Texts kept in the host's settings store, whose entries hold numbers and
// whose names cannot be read back through the host's interfaces: the text
// lies in the sub-entries of an entry, each holding two UTF-16 units in its
// value (the first in the low half; a zero high half ends an odd text).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "host/HostObjects.h"

namespace vantrel {

// A stored text is cut at this many units when read, whatever the store holds.
constexpr size_t kMaxSettingsText = 32768;

// Replaces the entry's sub-entries by the text; a text longer than
// kMaxSettingsText is cut. False when the store refused an entry.
bool StoreSettingsText(ISettingsNode& entry, std::u16string_view text);
// The text of an entry; it ends at the first zero unit.
std::u16string ReadSettingsText(ISettingsNode& entry);

// The other layout, kept by entries written that way: one UTF-16 unit in the
// low half of each sub-entry's value. Replaces the entry's sub-entries by the
// text's units; false when the store refused an entry.
bool StoreSettingsUnits(ISettingsNode& entry, std::u16string_view text);
// At most `maxUnits` units of such an entry, whatever count it claims.
std::u16string ReadSettingsUnits(ISettingsNode& entry, size_t maxUnits);

// A wide settings name of a UTF-16 text (wchar_t is wider off Windows).
std::wstring SettingsName(std::u16string_view text);

}  // namespace vantrel
