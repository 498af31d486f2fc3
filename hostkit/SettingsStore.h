// The console's settings store: one tree of entries, each with a wide name
// (empty for entries added by index), an index, a value and sub-entries in
// order. Every snap-in owns one section below the root. The store keeps itself
// within the limits below so that whatever it holds can be saved and loaded
// again; an operation that would exceed them does nothing and returns null.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/HostObjects.h"

namespace vantrel::host {

struct SettingsLimits {
    static constexpr size_t kMaxEntries = 50000;            // in the whole store
    static constexpr int kMaxDepth = 32;                    // levels of entries
    static constexpr size_t kMaxNameLength = 256;           // wide characters
    static constexpr size_t kMaxLineBytes = 4096;           // in a saved file
    static constexpr size_t kMaxFileBytes = 64u << 20;      // a saved file
};

class SettingsEntry final : public ISettingsNode, public ISettingsList {
public:
    struct Tree;  // the store-wide entry count the limits are checked against

    SettingsEntry(Tree* tree, int depth, std::wstring name, int32_t index, int32_t value);
    ~SettingsEntry();
    SettingsEntry(const SettingsEntry&) = delete;
    SettingsEntry& operator=(const SettingsEntry&) = delete;

    // ISettingsNode
    int32_t VANTREL_CALL GetIndex() override { return index_; }
    int32_t VANTREL_CALL GetValue() override { return value_; }
    ISettingsList* VANTREL_CALL Items() override { return this; }

    // ISettingsList. A null or empty name names no entry: lookups find
    // nothing, additions return null, removals do nothing.
    int32_t VANTREL_CALL Count() override;
    ISettingsNode* VANTREL_CALL Find(const wchar_t* name) override;
    ISettingsNode* VANTREL_CALL At(int32_t position) override;
    int32_t VANTREL_CALL GetNamedValue(const wchar_t* name) override;
    // A replaced entry keeps its position.
    ISettingsNode* VANTREL_CALL AddChild(const wchar_t* name, int32_t value) override;
    ISettingsNode* VANTREL_CALL AddAt(int32_t index, int32_t value) override;
    ISettingsNode* VANTREL_CALL SetNamedValue(const wchar_t* name, int32_t value) override;
    void VANTREL_CALL RemoveNamed(const wchar_t* name) override;
    void VANTREL_CALL RemoveAt(int32_t position) override;

    const std::wstring& Name() const { return name_; }
    int32_t Index() const { return index_; }
    int32_t Value() const { return value_; }
    int Depth() const { return depth_; }
    size_t ChildCount() const { return children_.size(); }
    const SettingsEntry& ChildAt(size_t position) const { return *children_.at(position); }
    SettingsEntry* FindEntry(std::wstring_view name);
    const SettingsEntry* FindEntry(std::wstring_view name) const;

    // Appends without looking for an entry of the same name (loading a file);
    // null when a limit would be exceeded.
    SettingsEntry* Append(std::wstring name, int32_t index, int32_t value);

private:
    bool CanAdd(size_t nameLength) const;
    void RemoveEmptySlots();
    std::unique_ptr<SettingsEntry> MakeChild(std::wstring name, int32_t index, int32_t value);

    Tree* tree_;
    int depth_;
    std::wstring name_;
    int32_t index_;
    int32_t value_;
    std::vector<std::unique_ptr<SettingsEntry>> children_;
};

class SettingsStore {
public:
    SettingsStore();
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    // The section of a snap-in (named by its number, index = the number),
    // created on demand; null only when the store is full.
    ISettingsNode* SnapInSection(int32_t snapInId);
    // Null when the snap-in has no section.
    SettingsEntry* FindSnapInSection(int32_t snapInId);

    SettingsEntry& Root();
    const SettingsEntry& Root() const;
    size_t EntryCount() const;

    // Drops every entry; nodes handed out before are gone.
    void Clear();

    // Writes to a temporary file beside the target ("<target>.tmp-" and sixteen
    // hex digits of its own), flushes it to disk and renames it over the
    // target. On failure the temporary file is removed, the target is left as
    // it was and *error (if given) says why.
    bool SaveToFile(const std::filesystem::path& target, std::string* error) const;
    // Replaces the store's content. A missing file gives an empty store and
    // success; a damaged or unreadable one fails with an empty store.
    bool LoadFromFile(const std::filesystem::path& source, std::string* error);

    // The text form that SaveToFile writes and LoadFromFile reads.
    std::string Serialize() const;
    bool Deserialize(std::string_view text, std::string* error);

private:
    std::unique_ptr<SettingsEntry::Tree> tree_;
};

// Wide text to UTF-8 and back, for UTF-16 and UTF-32 wchar_t alike. Unpaired
// surrogates are kept (as three-byte sequences) so that any name round-trips;
// on decoding, invalid UTF-8 fails.
std::string WideToUtf8(std::wstring_view text);
bool Utf8ToWide(std::string_view text, std::wstring* out);

}  // namespace vantrel::host
