// The inventory file on arbitrary input: read into categories and rows, then
// every row formatted as the list shows it. Parents come before their
// children, every row belongs to one node, and nothing reads out of bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "framework/text/Utf8.h"
#include "snapins/inventory/model/InventoryDocument.h"
#include "snapins/inventory/model/InventoryFormat.h"

namespace {

using namespace vantrel::inventory;

void Require(bool condition) {
    if (!condition) std::abort();
}

void FormatRow(const Row& row) {
    switch (FormatOf(row.number)) {
    case ValueFormat::kDate:
        if (auto date = ParseDateTime(row.value)) Require(!date->hasDate || (date->month >= 1 && date->month <= 12));
        break;
    case ValueFormat::kHex:
        (void)FormatHex(row.value);
        break;
    case ValueFormat::kDriveType:
        (void)DriveType(row.value);
        break;
    case ValueFormat::kSingleLine:
        (void)SingleLine(vantrel::Utf8ToUtf16(row.value));
        break;
    case ValueFormat::kSize:
        if (auto size = FormatSize(row.value)) Require(size->size() < 512);
        break;
    case ValueFormat::kLanguage:
        if (auto number = LanguageNumber(row.value)) Require(LanguageSuffix(*number).size() <= 9);
        break;
    case ValueFormat::kPlain:
        Require(vantrel::Utf8ToUtf16(row.value).size() <= row.value.size());
        break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    InventoryDocument document;
    document.Load(text);
    for (size_t i = 0; i < document.Nodes().size(); ++i) {
        const Node& node = document.Nodes()[i];
        Require(node.parent < static_cast<int>(i));
        Require(node.image >= 0 && node.image < kImageCount);
        int last = 0;
        for (const Row& row : document.RowsOf(i)) {
            Require(row.number >= last);
            last = row.number;
            FormatRow(row);
        }
        (void)vantrel::Utf8ToUtf16(node.text);
    }
    return 0;
}
