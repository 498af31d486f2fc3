// The bookkeeping of a file moved in chunks between the managed machine and
// the console's disk. The other side is not trusted: a download accepts only
// the chunk that follows what was written, within the size its first chunk
// fixed; an upload keeps its own offset and accepts only an answer that
// confirms exactly the bytes sent so far.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vantrel {

// A 64-bit byte position sent as two 32-bit numbers, high half first.
constexpr uint64_t JoinHalves(uint32_t high, uint32_t low) { return (uint64_t{high} << 32) | low; }
constexpr uint32_t HighHalf(uint64_t value) { return static_cast<uint32_t>(value >> 32); }
constexpr uint32_t LowHalf(uint64_t value) { return static_cast<uint32_t>(value); }

// What an answer says of the chunk it carries.
struct ChunkHeader {
    int64_t startAt = 0;   // "FilePackageStartAt"
    int64_t upTo = 0;      // "FilePackageUpTo"
    int64_t fileSize = 0;  // "FileSize"
    size_t bytes = 0;      // the length of the decoded chunk: the truth
};

enum class ChunkStep {
    Rejected,  // not the next chunk, or the sizes disagree: the transfer fails
    More,      // write it and ask for the next one from NextStart()
    Last,      // write it: the file is complete
};

class ChunkedDownload {
public:
    // Files beyond maxSize are refused: the default for offsets that travel
    // as 32 bits.
    explicit ChunkedDownload(uint64_t maxSize = kMax32BitFile) : maxSize_(maxSize) {}
    static constexpr uint64_t kMax32BitFile = 0xFFFFFFFFull;

    // Judges the next chunk and, unless rejected, counts it as written. A
    // rejected transfer stays rejected.
    ChunkStep Accept(const ChunkHeader& chunk);

    uint64_t Written() const { return written_; }
    uint64_t NextStart() const { return written_; }
    // The size the first chunk fixed (0 before it).
    uint64_t FileSize() const { return fileSize_; }
    bool Failed() const { return failed_; }
    bool Complete() const { return complete_; }

private:
    ChunkStep Reject() {
        failed_ = true;
        return ChunkStep::Rejected;
    }

    uint64_t maxSize_;
    uint64_t written_ = 0;
    uint64_t fileSize_ = 0;
    bool started_ = false;
    bool failed_ = false;
    bool complete_ = false;
};

class ChunkedUpload {
public:
    // Offsets that travel as signed 32-bit numbers: 2^31 bytes and more do not fit.
    static constexpr uint64_t kMaxFileSize = 0x7FFFFFFFull;

    // False (nothing to send) for a file larger than maxSize.
    bool Start(uint64_t fileSize, size_t chunkSize, uint64_t maxSize = kMaxFileSize);

    uint64_t FileSize() const { return fileSize_; }
    // Bytes handed out so far: where the next chunk starts.
    uint64_t Sent() const { return sent_; }
    // The length of the next chunk (0 when everything was sent).
    size_t NextLength() const;
    // The next chunk was sent: `length` bytes from Sent().
    void MarkSent(size_t length) { sent_ += length; }

    // The answer to the chunk just sent: its "FilePackageUpTo" must confirm
    // every byte sent so far. Last when that was the whole file.
    ChunkStep Confirm(int64_t upTo);
    bool Failed() const { return failed_; }

private:
    uint64_t fileSize_ = 0;
    uint64_t sent_ = 0;
    size_t chunkSize_ = 0;
    bool failed_ = false;
};

}  // namespace vantrel
