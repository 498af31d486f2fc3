#include "framework/FileTransfer.h"

#include "framework/QuorvException.h"

#include <algorithm>

namespace vantrel {
namespace {

std::wstring FolderOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return L".";
    if (slash == 0 || (slash == 2 && path[1] == L':')) return path.substr(0, slash + 1);
    return path.substr(0, slash);
}

}  // namespace

bool CFileDownload::Begin(const std::wstring& target, uint64_t maxSize) {
    Abandon();
    chunks_ = ChunkedDownload(maxSize);
    target_ = target;
    wchar_t name[MAX_PATH + 1] = {};
    if (target.empty() || !GetTempFileNameW(FolderOf(target).c_str(), L"vnt", 0, name)) return Fail();
    temporary_ = name;
    pending_.reserve(kWriteBlock);
    file_.reset(CreateFileW(name, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_TEMPORARY, nullptr));
    if (!file_) return Fail();
    return true;
}

ChunkStep CFileDownload::Write(const ChunkHeader& header, const uint8_t* bytes) {
    if (!file_) return ChunkStep::Rejected;
    const ChunkStep step = chunks_.Accept(header);
    if (step == ChunkStep::Rejected) {
        error_ = ERROR_INVALID_DATA;
        Abandon();
        return step;
    }
    if (pending_.size() + header.bytes > kWriteBlock && !WritePending()) return ChunkStep::Rejected;
    pending_.insert(pending_.end(), bytes, bytes + header.bytes);
    if (pending_.size() >= kWriteBlock && !WritePending()) return ChunkStep::Rejected;
    return step;
}

bool CFileDownload::WritePending() {
    size_t done = 0;
    while (done < pending_.size()) {
        const DWORD piece = static_cast<DWORD>(std::min<size_t>(pending_.size() - done, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file_.get(), pending_.data() + done, piece, &written, nullptr) || written != piece) return Fail();
        done += piece;
    }
    pending_.clear();
    return true;
}

bool CFileDownload::Commit() {
    if (!file_ || !chunks_.Complete()) return Fail();
    if (!WritePending() || !FlushFileBuffers(file_.get())) return Fail();
    file_.reset();
    if (!MoveFileExW(temporary_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error_ = GetLastError();
        DeleteFileW(temporary_.c_str());
        temporary_.clear();
        return false;
    }
    temporary_.clear();
    return true;
}

void CFileDownload::Abandon() {
    file_.reset();
    pending_.clear();
    pending_.shrink_to_fit();
    if (!temporary_.empty()) DeleteFileW(temporary_.c_str());
    temporary_.clear();
}

bool CFileDownload::Fail() {
    error_ = GetLastError();
    if (error_ == 0) error_ = ERROR_WRITE_FAULT;
    Abandon();
    return false;
}

void CFileUpload::Open(const std::wstring& path, size_t chunkSize, uint64_t maxSize) {
    Close();
    path_ = path;
    file_.reset(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file_) throw CQuorvException(GetLastError(), path + L": ");
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file_.get(), &size)) {
        const DWORD error = GetLastError();
        Close();
        throw CQuorvException(error, path + L": ");
    }
    if (!chunks_.Start(static_cast<uint64_t>(size.QuadPart), chunkSize, maxSize)) {
        Close();
        throw CQuorvException(ERROR_FILE_TOO_LARGE, path + L": ");
    }
}

std::vector<uint8_t> CFileUpload::ReadNext() {
    if (!file_) throw CQuorvException(ERROR_INVALID_HANDLE, path_ + L": ");
    std::vector<uint8_t> chunk(chunks_.NextLength());
    LARGE_INTEGER at = {};
    at.QuadPart = static_cast<LONGLONG>(chunks_.Sent());
    DWORD read = 0;
    if (!SetFilePointerEx(file_.get(), at, nullptr, FILE_BEGIN) ||
        !ReadFile(file_.get(), chunk.data(), static_cast<DWORD>(chunk.size()), &read, nullptr))
        throw CQuorvException(GetLastError(), path_ + L": ");
    // A file that shrank while it was sent cannot be sent whole.
    if (read != chunk.size()) throw CQuorvException(ERROR_HANDLE_EOF, path_ + L": ");
    chunks_.MarkSent(chunk.size());
    return chunk;
}

void CFileUpload::Close() { file_.reset(); }

}  // namespace vantrel
