#include "remote/eventviewer/EventFileStore.h"

#include <algorithm>
#include <cstring>

namespace vantrel::remote {
namespace {

constexpr char kMagic[8] = {'V', 'N', 'T', 'E', 'V', 'T', '0', '1'};
constexpr size_t kHeaderBytes = 24;  // magic, log, count, seed

uint64_t SavedSize(const SavedLogShape& shape) {
    return EventFileStore::kFixedBytes + uint64_t{shape.count} * EventFileStore::kBytesPerEvent;
}

void PutLittleEndian(uint8_t* out, uint64_t value, size_t bytes) {
    for (size_t i = 0; i < bytes; ++i) out[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint64_t GetLittleEndian(const uint8_t* in, size_t bytes) {
    uint64_t value = 0;
    for (size_t i = 0; i < bytes; ++i) value |= uint64_t{in[i]} << (8 * i);
    return value;
}

uint64_t Mix(uint64_t value) {
    value += 0x9E3779B97F4A7C15ull;
    value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9ull;
    value = (value ^ (value >> 27)) * 0x94D049BB133111EBull;
    return value ^ (value >> 31);
}

// The bytes of a saved log: its header, then records made from the seed.
void MakeBytes(const SavedLogShape& shape, uint64_t start, uint8_t* out, size_t length) {
    uint8_t header[kHeaderBytes] = {};
    std::memcpy(header, kMagic, sizeof kMagic);
    PutLittleEndian(header + 8, static_cast<uint64_t>(shape.log), 4);
    PutLittleEndian(header + 12, shape.count, 4);
    PutLittleEndian(header + 16, shape.seed, 8);
    size_t i = 0;
    for (; i < length && start + i < kHeaderBytes; ++i) out[i] = header[start + i];
    while (i < length) {
        const uint64_t at = start + i;
        const uint64_t word = Mix(shape.seed ^ (at / 8) ^ (uint64_t(shape.log) << 56));
        for (uint64_t b = at % 8; b < 8 && i < length; ++b, ++i) out[i] = static_cast<uint8_t>(word >> (8 * b));
    }
}

}  // namespace

void EventFileStore::SaveLog(const std::string& path, const SavedLogShape& shape) { files_[path] = File{shape, {}}; }

uint64_t EventFileStore::Size(const std::string& path) const {
    const auto found = files_.find(path);
    if (found == files_.end()) return 0;
    return found->second.shape ? SavedSize(*found->second.shape) : found->second.bytes.size();
}

std::vector<uint8_t> EventFileStore::Read(const std::string& path, uint64_t start, size_t length) const {
    const auto found = files_.find(path);
    const uint64_t size = Size(path);
    if (found == files_.end() || start >= size) return {};
    std::vector<uint8_t> out(static_cast<size_t>(std::min<uint64_t>(length, size - start)));
    if (found->second.shape)
        MakeBytes(*found->second.shape, start, out.data(), out.size());
    else
        std::copy_n(found->second.bytes.begin() + static_cast<std::ptrdiff_t>(start), out.size(), out.begin());
    return out;
}

bool EventFileStore::Copy(const std::string& from, const std::string& to) {
    const auto found = files_.find(from);
    if (found == files_.end()) return false;
    if (from != to) files_[to] = found->second;
    return true;
}

std::optional<SavedLogShape> EventFileStore::LogOf(const std::string& path) const {
    const auto found = files_.find(path);
    if (found == files_.end()) return std::nullopt;
    if (found->second.shape) return found->second.shape;
    const std::vector<uint8_t>& bytes = found->second.bytes;
    if (bytes.size() < kHeaderBytes || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) return std::nullopt;
    SavedLogShape shape;
    shape.log = static_cast<int>(GetLittleEndian(bytes.data() + 8, 4));
    shape.count = static_cast<uint32_t>(GetLittleEndian(bytes.data() + 12, 4));
    shape.seed = GetLittleEndian(bytes.data() + 16, 8);
    // A damaged or cut file is no log.
    if (shape.log < 0 || shape.log > 2 || bytes.size() != SavedSize(shape)) return std::nullopt;
    return shape;
}

std::optional<uint64_t> EventFileStore::Upload(const std::string& path, uint64_t start, const std::vector<uint8_t>& chunk,
                                               uint64_t declaredSize) {
    if (declaredSize > kMaxUpload) return std::nullopt;
    File& file = files_[path];
    if (start == 0) file = File{};
    if (file.shape || start != file.bytes.size() || start + chunk.size() > declaredSize) return std::nullopt;
    file.bytes.insert(file.bytes.end(), chunk.begin(), chunk.end());
    return file.bytes.size();
}

}  // namespace vantrel::remote
