// The Registry's listing answer on arbitrary text: the same XML text as a
// page of root keys and as a page of a key below them, merged twice into the
// tree (a refresh that did not clear), then every path, lookup and cell the
// view asks of what was stored.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "framework/model/Answer.h"
#include "framework/model/Paging.h"
#include "framework/xml/Xml.h"
#include "snapins/registry/model/RegistryTree.h"
#include "snapins/registry/model/ValueFormat.h"

namespace {

using namespace vantrel;
using namespace vantrel::registry;

void Require(bool condition) {
    if (!condition) std::abort();
}

void CheckNode(RegistryTree& tree, const KeyNode& node) {
    const DataTexts texts{u"(value not set)", u"(zero-length binary value)"};
    for (const auto& child : node.Children()) {
        Require(IsKeyName(child->Name()));
        Require(node.FindChild(child->Name()) == child.get());
        Require(child->RootKey() != 0);
        // Every key can be found again by the address its requests carry.
        Require(tree.Find(AddressOf(*child)) == child.get());
    }
    for (size_t i = 0; i < node.Values().size(); ++i) {
        const ValueRecord& value = node.Values()[i];
        Require(node.FindValue(value.name) == i);
        const std::u16string text = DataText(value, texts);
        Require(!TypeName(value.type).empty());
        Require(!text.empty() || IsValueName(value.name));
        if (value.type != 1 && value.type != 2 && value.type != 7)
            Require(text.size() <= 64 * 3 + 3 || value.type == 4 || value.type == 5);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The input's bytes in an allocation of their own, freed before the
    // tree is read: records must own what they hold.
    auto text = std::make_unique<std::string>(reinterpret_cast<const char*>(data), size);
    CXmlElement root;
    if (ParseAnswer(*text, root) != AnswerText::Parsed) return 0;
    text.reset();

    RegistryTree tree(u"PC");
    MergePage(tree.Top(), ReadListingPage(root, true));
    // A root key of a number the page did not take (root numbers are unique).
    KeyNode* key = tree.FindRoot(0x7FFFFFFF);
    if (!key) key = tree.Top().AddChild(u"HKEY_FUZZ", true, 0x7FFFFFFF);
    if (!key && !tree.Top().Children().empty()) key = tree.Top().Children().front().get();
    if (!key) return 0;
    MergePage(*key, ReadListingPage(root, false));
    const size_t children = key->Children().size();
    const size_t values = key->Values().size();
    MergePage(*key, ReadListingPage(root, false));
    Require(key->Children().size() == children && key->Values().size() == values);
    CheckNode(tree, tree.Top());
    CheckNode(tree, *key);
    if (!key->Children().empty()) {
        KeyNode& child = *key->Children().front();
        MergePage(child, ReadListingPage(root, false));
        CheckNode(tree, child);
    }

    int64_t next = 0;
    NextPage(-1, ReadInt64(root, kUpToAttribute), ReadInt64(root, kTotalAttribute), &next, ContinueFrom::UpToPlusOne);
    return 0;
}
