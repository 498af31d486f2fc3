// The four modal editors of a value's data, chosen by its type.
#pragma once

#include "snapins/registry/model/ValueEditing.h"

#include <windows.h>

#include <optional>
#include <string>

namespace vantrel::registry {

struct EditedValue {
    std::u16string name;  // empty: the key's default value
    uint32_t type = 0;
    Bytes data;
};

// Opens the editor of the value's type over `owner`; the new data after OK,
// nothing after Cancel. `platform` is the managed machine's, which limits the
// length of texts.
std::optional<Bytes> EditValueData(HWND owner, const EditedValue& value, int platform);

}  // namespace vantrel::registry
