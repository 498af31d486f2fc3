// The files of the simulated machine's Event Viewer: logs saved by 305 (made
// of the log's shape, so that a saved log of 200 MB costs nothing until it is
// read) and files uploaded by 307 (their bytes). A saved log opens again as
// the events it held.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vantrel::remote {

// What a saved log file holds: the log it came from and its events then.
struct SavedLogShape {
    int log = 0;
    uint32_t count = 0;
    uint64_t seed = 0;
};

class EventFileStore {
public:
    // Uploads beyond this are refused: the machine's disk is not endless.
    static constexpr uint64_t kMaxUpload = 64ull << 20;
    // Bytes a saved log takes for each event, and for its header and tables.
    static constexpr uint64_t kBytesPerEvent = 392;
    static constexpr uint64_t kFixedBytes = 65536;

    void SaveLog(const std::string& path, const SavedLogShape& shape);
    bool Exists(const std::string& path) const { return files_.count(path) != 0; }
    uint64_t Size(const std::string& path) const;
    // Up to `length` bytes from `start` (fewer at the end of the file).
    std::vector<uint8_t> Read(const std::string& path, uint64_t start, size_t length) const;
    bool Copy(const std::string& from, const std::string& to);
    bool Remove(const std::string& path) { return files_.erase(path) != 0; }
    // The log a file holds, read from its header; nothing for another file.
    std::optional<SavedLogShape> LogOf(const std::string& path) const;

    // An upload: a chunk from 0 starts it afresh, every other chunk must
    // continue it. The bytes so far, or nothing when refused.
    std::optional<uint64_t> Upload(const std::string& path, uint64_t start, const std::vector<uint8_t>& chunk,
                                   uint64_t declaredSize);

private:
    struct File {
        std::optional<SavedLogShape> shape;  // a saved log: its bytes are made
        std::vector<uint8_t> bytes;          // any other file
    };
    std::map<std::string, File> files_;
};

}  // namespace vantrel::remote
