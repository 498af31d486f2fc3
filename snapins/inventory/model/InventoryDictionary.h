// What the inventory's element and attribute names mean: the categories that
// the tree shows and the fields that the list shows, as fixed tables.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace vantrel::inventory {

// Strings of the labels: a category's is kCategoryLabelBase + its label
// number, a field's kFieldLabelBase + its number.
constexpr unsigned kCategoryLabelBase = 10101;
constexpr unsigned kFieldLabelBase = 10601;
constexpr int kNoLabel = -1;
// Pictures in the tree's image list.
constexpr int kImageCount = 58;

struct Category {
    std::string_view name;
    int label;                  // kNoLabel: none
    int image;
    std::string_view textField; // empty: the item shows the label
};

enum class ValueFormat : uint8_t {
    kPlain,
    kDate,        // ISO 8601-style date and time
    kHex,         // "%d (0x%04X)"
    kDriveType,   // a drive type's name
    kSingleLine,  // line breaks and tabs become spaces
    kSize,        // bytes as KB, MB or GB with the exact count
    kLanguage,    // a language identifier's name
};

struct Field {
    int number;  // orders the list; 0 for names outside the table
    std::string_view name;
    ValueFormat format;
};

std::span<const Category> Categories();
std::span<const Field> Fields();

// Null for a name that is no category.
const Category* FindCategory(std::string_view name);
// Null for a name that is no field.
const Field* FindField(std::string_view name);
ValueFormat FormatOf(int fieldNumber);

// The element `Drive` shows the picture of its drive type (the text of its
// `SubType`, null when it has none).
int DriveImage(const Category& drive, const char* subType);

}  // namespace vantrel::inventory
