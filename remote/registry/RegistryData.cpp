#include "remote/registry/RegistryData.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>

#include "framework/text/TextCompare.h"
#include "remote/Random.h"
#include "snapins/registry/model/Protocol.h"

namespace vantrel::remote {

namespace {

namespace wire = registry::protocol;

constexpr uint32_t kClassesRoot = 0x80000000u;
constexpr uint32_t kCurrentUser = 0x80000001u;
constexpr uint32_t kLocalMachine = 0x80000002u;
constexpr uint32_t kUsers = 0x80000003u;
constexpr uint32_t kCurrentConfig = 0x80000005u;

int Scaled(int scale, int atOne, int atHundred)
{
    return atOne + (std::clamp(scale, 1, 100) - 1) * (atHundred - atOne) / 99;
}

int Within(std::optional<int> size, int derived)
{
    return std::clamp(size.value_or(derived), 0, MachineConfig::kMaxEntries);
}

std::u16string U16(std::string_view ascii) { return std::u16string(ascii.begin(), ascii.end()); }

std::u16string Number(uint64_t value) { return U16(std::to_string(value)); }

std::vector<uint8_t> Utf16Bytes(std::u16string_view text, int terminators)
{
    std::vector<uint8_t> bytes;
    bytes.reserve((text.size() + terminators) * 2);
    for (char16_t unit : text) {
        bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<uint8_t>(unit >> 8));
    }
    bytes.insert(bytes.end(), static_cast<size_t>(terminators) * 2, 0);
    return bytes;
}

std::vector<uint8_t> Sz(std::u16string_view text) { return Utf16Bytes(text, 1); }

std::vector<uint8_t> MultiSz(std::initializer_list<std::u16string_view> strings)
{
    std::vector<uint8_t> bytes;
    for (std::u16string_view s : strings) {
        const std::vector<uint8_t> one = Utf16Bytes(s, 1);
        bytes.insert(bytes.end(), one.begin(), one.end());
    }
    bytes.push_back(0);
    bytes.push_back(0);
    return bytes;
}

std::vector<uint8_t> Dword(uint32_t value)
{
    return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value >> 16),
            static_cast<uint8_t>(value >> 24)};
}

std::vector<uint8_t> Bytes(Random& random, size_t size)
{
    std::vector<uint8_t> bytes(size);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(random.Next());
    return bytes;
}

void Add(SimulatedKey& key, std::u16string name, uint32_t type, std::vector<uint8_t> data)
{
    key.values.push_back({std::move(name), type, std::move(data)});
}

// A key's path made of its components, each made when missing.
SimulatedKey& Path(SimulatedKey& from, std::initializer_list<std::u16string_view> names)
{
    SimulatedKey* key = &from;
    for (std::u16string_view name : names) {
        SimulatedKey* next = key->Subkey(name);
        key = next ? next : &key->AddSubkey(std::u16string(name));
    }
    return *key;
}

std::u16string Guid(Random& random)
{
    char text[40];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%04X-%012llX}", static_cast<unsigned>(random.Next()),
                  static_cast<unsigned>(random.Below(0x10000)), static_cast<unsigned>(random.Below(0x10000)),
                  static_cast<unsigned>(random.Below(0x10000)),
                  static_cast<unsigned long long>(random.Next() & 0xFFFFFFFFFFFFULL));
    return U16(text);
}

constexpr std::u16string_view kVendors[] = {
    u"Adler Software", u"Müller Systeme", u"Ålesund Data", u"Τεχνική Λογισμικού", u"Сибирь Софт",
    u"東京ソフト", u"Brightwater", u"Cobalt Works", u"Dunmore Labs", u"Élan Informatique",
    u"Fjord Tools", u"Granite Peak", u"Hollis & Vane", u"Iberia Código", u"Juniper Line",
    u"Kestrel Media", u"Lumen Office", u"Marlow Graphics", u"Nordlys", u"Orchard Audio",
    u"Pinecrest", u"Quill Text", u"Ridgeback Net", u"Saffron Games", u"Tidewater",
    u"Umbra Security", u"Vireo Mail", u"Wrenfield", u"Xanthe Print", u"Zephyr Backup"};
