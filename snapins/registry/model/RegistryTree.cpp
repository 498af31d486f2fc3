#include "snapins/registry/model/RegistryTree.h"

#include "framework/model/Answer.h"
#include "framework/model/Paging.h"
#include "framework/text/Base64.h"
#include "framework/text/TextCompare.h"
#include "framework/xml/Xml.h"
#include "snapins/registry/model/Protocol.h"

#include <algorithm>
#include <array>
#include <string>

namespace vantrel::registry {

namespace wire = protocol;

std::u16string FoldedName(std::u16string_view name) {
    std::u16string folded(name);
    for (char16_t& unit : folded) unit = FoldCase(unit);
    return folded;
}

bool IsValueName(std::u16string_view name) { return name.find(u'\0') == std::u16string_view::npos; }

bool IsKeyName(std::u16string_view name) {
    return !name.empty() && IsValueName(name) && name.find(wire::kPathSeparator) == std::u16string_view::npos;
}

// ---- key nodes ----------------------------------------------------------------------

KeyNode::KeyNode(std::u16string name, uint32_t rootKey, bool hasChildren, KeyNode* parent)
    : name_(std::move(name)), rootKey_(rootKey), hasChildren_(hasChildren), parent_(parent) {}

KeyNode* KeyNode::FindChild(std::u16string_view name) const {
    const auto found = childIndex_.find(FoldedName(name));
    return found == childIndex_.end() ? nullptr : found->second;
}

KeyNode* KeyNode::AddChild(std::u16string name, bool hasChildren, uint32_t rootKey) {
    if (!IsKeyName(name) || !ListHasRoom(children_.size())) return nullptr;
    auto [slot, added] = childIndex_.try_emplace(FoldedName(name), nullptr);
    if (!added) return nullptr;
    children_.push_back(std::make_unique<KeyNode>(std::move(name), rootKey, hasChildren, this));
    slot->second = children_.back().get();
    return slot->second;
}

void KeyNode::RemoveChild(const KeyNode* child) {
    const auto found =
        std::find_if(children_.begin(), children_.end(), [child](const auto& c) { return c.get() == child; });
    if (found == children_.end()) return;
    childIndex_.erase(FoldedName((*found)->name_));
    children_.erase(found);
}

bool KeyNode::RenameChild(const KeyNode* child, std::u16string newName) {
    if (!child || child->parent_ != this || !IsKeyName(newName)) return false;
    std::u16string oldKey = FoldedName(child->name_);
    std::u16string newKey = FoldedName(newName);
    // A change of case alone keeps the child's place in the index.
    if (newKey != oldKey) {
        if (childIndex_.contains(newKey)) return false;
        childIndex_.erase(oldKey);
        childIndex_.emplace(std::move(newKey), const_cast<KeyNode*>(child));
    }
    const_cast<KeyNode*>(child)->name_ = std::move(newName);
    return true;
}

std::optional<size_t> KeyNode::FindValue(std::u16string_view name) const {
    const auto found = valueIndex_.find(FoldedName(name));
    return found == valueIndex_.end() ? std::nullopt : std::optional(found->second);
}

std::optional<size_t> KeyNode::AddValue(ValueRecord value) {
    if (!IsValueName(value.name) || !ListHasRoom(values_.size())) return std::nullopt;
    if (!valueIndex_.try_emplace(FoldedName(value.name), values_.size()).second) return std::nullopt;
    values_.push_back(std::move(value));
    return values_.size() - 1;
}

bool KeyNode::RemoveValue(std::u16string_view name) {
    const std::optional<size_t> index = FindValue(name);
    if (!index) return false;
    values_.erase(values_.begin() + static_cast<std::ptrdiff_t>(*index));
    IndexValues();
    return true;
}

bool KeyNode::RenameValue(std::u16string_view name, std::u16string newName) {
    const std::optional<size_t> index = FindValue(name);
    if (!index || !IsValueName(newName)) return false;
    const std::optional<size_t> other = FindValue(newName);
    if (other && *other != *index) return false;
    values_[*index].name = std::move(newName);
    IndexValues();
    return true;
}

bool KeyNode::SetValueData(std::u16string_view name, uint32_t type, std::vector<uint8_t> data) {
    const std::optional<size_t> index = FindValue(name);
    if (!index) return false;
    values_[*index].type = type;
    values_[*index].data = std::move(data);
    return true;
}

void KeyNode::IndexValues() {
    valueIndex_.clear();
    for (size_t i = 0; i < values_.size(); ++i) valueIndex_.emplace(FoldedName(values_[i].name), i);
}

void KeyNode::ClearContents() {
    children_.clear();
    childIndex_.clear();
    values_.clear();
    valueIndex_.clear();
}

bool KeyNode::IsWithin(const KeyNode* ancestor) const {
    for (const KeyNode* node = this; node; node = node->parent_)
        if (node == ancestor) return true;
    return false;
}

// ---- paths ----------------------------------------------------------------------------

namespace {

// Joins the names from the node up to (not including) `stop`.
std::u16string JoinUpTo(const KeyNode& node, const KeyNode* stop) {
    std::vector<const KeyNode*> chain;
    for (const KeyNode* n = &node; n && n != stop && !n->IsTop(); n = n->Parent()) chain.push_back(n);
    std::u16string path;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (!path.empty()) path += wire::kPathSeparator;
        path += (*it)->Name();
    }
    return path;
}

const KeyNode* RootKeyOf(const KeyNode& node) {
    const KeyNode* n = &node;
    while (n->Parent() && !n->IsRootKey()) n = n->Parent();
    return n;
}

}  // namespace

