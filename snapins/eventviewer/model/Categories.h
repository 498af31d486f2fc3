// The category names of a live log: for each event source the names of its
// category numbers, as the managed machine sends them with command 301 in
// pages. A page carries a position (two indexes) to continue from and a
// "Total" that is 0 while more pages follow.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace vantrel {
class CXmlElement;
}

namespace vantrel::eventviewer {

class CategoryTable {
public:
    // A machine has a few hundred sources with a few categories each; a table
    // far beyond that is cut rather than filling the console's memory.
    static constexpr size_t kMaxCategories = 200000;

    // Appends a category to its source (source names compare case-sensitively);
    // false when the table is full.
    bool Add(std::u16string_view source, uint32_t number, std::u16string_view name);
    // The name of a source's category; the first one given wins. Null when
    // the pair is not in the table.
    const std::u16string* Find(std::u16string_view source, uint32_t number) const;

    bool Empty() const { return count_ == 0 && sources_.empty(); }
    size_t Sources() const { return sources_.size(); }
    // The sources in the order they came, and the categories of each.
    const std::u16string& SourceName(size_t source) const { return sources_[source].name; }
    const std::vector<std::pair<uint32_t, std::u16string>>& SourceCategories(size_t source) const {
        return sources_[source].categories;
    }
    size_t Count() const { return count_; }
    bool Full() const { return count_ >= kMaxCategories; }
    void Clear();

private:
    struct Source {
        std::u16string name;
        std::vector<std::pair<uint32_t, std::u16string>> categories;
    };

    // Looked up by view, without making a text for each cell of the list.
    struct NameHash {
        using is_transparent = void;
        size_t operator()(std::u16string_view name) const { return std::hash<std::u16string_view>{}(name); }
    };

    std::vector<Source> sources_;
    std::unordered_map<std::u16string, size_t, NameHash, std::equal_to<>> sourceIndex_;
    size_t count_ = 0;
};

// Where the next page of categories starts.
struct CategoryPosition {
    uint32_t category = 0;     // "CatInd"
    uint32_t subCategory = 0;  // "SubCatInd"

    friend bool operator==(const CategoryPosition&, const CategoryPosition&) = default;
};

struct CategoryPage {
    CategoryPosition position;  // the page's own "CatInd" and "SubCatInd"
    bool last = false;          // "Total" is not 0: the table is complete
    size_t merged = 0;          // categories added
};

// Merges the sources and categories of one page (its root element) into the
// table. Sources without a name and categories without a readable number are
// skipped. SourceName and CategoryName are Base64 UTF-16 texts.
CategoryPage MergeCategoryPage(const CXmlElement& root, CategoryTable& table);

enum class CategoryStep { Continue, Done, Failed };

// What follows a page answered for a request sent from `sent`: Done after the
// last page or once the table is full; Continue from the page's position when
// that lies past the one sent; Failed when it does not (a machine that keeps
// answering the same page would never end).
CategoryStep NextCategoryPage(CategoryPosition sent, const CategoryPage& page, const CategoryTable& table);

}  // namespace vantrel::eventviewer