constexpr std::u16string_view kProducts[] = {u"Studio", u"Reader", u"Updater", u"Sync", u"Viewer"};
constexpr std::u16string_view kExtensions[] = {u"txt", u"doc", u"png", u"jpg", u"zip", u"log", u"xml", u"csv",
                                               u"htm", u"ini", u"reg", u"bmp", u"wav", u"mp3", u"pdf", u"rtf"};
constexpr std::u16string_view kServiceWords[] = {u"Audio", u"Print", u"Net", u"Time", u"Disk", u"Crypt", u"Event",
                                                 u"Task", u"Update", u"Search", u"Remote", u"Power", u"Themes"};

void MakeSoftware(SimulatedKey& software, Random& random)
{
    for (std::u16string_view vendor : kVendors) {
        SimulatedKey& vendorKey = software.AddSubkey(std::u16string(vendor));
        for (std::u16string_view product : kProducts) {
            SimulatedKey& productKey = vendorKey.AddSubkey(std::u16string(product));
            for (int version = 1; version <= 3; ++version) {
                SimulatedKey& v = productKey.AddSubkey(Number(version) + u".0");
                Add(v, u"InstallPath", wire::kRegSz,
                    Sz(u"C:\\Program Files\\" + std::u16string(vendor) + u"\\" + std::u16string(product)));
                Add(v, u"Version", wire::kRegSz, Sz(Number(version) + u"." + Number(random.Below(10)) + u"." +
                                                      Number(random.Below(5000))));
                Add(v, u"Installed", wire::kRegDword, Dword(1));
                Add(v, u"Language", wire::kRegDword, Dword(static_cast<uint32_t>(random.Between(1031, 1049))));
                Add(v, u"Größe", wire::kRegDword, Dword(static_cast<uint32_t>(random.Below(900000))));
                Add(v, u"Описание", wire::kRegSz, Sz(u"Программа " + std::u16string(product)));
                Add(v, u"Features", wire::kRegMultiSz, MultiSz({u"Core", u"Help", u"Samples"}));
                Add(v, u"Licence", wire::kRegBinary, Bytes(random, 16 + random.Below(48)));
                Add(v, u"DataPath", wire::kRegExpandSz, Sz(u"%APPDATA%\\" + std::u16string(vendor)));
                Add(v, u"LastCheck", wire::kRegQword, Bytes(random, 8));
            }
        }
    }
}

void MakeServices(SimulatedKey& services, Random& random)
{
    for (int i = 0; i < 150; ++i) {
        const std::u16string name = std::u16string(kServiceWords[i % std::size(kServiceWords)]) + u"Svc" + Number(i);
        SimulatedKey& service = services.AddSubkey(name);
        Add(service, u"Type", wire::kRegDword, Dword(i % 3 == 0 ? 16 : 32));
        Add(service, u"Start", wire::kRegDword, Dword(static_cast<uint32_t>(2 + random.Below(3))));
        Add(service, u"ErrorControl", wire::kRegDword, Dword(1));
        Add(service, u"ImagePath", wire::kRegExpandSz, Sz(u"%SystemRoot%\\system32\\" + name + u".exe"));
        Add(service, u"DisplayName", wire::kRegSz, Sz(name + u" Service"));
        Add(service, u"ObjectName", wire::kRegSz, Sz(u"LocalSystem"));
        Add(service, u"DependOnService", wire::kRegMultiSz, MultiSz({u"RpcSs", u"Tcpip"}));
        Add(service, u"FailureActions", wire::kRegBinary, Bytes(random, 20));
        if (i % 3 == 0) {
            SimulatedKey& parameters = service.AddSubkey(u"Parameters");
            Add(parameters, u"ServiceDll", wire::kRegExpandSz, Sz(u"%SystemRoot%\\system32\\" + name + u".dll"));
        }
    }
}