std::u16string FullPath(const KeyNode& node) { return JoinUpTo(node, nullptr); }

std::u16string RequestPath(const KeyNode& node) {
    if (node.IsTop() || node.IsRootKey()) return {};
    return JoinUpTo(node, RootKeyOf(node));
}

std::vector<std::u16string_view> PathComponents(std::u16string_view path) {
    std::vector<std::u16string_view> components;
    if (path.empty()) return components;
    size_t start = 0;
    for (;;) {
        const size_t end = path.find(wire::kPathSeparator, start);
        components.push_back(
            path.substr(start, end == std::u16string_view::npos ? std::u16string_view::npos : end - start));
        if (end == std::u16string_view::npos) break;
        start = end + 1;
    }
    return components;
}

KeyAddress AddressOf(const KeyNode& node) { return {node.RootKey(), RequestPath(node)}; }

// ---- the tree ---------------------------------------------------------------------------

RegistryTree::RegistryTree(std::u16string computerName) : top_(std::move(computerName), 0, true, nullptr) {}

KeyNode* RegistryTree::FindRoot(uint32_t rootKey) {
    if (rootKey == 0) return &top_;
    for (const auto& child : top_.Children())
        if (child->RootKey() == rootKey) return child.get();
    return nullptr;
}

KeyNode* RegistryTree::Find(uint32_t rootKey, std::u16string_view path) {
    KeyNode* node = FindRoot(rootKey);
    if (rootKey == 0) return path.empty() ? node : nullptr;
    for (std::u16string_view component : PathComponents(path)) {
        if (!node) return nullptr;
        node = node->FindChild(component);
    }
    return node;
}

std::u16string ComputerNameFromTitle(std::u16string_view prefix) {
    const size_t open = prefix.find(u'[');
    const size_t close = open == std::u16string_view::npos ? open : prefix.find(u']', open);
    std::u16string_view name = close != std::u16string_view::npos ? prefix.substr(open + 1, close - open - 1) : prefix;
    while (!name.empty() && (name.back() == u' ' || name.back() == u'-')) name.remove_suffix(1);
    return std::u16string(name);
}

// ---- pages -------------------------------------------------------------------------------

