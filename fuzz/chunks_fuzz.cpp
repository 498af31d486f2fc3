// The chunked transfer bookkeeping on arbitrary chunk sequences: each 25 bytes
// are one answer (start, up to, size as 64-bit numbers, then a mode byte that
// picks the decoded length, so that many answers are nearly right). The same
// sequence is read as the Event Viewer reads its 32-bit offsets and as the
// Registry's export reads its positions from high and low halves. Whatever
// arrives, a download never counts more than its fixed size, never moves
// backwards, counts exactly what it accepted, and stays failed; an upload
// confirms only what it sent.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "framework/model/ChunkedTransfer.h"
#include "snapins/registry/model/Protocol.h"

namespace {

using namespace vantrel;

void Require(bool condition) {
    if (!condition) std::abort();
}

int64_t Take64(const uint8_t* data) {
    int64_t value = 0;
    std::memcpy(&value, data, sizeof value);
    return value;
}

// Small numbers are where the mistakes are: fold most values into a range.
int64_t Near(int64_t value, uint8_t mode) { return (mode & 1) ? value : value % 70000; }

// A position as the Registry's answers carry it: two longs read unsigned.
int64_t FromHalves(int64_t value) {
    const auto bits = static_cast<uint64_t>(value);
    return static_cast<int64_t>(JoinHalves(HighHalf(bits), LowHalf(bits)));
}

void Download(const uint8_t* data, size_t size, uint64_t maxSize, bool halves) {
    ChunkedDownload download(maxSize);
    uint64_t accepted = 0;
    bool failed = false;
    bool complete = false;
    for (size_t at = 0; at + 25 <= size; at += 25) {
        const uint8_t mode = data[at + 24];
        ChunkHeader chunk;
        chunk.startAt = Near(Take64(data + at), mode);
        chunk.upTo = Near(Take64(data + at + 8), mode >> 1);
        chunk.fileSize = Near(Take64(data + at + 16), mode >> 2);
        if (halves) {
            chunk.startAt = FromHalves(chunk.startAt);
            chunk.upTo = FromHalves(chunk.upTo);
            chunk.fileSize = FromHalves(chunk.fileSize);
        }
        int64_t span = 0;
        const bool fits = !__builtin_sub_overflow(chunk.upTo, chunk.startAt, &span);
        chunk.bytes = (mode & 8) && fits && span >= 0 && span < (1 << 21) ? static_cast<size_t>(span) : mode;
        const uint64_t before = download.Written();
        const ChunkStep step = download.Accept(chunk);
        Require(download.Written() >= before);
        Require(download.Written() <= download.FileSize());
        Require(download.FileSize() <= maxSize);
        if (step == ChunkStep::Rejected) {
            Require(download.Written() == before);
            failed = true;
        } else {
            Require(!failed && !complete);
            Require(chunk.startAt == static_cast<int64_t>(before));
            accepted += chunk.bytes;
            complete = step == ChunkStep::Last;
            Require(complete == (download.Written() == download.FileSize()));
        }
        Require(download.Written() == accepted);
        Require(download.Failed() == failed);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Download(data, size, 1 << 20, false);
    Download(data, size, registry::protocol::kMaxTransferSize, true);

    ChunkedUpload upload;
    const uint64_t fileSize = size >= 8 ? static_cast<uint64_t>(Take64(data)) % (1ull << 32) : size;
    if (!upload.Start(fileSize, 8000)) {
        Require(fileSize > ChunkedUpload::kMaxFileSize);
        return 0;
    }
    for (size_t at = 8; at + 8 <= size; at += 8) {
        const size_t length = upload.NextLength();
        Require(length <= 8000 && upload.Sent() + length <= fileSize);
        upload.MarkSent(length);
        const int64_t claimed = (data[at] & 1) ? static_cast<int64_t>(upload.Sent()) : Take64(data + at);
        const ChunkStep step = upload.Confirm(claimed);
        Require((step == ChunkStep::Rejected) == (claimed != static_cast<int64_t>(upload.Sent()) || upload.Failed()));
        if (step != ChunkStep::More) break;
    }
    return 0;
}
