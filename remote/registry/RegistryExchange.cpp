#include "remote/registry/RegistryExchange.h"

#include "framework/text/TextCompare.h"
#include "remote/registry/RegistrationFile.h"

#include <algorithm>
#include <string>

namespace vantrel::remote {
namespace {

RegistryError InvalidDataError() { return {13, u"The data is invalid."}; }

void Collect(const SimulatedKey& key, std::u16string path, std::vector<RegistrationKey>& out) {
    RegistrationKey entry;
    entry.path = path;
    for (const SimulatedValue& value : key.values) entry.values.push_back({value.name, value.type, value.data});
    out.push_back(std::move(entry));
    for (const auto& subkey : key.subkeys) {
        // A key the machine may not read is left out, as the system's own export does.
        if (subkey->listing == SimulatedKey::Listing::Denied) continue;
        Collect(*subkey, path + u'\\' + subkey->name, out);
    }
}

const RootKey* RootNamed(const SimulatedRegistry& registry, std::u16string_view name) {
    for (const RootKey& root : registry.Roots())
        if (EqualsNoCase(root.key->name, name)) return &root;
    return nullptr;
}

// Whether a full path names a root key of this registry and only key names after it.
bool Addressable(const SimulatedRegistry& registry, std::u16string_view fullPath) {
    const size_t slash = fullPath.find(u'\\');
    if (!RootNamed(registry, fullPath.substr(0, slash))) return false;
    if (slash == std::u16string_view::npos) return true;
    const std::u16string_view below = fullPath.substr(slash + 1);
    return !below.empty() && below.back() != u'\\' && below.find(u"\\\\") == std::u16string_view::npos;
}

// The key of an addressable full path, made with every missing key on the way.
SimulatedKey* MakePath(SimulatedRegistry& registry, std::u16string_view fullPath) {
    const size_t slash = fullPath.find(u'\\');
    const RootKey* root = RootNamed(registry, fullPath.substr(0, slash));
    if (!root) return nullptr;
    SimulatedKey* key = root->key.get();
    size_t start = slash == std::u16string_view::npos ? fullPath.size() : slash + 1;
    while (key && start < fullPath.size()) {
        size_t end = fullPath.find(u'\\', start);
        if (end == std::u16string_view::npos) end = fullPath.size();
        const std::u16string_view name = fullPath.substr(start, end - start);
        SimulatedKey* next = key->Subkey(name);
        key = next ? next : &key->AddSubkey(std::u16string(name));
        start = end + 1;
    }
    return key;
}

void RemoveKey(SimulatedRegistry& registry, std::u16string_view fullPath) {
    const size_t slash = fullPath.rfind(u'\\');
    if (slash == std::u16string_view::npos) return;  // a root key stays
    const size_t rootEnd = fullPath.find(u'\\');
    const RootKey* root = RootNamed(registry, fullPath.substr(0, rootEnd));
    if (!root) return;
    const std::u16string_view below = fullPath.substr(rootEnd + 1);
    const size_t parentEnd = below.rfind(u'\\');
    const std::u16string_view parentPath = parentEnd == std::u16string_view::npos ? u"" : below.substr(0, parentEnd);
    registry.Delete(root->number, parentPath, false, fullPath.substr(slash + 1));
}

void Apply(SimulatedKey& key, const RegistrationValue& value) {
    auto found = std::find_if(key.values.begin(), key.values.end(),
                              [&](const SimulatedValue& v) { return EqualsNoCase(v.name, value.name); });
    if (value.remove) {
        if (found != key.values.end()) key.values.erase(found);
    } else if (found != key.values.end()) {
        found->type = value.type;
        found->data = value.data;
    } else {
        key.values.push_back({value.name, value.type, value.data});
    }
}

}  // namespace

ExportedFile ExportRegistrationFile(SimulatedRegistry& registry, uint32_t rootKey, std::u16string_view path) {
    const SimulatedKey* key = registry.Find(rootKey, path);
    if (!key) return {{}, NotFoundError()};
    if (key->listing == SimulatedKey::Listing::Denied) return {{}, AccessDeniedError()};
    std::u16string fullPath;
    for (const RootKey& root : registry.Roots())
        if (root.number == rootKey) fullPath = root.key->name;
    if (!path.empty()) fullPath += u'\\' + std::u16string(path);
    std::vector<RegistrationKey> keys;
    Collect(*key, fullPath, keys);
    return {WriteRegistrationFile(keys), std::nullopt};
}

std::optional<RegistryError> ImportRegistrationFile(SimulatedRegistry& registry, std::span<const uint8_t> file) {
    const std::optional<std::vector<RegistrationKey>> keys = ReadRegistrationFile(file);
    if (!keys) return InvalidDataError();
    // Every key must be addressable before anything changes.
    for (const RegistrationKey& key : *keys)
        if (!Addressable(registry, key.path)) return NotFoundError();
    for (const RegistrationKey& key : *keys) {
        if (key.remove) {
            RemoveKey(registry, key.path);
            continue;
        }
        SimulatedKey* target = MakePath(registry, key.path);
        if (!target) return InvalidDataError();
        for (const RegistrationValue& value : key.values) Apply(*target, value);
    }
    return std::nullopt;
}

}  // namespace vantrel::remote