namespace {

KeyEntry ReadKeyElement(const CXmlElement& element) {
    static constexpr std::array<std::string_view, 2> kNames = {wire::kAttrHasChildren, wire::kAttrKey};
    std::array<const char*, kNames.size()> values{};
    FindAttributes(element, kNames, values);
    KeyEntry entry;
    entry.name = ReadText(element, wire::kAttrName);
    entry.hasChildren = values[0] && UInt32Value(values[0]) != 0;
    entry.rootKey = UInt32Value(values[1]);
    return entry;
}

ValueRecord ReadValueElement(const CXmlElement& element) {
    static constexpr std::array<std::string_view, 3> kNames = {wire::kAttrType, wire::kAttrValSize, wire::kAttrValue};
    std::array<const char*, kNames.size()> values{};
    FindAttributes(element, kNames, values);
    ValueRecord record;
    record.name = ReadText(element, wire::kAttrName);
    record.type = UInt32Value(values[0]);
    // The bytes that arrived are the data, whatever size was declared.
    if (UInt32Value(values[1]) != 0 && values[2]) record.data = Base64Decode(values[2]);
    return record;
}

}  // namespace

ListingPage ReadListingPage(const CXmlElement& root, bool rootKeys) {
    ListingPage page;
    for (int i = 0; i < root.GetChildCount(); ++i) {
        const CXmlElement* element = root.GetChild(i);
        if (element->Name() == wire::kKeyElement) {
            KeyEntry entry = ReadKeyElement(*element);
            if (!rootKeys) entry.rootKey = 0;
            if (rootKeys && entry.rootKey == 0) continue;
            page.keys.push_back(std::move(entry));
        } else if (element->Name() == wire::kValueElement) {
            page.values.push_back(ReadValueElement(*element));
        }
    }
    return page;
}

MergedPage MergePage(KeyNode& node, ListingPage page) {
    MergedPage merged;
    const uint32_t inherited = node.RootKey();
    for (KeyEntry& entry : page.keys) {
        const uint32_t rootKey = node.IsTop() ? entry.rootKey : inherited;
        if (node.IsTop() && std::any_of(node.Children().begin(), node.Children().end(),
                                        [rootKey](const auto& c) { return c->RootKey() == rootKey; }))
            continue;
        if (KeyNode* child = node.AddChild(std::move(entry.name), entry.hasChildren, rootKey))
            merged.keys.push_back(child);
    }
    // The top node is the computer: it has no values.
    if (node.IsTop()) return merged;
    for (ValueRecord& value : page.values)
        if (const std::optional<size_t> index = node.AddValue(std::move(value))) merged.values.push_back(*index);
    return merged;
}

// ---- the walk ------------------------------------------------------------------------------

namespace {

// A node that must be (re)listed before its children can be looked up, or
// waited for; none when it is loaded.
std::optional<WalkStep::Kind> LoadStep(const KeyNode& node) {
    switch (node.State()) {
    case LoadState::Loaded:
        return std::nullopt;
    case LoadState::Requested:
        return WalkStep::Kind::Wait;
    default:
        return WalkStep::Kind::List;
    }
}

}  // namespace

WalkStep StepTowards(RegistryTree& tree, const NavigationTarget& target) {
    WalkStep step;
    KeyNode* node = &tree.Top();
    if (const auto load = LoadStep(*node)) {
        step.kind = *load;
        step.node = node;
        return step;
    }
    node = tree.FindRoot(target.rootKey);
    if (!node || target.rootKey == 0) {
        // A root key the machine did not list is known only by its number.
        const std::string number = std::to_string(target.rootKey);
        step.missing.assign(1, u'#');
        step.missing.append(number.begin(), number.end());
        return step;
    }
    for (std::u16string_view component : PathComponents(target.path)) {
        if (const auto load = LoadStep(*node)) {
            step.kind = *load;
            step.node = node;
            return step;
        }
        step.passed.push_back(node);
        KeyNode* child = node->FindChild(component);
        if (!child) {
            step.missing = FullPath(*node);
            step.missing += wire::kPathSeparator;
            step.missing += component;
            return step;
        }
        node = child;
    }
    // The target key itself is listed too when its value is wanted.
    if (target.isValue) {
        if (const auto load = LoadStep(*node)) {
            step.kind = *load;
            step.node = node;
            return step;
        }
    }
    step.kind = WalkStep::Kind::Arrived;
    step.node = node;
    return step;
}

}  // namespace vantrel::registry
