// Local files of a chunked transfer. A download is written to a temporary file
// beside its target and renamed over the target only when complete, so that a
// failed or hostile transfer never leaves a damaged file; an upload reads the
// user's file piece by piece.
#pragma once

#include "framework/BackgroundWriter.h"
#include "framework/Handles.h"
#include "framework/model/ChunkedTransfer.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

class CFileDownload {
public:
    CFileDownload() = default;
    ~CFileDownload() { Abandon(); }
    CFileDownload(const CFileDownload&) = delete;
    CFileDownload& operator=(const CFileDownload&) = delete;

    // Creates the temporary file in the target's folder. False (with
    // LastError) when the folder cannot take it. Files larger than maxSize
    // are refused.
    bool Begin(const std::wstring& target, uint64_t maxSize = ChunkedDownload::kMax32BitFile);
    bool Active() const { return static_cast<bool>(file_); }
    const std::wstring& Target() const { return target_; }
    // Decodes a chunk that comes as Base64 straight into the block being
    // gathered, judges it (ChunkedDownload; its byte count is what the text
    // decodes to) and keeps it. Rejected for a chunk out of order or a failed
    // write: the transfer is then abandoned.
    ChunkStep WriteBase64(ChunkHeader header, std::string_view text);
    uint64_t NextStart() const { return chunks_.NextStart(); }
    // Flushes, closes and renames the temporary file over the target.
    bool Commit();
    // Deletes the temporary file; the target stays as it was.
    void Abandon();
    DWORD LastError() const { return error_; }
    // The last transfer ended because a chunk was not the next one, rather
    // than for a local error.
    bool Refused() const { return chunks_.Failed(); }

private:
    // Chunks are small; each write costs a call into the system, so they are
    // gathered and written a megabyte at a time, away from the window's thread.
    static constexpr size_t kWriteBlock = 1 << 20;

    bool Fail();
    bool Fail(DWORD error);
    bool WritePending();

    std::vector<uint8_t> pending_;
    std::wstring target_;
    std::wstring temporary_;
    UniqueFile file_;
    CBackgroundWriter writer_;
    ChunkedDownload chunks_;
    DWORD error_ = 0;
};

class CFileUpload {
public:
    // Opens the file for reading (others may still read and write it); throws
    // CQuorvException when it cannot be opened or is larger than maxSize.
    void Open(const std::wstring& path, size_t chunkSize, uint64_t maxSize = ChunkedUpload::kMaxFileSize);
    bool Active() const { return static_cast<bool>(file_); }
    ChunkedUpload& Chunks() { return chunks_; }
    // Reads the next chunk and counts it as sent; the bytes stay valid until
    // the next call. Throws CQuorvException when the file cannot be
    // positioned or read.
    std::span<const uint8_t> ReadNext();
    void Close();

private:
    // Chunks are small: the file is read ahead a megabyte at a time.
    static constexpr size_t kReadBlock = 1 << 20;

    void ReadAhead(size_t least);

    std::wstring path_;
    UniqueFile file_;
    ChunkedUpload chunks_;
    std::vector<uint8_t> buffer_;
    uint64_t bufferStart_ = 0;  // the file's offset of buffer_[0]
};

}  // namespace vantrel
