#include "snapins/inventory/model/InventoryDocument.h"

#include <algorithm>

namespace vantrel::inventory {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

size_t SkipBlanks(std::string_view text, size_t at) {
    while (at < text.size() && IsBlank(text[at])) ++at;
    return at;
}

// Rows of one element by field number; equal numbers keep the document order.
// Elements have a handful of attributes, where insertion is the fastest sort.
void SortRows(std::span<Row> rows) {
    if (rows.size() > 32) {
        std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) { return a.number < b.number; });
        return;
    }
    for (size_t i = 1; i < rows.size(); ++i) {
        const Row row = rows[i];
        size_t j = i;
        for (; j > 0 && rows[j - 1].number > row.number; --j) rows[j] = rows[j - 1];
        rows[j] = row;
    }
}

}  // namespace

size_t PrologLength(std::string_view text) {
    size_t at = text.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    for (;;) {
        at = SkipBlanks(text, at);
        if (text.substr(at, 2) != "<?") return at;
        const size_t end = text.find("?>", at + 2);
        if (end == std::string_view::npos) return text.size();  // an instruction never closed holds no document
        at = end + 2;
    }
}

void InventoryDocument::Clear() {
    root_.Clear();
    nodes_.clear();
    rows_.clear();
    error_.clear();
}

LoadOutcome InventoryDocument::Load(std::string_view text) {
    Clear();
    const size_t start = PrologLength(text);
    if (SkipBlanks(text, start) == text.size()) return LoadOutcome::kEmpty;
    CXmlOptions options;
    // The parser may end an element it could not finish and go on: only a
    // parse without a recorded error is the whole document.
    const bool parsed = root_.Parse(text.data() + start, options) != nullptr && !options.error.failed;
    Build();
    if (parsed) return LoadOutcome::kLoaded;
    error_ = options.error.message;
    return LoadOutcome::kMalformed;
}

std::span<const Row> InventoryDocument::RowsOf(size_t node) const {
    if (node >= nodes_.size()) return {};
    return std::span<const Row>(rows_).subspan(nodes_[node].firstRow, nodes_[node].rowCount);
}

void InventoryDocument::Build() {
    // Depth first without recursion: the parser allows deep nesting.
    std::vector<const CXmlElement*> pending;
    std::vector<int> parents;
    for (int i = root_.GetChildCount() - 1; i >= 0; --i) {
        pending.push_back(root_.GetChild(i));
        parents.push_back(-1);
    }
    while (!pending.empty()) {
        const CXmlElement* element = pending.back();
        const int parent = parents.back();
        pending.pop_back();
        parents.pop_back();
        AddNode(*element, parent, pending, parents);
    }
}

void InventoryDocument::AddNode(const CXmlElement& element, int parent, std::vector<const CXmlElement*>& pending,
                                std::vector<int>& parents) {
    // An element that is no category hides everything below it.
    const Category* category = FindCategory(element.Name());
    if (!category) return;
    Node node{parent, category, category->image, category->textField.empty(), {}, static_cast<uint32_t>(rows_.size()), 0};
    for (int i = 0; i < element.GetAttributeCount(); ++i) {
        const CXmlAttribute* attribute = element.GetAttributeAt(i);
        const Field* field = FindField(attribute->Name());
        rows_.push_back({attribute->Name(), attribute->Value(), field ? field->number : 0});
        if (!node.showsLabel && !node.text.data() && attribute->Name() == category->textField) node.text = attribute->Value();
    }
    node.rowCount = static_cast<uint32_t>(rows_.size()) - node.firstRow;
    SortRows(std::span<Row>(rows_).subspan(node.firstRow, node.rowCount));
    if (category->name == "Drive") node.image = DriveImage(*category, element.GetAttribute("SubType"));
    const int index = static_cast<int>(nodes_.size());
    nodes_.push_back(node);
    for (int i = element.GetChildCount() - 1; i >= 0; --i) {
        pending.push_back(element.GetChild(i));
        parents.push_back(index);
    }
}

}  // namespace vantrel::inventory
