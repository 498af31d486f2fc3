#include "framework/model/SettingsText.h"

#include <algorithm>
#include <cstdint>

namespace vantrel {

bool StoreSettingsText(ISettingsNode& entry, std::u16string_view text)
{
    ISettingsList* items = entry.Items();
    if (!items)
        return false;
    // Whatever the entry held goes; a store that will not remove stops the loop.
    for (int32_t count = items->Count(); count > 0; --count)
        items->RemoveAt(0);
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

std::wstring SettingsName(std::u16string_view text)
{
    return std::wstring(text.begin(), text.end());
}

}  // namespace vantrel
