// The simulated machine's registry: the usual root keys with realistic keys
// and values of every type, grown with the machine's scale, and the changes
// the Registry makes to it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "remote/RemoteMachine.h"

namespace vantrel::remote {

struct SimulatedValue {
    std::u16string name;
    uint32_t type = 0;
    std::vector<uint8_t> data;
};

struct SimulatedKey {
    enum class Listing { Normal, Denied, Canceled };

    std::u16string name;
    Listing listing = Listing::Normal;
    std::vector<std::unique_ptr<SimulatedKey>> subkeys;  // in the registry's order of names
    std::vector<SimulatedValue> values;                   // in the order they were made

    SimulatedKey* Subkey(std::u16string_view name) const;
    SimulatedKey& AddSubkey(std::u16string name);  // keeps the order; the name must be free
    SimulatedValue* Value(std::u16string_view name);
};

struct RootKey {
    uint32_t number;
    std::unique_ptr<SimulatedKey> key;
};

// Error codes of the machine and their texts.
struct RegistryError {
    int32_t code;
    std::u16string text;
};

class SimulatedRegistry {
public:
    explicit SimulatedRegistry(const MachineConfig& config);

    const std::vector<RootKey>& Roots() const { return roots_; }
    // The key at a root key's number and a path below it; null when missing.
    SimulatedKey* Find(uint32_t rootKey, std::u16string_view path);

    // Each returns the error that stops it, or none. A template's "%u" takes
    // the first number that makes a free name.
    std::optional<RegistryError> CreateKey(uint32_t rootKey, std::u16string_view path, std::u16string_view pattern,
                                           std::u16string* created);
    std::optional<RegistryError> CreateValue(uint32_t rootKey, std::u16string_view path, std::u16string_view pattern,
                                             uint32_t type, std::vector<uint8_t> data, std::u16string* created);
    std::optional<RegistryError> Rename(uint32_t rootKey, std::u16string_view path, bool isValue,
                                        std::u16string_view name, std::u16string_view newName);
    std::optional<RegistryError> Delete(uint32_t rootKey, std::u16string_view path, bool isValue,
                                        std::u16string_view name);
    std::optional<RegistryError> SetValue(uint32_t rootKey, std::u16string_view path, std::u16string_view name,
                                          uint32_t type, std::vector<uint8_t> data);

private:
    std::vector<RootKey> roots_;
};

// The errors the machine answers with.
RegistryError NotFoundError();
RegistryError AccessDeniedError();
RegistryError CanceledError();

// Sizes: the key with the most subkeys (HKEY_CLASSES_ROOT\CLSID) and the one
// with the most values (HKEY_CURRENT_USER\Software\Vantrel\Many Values) hold
// a few hundred and a few thousand at scale 1 and 100,000 each at scale 100.
int ClassCount(const MachineConfig& config);
int ManyValuesCount(const MachineConfig& config);

}  // namespace vantrel::remote