void MakeClasses(SimulatedKey& classes, const MachineConfig& config, Random& random)
{
    const int extensions = Scaled(config.scale, 600, 2000);
    for (int i = 0; i < extensions; ++i) {
        std::u16string name = u"." + std::u16string(kExtensions[i % std::size(kExtensions)]);
        if (i >= static_cast<int>(std::size(kExtensions))) name += Number(i);
        SimulatedKey& extension = classes.AddSubkey(name);
        Add(extension, u"", wire::kRegSz, Sz(name.substr(1) + u"file"));
        Add(extension, u"Content Type", wire::kRegSz, Sz(u"application/x-" + name.substr(1)));
    }
    SimulatedKey& clsid = classes.AddSubkey(u"CLSID");
    const int count = ClassCount(config);
    // Made unordered, ordered once: inserting a hundred thousand in order one
    // by one would take quadratic time.
    std::vector<std::unique_ptr<SimulatedKey>> made;
    made.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        auto key = std::make_unique<SimulatedKey>();
        key->name = Guid(random);
        Add(*key, u"", wire::kRegSz, Sz(u"Component " + Number(i)));
        if (i % 5 == 0) {
            SimulatedKey& server = key->AddSubkey(u"InprocServer32");
            Add(server, u"", wire::kRegExpandSz, Sz(u"%SystemRoot%\\system32\\comp" + Number(i) + u".dll"));
            Add(server, u"ThreadingModel", wire::kRegSz, Sz(u"Apartment"));
        }
        made.push_back(std::move(key));
    }
    std::sort(made.begin(), made.end(), [](const auto& a, const auto& b) { return CompareNoCase(a->name, b->name) < 0; });
    made.erase(std::unique(made.begin(), made.end(),
                           [](const auto& a, const auto& b) { return EqualsNoCase(a->name, b->name); }),
               made.end());
    clsid.subkeys = std::move(made);
}

void MakeTypes(SimulatedKey& types, Random& random)
{
    Add(types, u"", wire::kRegSz, Sz(u"Every type"));
    Add(types, u"String", wire::kRegSz, Sz(u"Grüße aus Köln"));
    Add(types, u"Empty String", wire::kRegSz, {});
    Add(types, u"Unterminated", wire::kRegSz, Utf16Bytes(u"no end", 0));
    Add(types, u"Odd String", wire::kRegSz, {'A', 0, 'B', 0, 'C'});
    Add(types, u"Expandable", wire::kRegExpandSz, Sz(u"%SystemRoot%\\system32"));
    Add(types, u"Multi", wire::kRegMultiSz, MultiSz({u"eins", u"zwei", u"drei"}));
    Add(types, u"Empty Multi", wire::kRegMultiSz, {});
    Add(types, u"DWORD", wire::kRegDword, Dword(42));
    Add(types, u"Big Endian", wire::kRegDwordBigEndian, {0, 0, 0, 0x2A});
    Add(types, u"Short DWORD", wire::kRegDword, {0x2A, 0x01});
    Add(types, u"Empty DWORD", wire::kRegDword, {});
    Add(types, u"QWORD", wire::kRegQword, {1, 2, 3, 4, 5, 6, 7, 8});
    Add(types, u"Short QWORD", wire::kRegQword, {9, 8, 7});
    Add(types, u"Binary", wire::kRegBinary, Bytes(random, 16));
    Add(types, u"Binary 64", wire::kRegBinary, Bytes(random, 64));
    Add(types, u"Binary 65", wire::kRegBinary, Bytes(random, 65));
    Add(types, u"Odd Binary", wire::kRegBinary, Bytes(random, 7));
    Add(types, u"Empty Binary", wire::kRegBinary, {});
    Add(types, u"Large Binary", wire::kRegBinary, Bytes(random, 1 << 20));
    Add(types, u"None", wire::kRegNone, {1, 2, 3});
    Add(types, u"Link", wire::kRegLink, Utf16Bytes(u"\\Registry\\Machine\\Software", 0));
    Add(types, u"Resource List", wire::kRegResourceList, Bytes(random, 20));
    Add(types, u"Descriptor", wire::kRegFullResourceDescriptor, Bytes(random, 12));
    Add(types, u"Requirements", wire::kRegResourceRequirementsList, Bytes(random, 24));
    Add(types, u"Unknown Type", 0x1234, {0xDE, 0xAD});
    Add(types, u"名前", wire::kRegSz, Sz(u"値"));
    Add(types, u"Ελληνικά", wire::kRegSz, Sz(u"Καλημέρα"));
}

