#include "framework/model/ChunkedTransfer.h"

#include <algorithm>

namespace vantrel {

ChunkStep ChunkedDownload::Accept(const ChunkHeader& chunk) {
    if (failed_ || complete_) return Reject();
    if (chunk.startAt < 0 || chunk.upTo < 0 || chunk.fileSize < 0) return Reject();
    const auto size = static_cast<uint64_t>(chunk.fileSize);
    if (!started_) {
        if (size > maxSize_) return Reject();
        fileSize_ = size;
        started_ = true;
        // An empty file comes as one empty chunk.
        if (size == 0 && chunk.startAt == 0 && chunk.upTo == 0 && chunk.bytes == 0) {
            complete_ = true;
            return ChunkStep::Last;
        }
    } else if (size != fileSize_) {
        return Reject();
    }
    const auto start = static_cast<uint64_t>(chunk.startAt);
    const auto upTo = static_cast<uint64_t>(chunk.upTo);
    if (start != written_ || upTo <= start || upTo > fileSize_ || upTo - start != chunk.bytes) return Reject();
    written_ = upTo;
    if (written_ < fileSize_) return ChunkStep::More;
    complete_ = true;
    return ChunkStep::Last;
}

bool ChunkedUpload::Start(uint64_t fileSize, size_t chunkSize, uint64_t maxSize) {
    fileSize_ = fileSize;
    sent_ = 0;
    chunkSize_ = chunkSize;
    failed_ = fileSize > maxSize || chunkSize == 0;
    return !failed_;
}

size_t ChunkedUpload::NextLength() const {
    if (failed_ || sent_ >= fileSize_) return 0;
    return static_cast<size_t>(std::min<uint64_t>(chunkSize_, fileSize_ - sent_));
}

ChunkStep ChunkedUpload::Confirm(int64_t upTo) {
    if (failed_ || upTo < 0 || static_cast<uint64_t>(upTo) != sent_) {
        failed_ = true;
        return ChunkStep::Rejected;
    }
    return sent_ >= fileSize_ ? ChunkStep::Last : ChunkStep::More;
}

}  // namespace vantrel
