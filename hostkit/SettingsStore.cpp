// The store's entries and sections. The text form is in SettingsFormat.cpp,
// names in it in SettingsCodec.cpp, files in SettingsFile.cpp.
#include "hostkit/SettingsStore.h"

#include <utility>

namespace vantrel::host {

struct SettingsEntry::Tree {
    size_t count = 0;  // entries below the root
    SettingsEntry root{this, -1, std::wstring(), 0, 0};
};

// ---------------------------------------------------------------------------
// Entries

SettingsEntry::SettingsEntry(Tree* tree, int depth, std::wstring name, int32_t index, int32_t value)
    : tree_(tree), depth_(depth), name_(std::move(name)), index_(index), value_(value)
{
    if (depth_ >= 0)
        ++tree_->count;
}

SettingsEntry::~SettingsEntry()
{
    if (depth_ >= 0)
        --tree_->count;
}

namespace {

bool IsUsableName(const wchar_t* name)
{
    return name != nullptr && name[0] != L'\0';
}

}  // namespace

int32_t VANTREL_CALL SettingsEntry::Count()
{
    return static_cast<int32_t>(children_.size());
}

ISettingsNode* VANTREL_CALL SettingsEntry::Find(const wchar_t* name)
{
    return IsUsableName(name) ? FindEntry(name) : nullptr;
}

ISettingsNode* VANTREL_CALL SettingsEntry::At(int32_t position)
{
    if (position < 0 || static_cast<size_t>(position) >= children_.size())
        return nullptr;
    return children_[static_cast<size_t>(position)].get();
}

int32_t VANTREL_CALL SettingsEntry::GetNamedValue(const wchar_t* name)
{
    const SettingsEntry* entry = IsUsableName(name) ? FindEntry(name) : nullptr;
    return entry ? entry->value_ : 0;
}

ISettingsNode* VANTREL_CALL SettingsEntry::AddChild(const wchar_t* name, int32_t value)
{
    if (!IsUsableName(name))
        return nullptr;
    for (auto& child : children_) {
        if (child->name_ == name) {
            // Drop the old entry (and its count) before making the new one, so
            // that replacing never fails for want of room.
            std::wstring kept = std::move(child->name_);
            child.reset();
            child = MakeChild(std::move(kept), 0, value);
            if (!child) {
                RemoveEmptySlots();
                return nullptr;
            }
            return child.get();
        }
    }
    return Append(name, 0, value);
}

ISettingsNode* VANTREL_CALL SettingsEntry::AddAt(int32_t index, int32_t value)
{
    return Append(std::wstring(), index, value);
}

ISettingsNode* VANTREL_CALL SettingsEntry::SetNamedValue(const wchar_t* name, int32_t value)
{
    if (!IsUsableName(name))
        return nullptr;
    if (SettingsEntry* entry = FindEntry(name)) {
        entry->value_ = value;
        return entry;
    }
    return Append(name, 0, value);
}

void VANTREL_CALL SettingsEntry::RemoveNamed(const wchar_t* name)
{
    if (!IsUsableName(name))
        return;
    for (auto it = children_.begin(); it != children_.end(); ++it) {
        if ((*it)->name_ == name) {
            children_.erase(it);
            return;
        }
    }
}

void VANTREL_CALL SettingsEntry::RemoveAt(int32_t position)
{
    if (position < 0 || static_cast<size_t>(position) >= children_.size())
        return;
    children_.erase(children_.begin() + position);
}

SettingsEntry* SettingsEntry::FindEntry(std::wstring_view name)
{
    return const_cast<SettingsEntry*>(std::as_const(*this).FindEntry(name));
}

const SettingsEntry* SettingsEntry::FindEntry(std::wstring_view name) const
{
    if (name.empty())
        return nullptr;
    for (const auto& child : children_) {
        if (child->name_ == name)
            return child.get();
    }
    return nullptr;
}

void SettingsEntry::RemoveEmptySlots()
{
    std::erase(children_, nullptr);
}

SettingsEntry* SettingsEntry::Append(std::wstring name, int32_t index, int32_t value)
{
    auto child = MakeChild(std::move(name), index, value);
    if (!child)
        return nullptr;
    children_.push_back(std::move(child));
    return children_.back().get();
}

bool SettingsEntry::CanAdd(size_t nameLength) const
{
    return depth_ + 1 < SettingsLimits::kMaxDepth && tree_->count < SettingsLimits::kMaxEntries &&
           nameLength <= SettingsLimits::kMaxNameLength;
}

std::unique_ptr<SettingsEntry> SettingsEntry::MakeChild(std::wstring name, int32_t index, int32_t value)
{
    if (!CanAdd(name.size()))
        return nullptr;
    return std::make_unique<SettingsEntry>(tree_, depth_ + 1, std::move(name), index, value);
}

// ---------------------------------------------------------------------------
// Store

SettingsStore::SettingsStore() : tree_(std::make_unique<SettingsEntry::Tree>()) {}

SettingsStore::~SettingsStore() = default;

SettingsEntry& SettingsStore::Root()
{
    return tree_->root;
}

const SettingsEntry& SettingsStore::Root() const
{
    return tree_->root;
}

size_t SettingsStore::EntryCount() const
{
    return tree_->count;
}

ISettingsNode* SettingsStore::SnapInSection(int32_t snapInId)
{
    if (SettingsEntry* section = FindSnapInSection(snapInId))
        return section;
    const std::string digits = std::to_string(snapInId);
    return Root().Append(std::wstring(digits.begin(), digits.end()), snapInId, 0);
}

SettingsEntry* SettingsStore::FindSnapInSection(int32_t snapInId)
{
    const std::string digits = std::to_string(snapInId);
    return Root().FindEntry(std::wstring(digits.begin(), digits.end()));
}

void SettingsStore::Clear()
{
    tree_ = std::make_unique<SettingsEntry::Tree>();
}

}  // namespace vantrel::host