void MakeManyValues(SimulatedKey& key, const MachineConfig& config)
{
    const int count = ManyValuesCount(config);
    key.values.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const std::u16string name = u"Value " + Number(i);
        if (i % 2 == 0)
            Add(key, name, wire::kRegDword, Dword(static_cast<uint32_t>(i)));
        else
            Add(key, name, wire::kRegSz, Sz(u"Eintrag Nummer " + Number(i)));
    }
}

void MakeCurrentUser(SimulatedKey& user, const MachineConfig& config, Random& random)
{
    SimulatedKey& desktop = Path(user, {u"Control Panel", u"Desktop"});
    Add(desktop, u"Wallpaper", wire::kRegSz, Sz(u"C:\\Windows\\Web\\Wallpaper\\Fjord.jpg"));
    Add(desktop, u"ScreenSaveTimeOut", wire::kRegSz, Sz(u"600"));
    Add(desktop, u"UserPreferencesMask", wire::kRegBinary, Bytes(random, 8));
    SimulatedKey& environment = Path(user, {u"Environment"});
    Add(environment, u"TEMP", wire::kRegExpandSz, Sz(u"%USERPROFILE%\\AppData\\Local\\Temp"));
    Add(environment, u"Path", wire::kRegExpandSz, Sz(u"%USERPROFILE%\\bin"));
    SimulatedKey& vantrel = Path(user, {u"Software", u"Vantrel"});
    MakeTypes(vantrel.AddSubkey(u"Types"), random);
    MakeManyValues(vantrel.AddSubkey(u"Many Values"), config);
    // Large enough at scale 100 for an export of about 200 MB.
    if (const int bulk = Within(config.registry.bulkValues, Scaled(config.scale, 0, 32)); bulk > 0) {
        SimulatedKey& key = vantrel.AddSubkey(u"Bulk");
        Random own(config.seed * 0x5E1 + 15);  // the other keys stay as they are at every scale
        for (int i = 0; i < bulk; ++i) Add(key, u"Block " + Number(i), wire::kRegBinary, Bytes(own, 1 << 20));
    }
    SimulatedKey& deep = Path(vantrel, {u"Deep", u"Ebene 1", u"Ebene 2", u"Ebene 3"});
    Add(deep, u"Ziel", wire::kRegSz, Sz(u"gefunden"));
    MakeSoftware(Path(user, {u"Software"}), random);
}

void MakeLocalMachine(SimulatedKey& machine, Random& random)
{
    SimulatedKey& cpu = Path(machine, {u"HARDWARE", u"DESCRIPTION", u"System", u"CentralProcessor", u"0"});
    Add(cpu, u"ProcessorNameString", wire::kRegSz, Sz(u"Simulated CPU @ 2.40GHz"));
    Add(cpu, u"~MHz", wire::kRegDword, Dword(2400));
    Add(cpu, u"Configuration Data", wire::kRegFullResourceDescriptor, Bytes(random, 40));
    Path(machine, {u"SAM"}).listing = SimulatedKey::Listing::Denied;
    Path(machine, {u"SECURITY"}).listing = SimulatedKey::Listing::Denied;
    SimulatedKey& software = Path(machine, {u"SOFTWARE"});
    Path(software, {u"Vantrel", u"Slow Listing"}).listing = SimulatedKey::Listing::Canceled;
    MakeSoftware(software, random);
    SimulatedKey& control = Path(machine, {u"SYSTEM", u"CurrentControlSet", u"Control"});
    Add(control, u"SystemBootDevice", wire::kRegSz, Sz(u"multi(0)disk(0)rdisk(0)partition(1)"));
    MakeServices(Path(machine, {u"SYSTEM", u"CurrentControlSet", u"Services"}), random);
}

// The first name the template makes that no existing name takes.
template <typename Taken>
std::u16string FreeName(std::u16string_view pattern, Taken taken)
{
    const size_t slot = pattern.find(u"%u");
    for (uint32_t n = 1;; ++n) {
        std::u16string name(pattern);
        if (slot != std::u16string_view::npos) name.replace(slot, 2, Number(n));
        if (!taken(name) || slot == std::u16string_view::npos) return name;
    }
}

