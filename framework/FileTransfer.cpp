#include "framework/FileTransfer.h"

#include "framework/QuorvException.h"
#include "framework/text/Base64.h"

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
    if (!writer_.Start(file_.get())) return Fail(writer_.Error());
    return true;
}

ChunkStep CFileDownload::WriteBase64(ChunkHeader header, std::string_view text) {
    if (!file_) return ChunkStep::Rejected;
    header.bytes = Base64DecodeAppend(text, pending_);
    const ChunkStep step = chunks_.Accept(header);
    if (step == ChunkStep::Rejected) {
        error_ = ERROR_INVALID_DATA;
        Abandon();
        return step;
    }
    if (pending_.size() >= kWriteBlock && !WritePending()) return ChunkStep::Rejected;
    return step;
}

bool CFileDownload::WritePending() {
    if (pending_.empty()) return true;
    if (!writer_.Write(pending_)) return Fail(writer_.Error());
    pending_.reserve(kWriteBlock);
    return true;
}

bool CFileDownload::Commit() {
    if (!file_ || !chunks_.Complete()) return Fail();
    if (!WritePending()) return false;
    if (!writer_.Finish()) return Fail(writer_.Error());
    writer_.Stop();
    if (!FlushFileBuffers(file_.get())) return Fail();
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
    writer_.Stop();
    file_.reset();
    pending_.clear();
    pending_.shrink_to_fit();
    if (!temporary_.empty()) DeleteFileW(temporary_.c_str());
    temporary_.clear();
}

bool CFileDownload::Fail() { return Fail(GetLastError()); }

bool CFileDownload::Fail(DWORD error) {
    error_ = error != 0 ? error : ERROR_WRITE_FAULT;
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

std::span<const uint8_t> CFileUpload::ReadNext() {
    if (!file_) throw CQuorvException(ERROR_INVALID_HANDLE, path_ + L": ");
    const size_t length = chunks_.NextLength();
    const uint64_t start = chunks_.Sent();
    if (start < bufferStart_ || start + length > bufferStart_ + buffer_.size()) {
        bufferStart_ = start;
        ReadAhead(length);
    }
    chunks_.MarkSent(length);
    return {buffer_.data() + (start - bufferStart_), length};
}

void CFileUpload::ReadAhead(size_t least) {
    const uint64_t left = chunks_.FileSize() - bufferStart_;
    buffer_.resize(static_cast<size_t>(std::min<uint64_t>(std::max(least, kReadBlock), left)));
    LARGE_INTEGER at = {};
    at.QuadPart = static_cast<LONGLONG>(bufferStart_);
    DWORD read = 0;
    if (!SetFilePointerEx(file_.get(), at, nullptr, FILE_BEGIN) ||
        !ReadFile(file_.get(), buffer_.data(), static_cast<DWORD>(buffer_.size()), &read, nullptr)) {
        buffer_.clear();
        throw CQuorvException(GetLastError(), path_ + L": ");
    }
    // A file that shrank while it was sent cannot be sent whole.
    if (read < least) {
        buffer_.clear();
        throw CQuorvException(ERROR_HANDLE_EOF, path_ + L": ");
    }
    buffer_.resize(read);
}

void CFileUpload::Close() {
    file_.reset();
    buffer_.clear();
    buffer_.shrink_to_fit();
    bufferStart_ = 0;
}

}  // namespace vantrel
