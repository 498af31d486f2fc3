// The remote registry as far as it has been listed: a tree of key nodes under
// the computer's node, each with its subkeys and values in the order the
// machine sent them and indexed by name (case-insensitively, as the registry
// compares names).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vantrel {
class CXmlElement;
}

namespace vantrel::registry {

enum class LoadState : uint8_t { NotLoaded = 0, Requested = 1, Canceled = 2, Loaded = 3, Failed = 4 };

struct ValueRecord {
    std::u16string name;  // empty: the key's default value
    uint32_t type = 0;
    std::vector<uint8_t> data;  // its size is the value's size
};

class KeyNode {
public:
    KeyNode(std::u16string name, uint32_t rootKey, bool hasChildren, KeyNode* parent);
    KeyNode(const KeyNode&) = delete;
    KeyNode& operator=(const KeyNode&) = delete;

    const std::u16string& Name() const { return name_; }
    uint32_t RootKey() const { return rootKey_; }
    KeyNode* Parent() const { return parent_; }
    bool IsTop() const { return parent_ == nullptr; }
    bool IsRootKey() const { return parent_ && parent_->IsTop(); }
    bool HasChildren() const { return hasChildren_; }
    LoadState State() const { return state_; }
    void SetState(LoadState state) { state_ = state; }
    // The view's handle of the node's tree item; the model never reads it.
    uintptr_t item = 0;

    // ---- subkeys ----
    const std::vector<std::unique_ptr<KeyNode>>& Children() const { return children_; }
    KeyNode* FindChild(std::u16string_view name) const;
    // Null when the name cannot be a key's (empty, "\" or NUL in it), is
    // taken, or the node holds as many subkeys as a list may.
    KeyNode* AddChild(std::u16string name, bool hasChildren, uint32_t rootKey);
    // Frees the child and its subtree.
    void RemoveChild(const KeyNode* child);
    // False when the new name is not a key's or is another child's.
    bool RenameChild(const KeyNode* child, std::u16string newName);

    // ---- values ----
    const std::vector<ValueRecord>& Values() const { return values_; }
    std::optional<size_t> FindValue(std::u16string_view name) const;
    // The position of the new value; none when the name is taken, holds a NUL
    // or the key holds as many values as a list may.
    std::optional<size_t> AddValue(ValueRecord value);
    bool RemoveValue(std::u16string_view name);
    bool RenameValue(std::u16string_view name, std::u16string newName);
    bool SetValueData(std::u16string_view name, uint32_t type, std::vector<uint8_t> data);

    // Forgets every subkey and value (a listing starts again).
    void ClearContents();
    bool IsWithin(const KeyNode* ancestor) const;

private:
    friend class RegistryTree;
    void IndexValues();

    std::u16string name_;
    uint32_t rootKey_;
    bool hasChildren_;
    LoadState state_ = LoadState::NotLoaded;
    KeyNode* parent_;
    std::vector<std::unique_ptr<KeyNode>> children_;
    std::unordered_map<std::u16string, KeyNode*> childIndex_;  // by folded name
    std::vector<ValueRecord> values_;
    std::unordered_map<std::u16string, size_t> valueIndex_;  // by folded name
};

// Names as the index keeps them: upper-cased unit by unit.
std::u16string FoldedName(std::u16string_view name);
// Whether a text can name a key (not empty, no "\" and no NUL) or a value (no NUL).
bool IsKeyName(std::u16string_view name);
bool IsValueName(std::u16string_view name);

// The names of the node and its ancestors from the top down, joined by "\":
// the full path begins with the root key's name, the request path with the
// first key below it (empty for a root key). Neither names the computer.
std::u16string FullPath(const KeyNode& node);
std::u16string RequestPath(const KeyNode& node);
// A request path split at "\" (empty: no components).
std::vector<std::u16string_view> PathComponents(std::u16string_view path);

// Where a key lives: its root key's number and its request path.
struct KeyAddress {
    uint32_t rootKey = 0;
    std::u16string path;
    bool operator==(const KeyAddress&) const = default;
};
KeyAddress AddressOf(const KeyNode& node);

class RegistryTree {
public:
    explicit RegistryTree(std::u16string computerName = {});
    // The computer's node shows the remote machine's name.
    void SetComputerName(std::u16string name) { top_.name_ = std::move(name); }
    KeyNode& Top() { return top_; }
    const KeyNode& Top() const { return top_; }
    // Root key 0 is the top node; otherwise the root key with that number and
    // down the components of the path. Null when any step is missing.
    KeyNode* Find(uint32_t rootKey, std::u16string_view path);
    KeyNode* Find(const KeyAddress& address) { return Find(address.rootKey, address.path); }
    KeyNode* FindRoot(uint32_t rootKey);

private:
    KeyNode top_;
};

// The remote machine's name in the host's title prefix: the text in square
// brackets when there is one, else the prefix without trailing blanks.
std::u16string ComputerNameFromTitle(std::u16string_view prefix);

// ---- one page of a listing ----------------------------------------------------------

struct KeyEntry {
    std::u16string name;
    bool hasChildren = false;
    uint32_t rootKey = 0;
};

struct ListingPage {
    std::vector<KeyEntry> keys;
    std::vector<ValueRecord> values;
};

// The subkeys and values of a page, in document order. A value's data is
// decoded only when its "ValSize" is not 0, and the decoded bytes are its data
// whatever "ValSize" says. `rootKeys` reads the root-key list: a key without a
// number of its own (0) cannot be addressed and is left out.
ListingPage ReadListingPage(const CXmlElement& root, bool rootKeys);

// What a page added to a node: its new subkeys and the positions of its new
// values. Names that cannot be addressed or are there already are skipped,
// as is a root key whose number another root key has.
struct MergedPage {
    std::vector<KeyNode*> keys;
    std::vector<size_t> values;
};
MergedPage MergePage(KeyNode& node, ListingPage page);

// ---- the navigation walk towards a key (and maybe a value) ------------------------------

struct NavigationTarget {
    uint32_t rootKey = 0;
    std::u16string path;  // request path of the key
    std::u16string valueName;
    bool isValue = false;
};

struct WalkStep {
    enum class Kind {
        Arrived,  // `node` is the target's key
        List,     // `node` must be listed before the walk can go on
        Wait,     // `node` is being listed
        Missing,  // the key `missing` (a full path) does not exist
    } kind = Kind::Missing;
    KeyNode* node = nullptr;
    // Loaded keys on the way, top down: the view expands them.
    std::vector<KeyNode*> passed;
    std::u16string missing;
};

WalkStep StepTowards(RegistryTree& tree, const NavigationTarget& target);

}  // namespace vantrel::registry