bool IsKeyNameText(std::u16string_view name)
{
    return !name.empty() && name.find(u'\\') == std::u16string_view::npos && name.find(u'\0') == std::u16string_view::npos;
}

}  // namespace

RegistryError NotFoundError() { return {2, u"The system cannot find the file specified."}; }
RegistryError AccessDeniedError() { return {5, u"Access is denied."}; }
RegistryError CanceledError() { return {1223, u"The operation was canceled by the user."}; }

int ClassCount(const MachineConfig& config) { return Within(config.registry.classes, Scaled(config.scale, 500, 100000)); }

int ManyValuesCount(const MachineConfig& config)
{
    return Within(config.registry.manyValues, Scaled(config.scale, 3000, 100000));
}

SimulatedKey* SimulatedKey::Subkey(std::u16string_view name) const
{
    const auto found = std::lower_bound(subkeys.begin(), subkeys.end(), name,
                                        [](const auto& key, std::u16string_view n) { return CompareNoCase(key->name, n) < 0; });
    return found != subkeys.end() && EqualsNoCase((*found)->name, name) ? found->get() : nullptr;
}

SimulatedKey& SimulatedKey::AddSubkey(std::u16string name)
{
    const auto at = std::lower_bound(subkeys.begin(), subkeys.end(), name,
                                     [](const auto& key, std::u16string_view n) { return CompareNoCase(key->name, n) < 0; });
    auto key = std::make_unique<SimulatedKey>();
    key->name = std::move(name);
    return **subkeys.insert(at, std::move(key));
}

SimulatedValue* SimulatedKey::Value(std::u16string_view name)
{
    for (SimulatedValue& value : values)
        if (EqualsNoCase(value.name, name)) return &value;
    return nullptr;
}

SimulatedRegistry::SimulatedRegistry(const MachineConfig& config)
{
    Random random(config.seed * 0x5E1 + 14);
    const auto root = [this](uint32_t number, std::u16string_view name) -> SimulatedKey& {
        roots_.push_back({number, std::make_unique<SimulatedKey>()});
        roots_.back().key->name = std::u16string(name);
        return *roots_.back().key;
    };
    MakeClasses(root(kClassesRoot, u"HKEY_CLASSES_ROOT"), config, random);
    MakeCurrentUser(root(kCurrentUser, u"HKEY_CURRENT_USER"), config, random);
    MakeLocalMachine(root(kLocalMachine, u"HKEY_LOCAL_MACHINE"), random);
    SimulatedKey& users = root(kUsers, u"HKEY_USERS");
    Add(Path(users, {u".DEFAULT", u"Control Panel", u"International"}), u"sShortDate", wire::kRegSz, Sz(u"dd.MM.yyyy"));
    Path(users, {u"S-1-5-18"});
    SimulatedKey& config_ = root(kCurrentConfig, u"HKEY_CURRENT_CONFIG");
    Add(Path(config_, {u"System", u"CurrentControlSet", u"Control", u"Print"}), u"Printers", wire::kRegMultiSz,
        MultiSz({u"Drucker Büro"}));
}

SimulatedKey* SimulatedRegistry::Find(uint32_t rootKey, std::u16string_view path)
{
    SimulatedKey* key = nullptr;
    for (const RootKey& root : roots_)
        if (root.number == rootKey) key = root.key.get();
    size_t start = 0;
    while (key && start < path.size()) {
        size_t end = path.find(u'\\', start);
        if (end == std::u16string_view::npos) end = path.size();
        key = key->Subkey(path.substr(start, end - start));
        start = end + 1;
    }
    return key;
}

std::optional<RegistryError> SimulatedRegistry::CreateKey(uint32_t rootKey, std::u16string_view path,
                                                          std::u16string_view pattern, std::u16string* created)
{
    SimulatedKey* parent = Find(rootKey, path);
    if (!parent) return NotFoundError();
    if (parent->listing == SimulatedKey::Listing::Denied) return AccessDeniedError();
    std::u16string name = FreeName(pattern, [parent](const std::u16string& n) { return parent->Subkey(n) != nullptr; });
    if (!IsKeyNameText(name) || parent->Subkey(name)) return RegistryError{87, u"The parameter is incorrect."};
    *created = parent->AddSubkey(std::move(name)).name;
    return std::nullopt;
}

