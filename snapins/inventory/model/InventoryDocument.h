// An inventory file read into what the tree and the list show: the elements
// that are categories, in document order with their parents, each with its
// attributes as rows ordered by field number.
#pragma once

#include "framework/xml/Xml.h"
#include "snapins/inventory/model/InventoryDictionary.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::inventory {

struct Row {
    std::string_view name;
    std::string_view value;  // UTF-8, followed by a zero
    int number;              // 0 for a name outside the field table
};

struct Node {
    int parent;  // index of the parent node, -1 at the top level
    const Category* category;
    int image;
    // The field value that names the item, for categories with a text rule
    // (empty when the element lacks the field); otherwise the label.
    bool showsLabel;
    std::string_view text;  // UTF-8
    uint32_t firstRow;
    uint32_t rowCount;
};

enum class LoadOutcome {
    kLoaded,
    kEmpty,      // nothing but blanks (and a declaration)
    kMalformed,  // the nodes hold what was parsed before the error
};

// An XML declaration, processing instructions and blanks at the start of a
// file, and a UTF-8 byte order mark, are no part of the document. Only they
// are skipped: a "<?" further on is the document's own text.
size_t PrologLength(std::string_view text);

class InventoryDocument {
public:
    // `text` must be followed by a zero (a std::string's data is).
    LoadOutcome Load(std::string_view text);
    void Clear();

    const std::vector<Node>& Nodes() const { return nodes_; }
    std::span<const Row> RowsOf(size_t node) const;
    // The parser's message for a malformed document.
    const std::string& Error() const { return error_; }

private:
    void Build();
    void AddNode(const CXmlElement& element, int parent, std::vector<const CXmlElement*>& pending,
                 std::vector<int>& parents);

    CXmlElement root_;
    std::vector<Node> nodes_;
    std::vector<Row> rows_;
    std::string error_;
};

}  // namespace vantrel::inventory
