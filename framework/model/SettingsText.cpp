#include "framework/model/SettingsText.h"

#include <algorithm>
#include <cstdint>

namespace vantrel {

namespace {

// The entry's sub-entries, emptied; null without a list.
ISettingsList* ClearedItems(ISettingsNode& entry)
{
    ISettingsList* items = entry.Items();
    // Whatever the entry held goes; a store that will not remove stops the loop.
    for (int32_t count = items ? items->Count() : 0; count > 0; --count)
        items->RemoveAt(0);
    return items;
}

}  // namespace

bool StoreSettingsText(ISettingsNode& entry, std::u16string_view text)
{
    ISettingsList* items = ClearedItems(entry);
    if (!items)
        return false;
    text = text.substr(0, std::min(text.size(), kMaxSettingsText));
    for (size_t i = 0; i < text.size(); i += 2) {
        const uint32_t low = text[i];
        const uint32_t high = i + 1 < text.size() ? text[i + 1] : 0;
        if (!items->AddAt(static_cast<int32_t>(i / 2), static_cast<int32_t>(low | (high << 16))))
            return false;
    }
    return true;
}

std::u16string ReadSettingsText(ISettingsNode& entry)
{
    std::u16string text;
    ISettingsList* items = entry.Items();
    const int32_t count = items ? items->Count() : 0;
    for (int32_t i = 0; i < count && text.size() < kMaxSettingsText; ++i) {
        ISettingsNode* part = items->At(i);
        if (!part)
            break;
        const auto value = static_cast<uint32_t>(part->GetValue());
        for (const auto unit : {static_cast<char16_t>(value & 0xFFFF), static_cast<char16_t>(value >> 16)}) {
            if (unit == 0)
                return text;
            text.push_back(unit);
        }
    }
    if (text.size() > kMaxSettingsText)
        text.resize(kMaxSettingsText);
    return text;
}

bool StoreSettingsUnits(ISettingsNode& entry, std::u16string_view text)
{
    ISettingsList* items = ClearedItems(entry);
    if (!items)
        return false;
    for (size_t i = 0; i < text.size(); ++i)
        if (!items->AddAt(static_cast<int32_t>(i), text[i]))
            return false;
    return true;
}

std::u16string ReadSettingsUnits(ISettingsNode& entry, size_t maxUnits)
{
    std::u16string text;
    ISettingsList* items = entry.Items();
    const int32_t count = items ? items->Count() : 0;
    const size_t wanted = count > 0 ? std::min(static_cast<size_t>(count), maxUnits) : 0;
    for (size_t i = 0; i < wanted; ++i)
        if (ISettingsNode* unit = items->At(static_cast<int32_t>(i)))
            text.push_back(static_cast<char16_t>(unit->GetValue() & 0xFFFF));
    return text;
}

std::wstring SettingsName(std::u16string_view text)
{
    return std::wstring(text.begin(), text.end());
}

}  // namespace vantrel
