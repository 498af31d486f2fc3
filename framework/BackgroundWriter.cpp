#include "framework/BackgroundWriter.h"

#include <algorithm>

namespace vantrel {
namespace {

class Locked {
public:
    explicit Locked(SRWLOCK& lock) : lock_(lock) { AcquireSRWLockExclusive(&lock_); }
    ~Locked() { ReleaseSRWLockExclusive(&lock_); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    SRWLOCK& lock_;
};

DWORD WriteAll(HANDLE file, const std::vector<uint8_t>& block) {
    size_t done = 0;
    while (done < block.size()) {
        const DWORD piece = static_cast<DWORD>(std::min<size_t>(block.size() - done, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file, block.data() + done, piece, &written, nullptr)) return GetLastError();
        if (written != piece) return ERROR_WRITE_FAULT;
        done += piece;
    }
    return 0;
}

}  // namespace

CBackgroundWriter::CBackgroundWriter() { spare_.reserve(kDepth + 1); }

bool CBackgroundWriter::Start(HANDLE file) {
    Stop();
    file_ = file;
    error_ = 0;
    stopping_ = false;
    thread_.reset(CreateThread(nullptr, 0, &CBackgroundWriter::Run, this, 0, nullptr));
    if (!thread_) error_ = GetLastError();
    return static_cast<bool>(thread_);
}

bool CBackgroundWriter::Write(std::vector<uint8_t>& block) {
    Locked locked(lock_);
    while (queue_.size() >= kDepth && error_ == 0 && thread_)
        SleepConditionVariableSRW(&changed_, &lock_, INFINITE, 0);
    if (error_ != 0 || !thread_) return false;
    queue_.push_back(std::move(block));
    block.clear();
    if (!spare_.empty()) {
        block = std::move(spare_.back());
        spare_.pop_back();
    }
    WakeAllConditionVariable(&changed_);
    return true;
}

bool CBackgroundWriter::Finish() {
    Locked locked(lock_);
    while ((!queue_.empty() || writing_) && error_ == 0 && thread_)
        SleepConditionVariableSRW(&changed_, &lock_, INFINITE, 0);
    return error_ == 0 && thread_;
}

void CBackgroundWriter::Stop() {
    if (!thread_) return;
    {
        Locked locked(lock_);
        stopping_ = true;
        WakeAllConditionVariable(&changed_);
    }
    WaitForSingleObject(thread_.get(), INFINITE);
    thread_.reset();
    queue_.clear();
    file_ = nullptr;
}

DWORD CBackgroundWriter::Error() {
    Locked locked(lock_);
    return error_;
}

DWORD WINAPI CBackgroundWriter::Run(void* self) {
    static_cast<CBackgroundWriter*>(self)->Loop();
    return 0;
}

void CBackgroundWriter::Loop() {
    Locked locked(lock_);
    for (;;) {
        while (queue_.empty() && !stopping_) SleepConditionVariableSRW(&changed_, &lock_, INFINITE, 0);
        if (stopping_) return;
        std::vector<uint8_t> block = std::move(queue_.front());
        queue_.pop_front();
        // After a failure the rest is dropped: the file is abandoned anyway.
        if (error_ == 0) {
            writing_ = true;
            ReleaseSRWLockExclusive(&lock_);
            const DWORD error = WriteAll(file_, block);
            AcquireSRWLockExclusive(&lock_);
            writing_ = false;
            error_ = error;
        }
        block.clear();
        if (spare_.size() < spare_.capacity()) spare_.push_back(std::move(block));
        WakeAllConditionVariable(&changed_);
    }
}

}  // namespace vantrel