std::optional<RegistryError> SimulatedRegistry::CreateValue(uint32_t rootKey, std::u16string_view path,
                                                            std::u16string_view pattern, uint32_t type,
                                                            std::vector<uint8_t> data, std::u16string* created)
{
    SimulatedKey* key = Find(rootKey, path);
    if (!key) return NotFoundError();
    if (key->listing == SimulatedKey::Listing::Denied) return AccessDeniedError();
    std::u16string name = FreeName(pattern, [key](const std::u16string& n) { return key->Value(n) != nullptr; });
    if (key->Value(name)) return RegistryError{87, u"The parameter is incorrect."};
    key->values.push_back({name, type, std::move(data)});
    *created = std::move(name);
    return std::nullopt;
}

std::optional<RegistryError> SimulatedRegistry::Rename(uint32_t rootKey, std::u16string_view path, bool isValue,
                                                       std::u16string_view name, std::u16string_view newName)
{
    SimulatedKey* key = Find(rootKey, path);
    if (!key) return NotFoundError();
    if (isValue) {
        SimulatedValue* value = key->Value(name);
        if (!value) return NotFoundError();
        if (SimulatedValue* other = key->Value(newName); other && other != value)
            return RegistryError{183, u"Cannot create a file when that file already exists."};
        value->name = std::u16string(newName);
        return std::nullopt;
    }
    if (!IsKeyNameText(newName)) return RegistryError{87, u"The parameter is incorrect."};
    const auto found = std::find_if(key->subkeys.begin(), key->subkeys.end(),
                                    [name](const auto& k) { return EqualsNoCase(k->name, name); });
    if (found == key->subkeys.end()) return NotFoundError();
    if ((*found)->listing == SimulatedKey::Listing::Denied) return AccessDeniedError();
    if (SimulatedKey* other = key->Subkey(newName); other && other != found->get())
        return RegistryError{183, u"Cannot create a file when that file already exists."};
    std::unique_ptr<SimulatedKey> moved = std::move(*found);
    key->subkeys.erase(found);
    moved->name = std::u16string(newName);
    const auto at = std::lower_bound(key->subkeys.begin(), key->subkeys.end(), moved->name,
                                     [](const auto& k, std::u16string_view n) { return CompareNoCase(k->name, n) < 0; });
    key->subkeys.insert(at, std::move(moved));
    return std::nullopt;
}

std::optional<RegistryError> SimulatedRegistry::Delete(uint32_t rootKey, std::u16string_view path, bool isValue,
                                                       std::u16string_view name)
{
    SimulatedKey* key = Find(rootKey, path);
    if (!key) return NotFoundError();
    if (isValue) {
        const auto found = std::find_if(key->values.begin(), key->values.end(),
                                        [name](const SimulatedValue& v) { return EqualsNoCase(v.name, name); });
        if (found == key->values.end()) return NotFoundError();
        key->values.erase(found);
        return std::nullopt;
    }
    const auto found = std::find_if(key->subkeys.begin(), key->subkeys.end(),
                                    [name](const auto& k) { return EqualsNoCase(k->name, name); });
    if (found == key->subkeys.end()) return NotFoundError();
    if ((*found)->listing == SimulatedKey::Listing::Denied) return AccessDeniedError();
    key->subkeys.erase(found);
    return std::nullopt;
}

std::optional<RegistryError> SimulatedRegistry::SetValue(uint32_t rootKey, std::u16string_view path,
                                                         std::u16string_view name, uint32_t type,
                                                         std::vector<uint8_t> data)
{
    SimulatedKey* key = Find(rootKey, path);
    if (!key) return NotFoundError();
    SimulatedValue* value = key->Value(name);
    if (!value) return NotFoundError();
    value->type = type;
    value->data = std::move(data);
    return std::nullopt;
}

}  // namespace vantrel::remote
