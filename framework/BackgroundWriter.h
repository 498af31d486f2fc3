// Writes blocks to a file, in order, on a thread of its own, so that the
// window's thread only hands them over and a slow disk does not stop it. At
// most a few blocks wait: a writer that falls behind holds up the sender
// rather than letting memory grow.
#pragma once

#include "framework/Handles.h"

#include <windows.h>

#include <cstdint>
#include <deque>
#include <vector>

namespace vantrel {

class CBackgroundWriter {
public:
    CBackgroundWriter();
    ~CBackgroundWriter() { Stop(); }
    CBackgroundWriter(const CBackgroundWriter&) = delete;
    CBackgroundWriter& operator=(const CBackgroundWriter&) = delete;

    // Starts writing to a file the caller keeps open until Stop.
    bool Start(HANDLE file);
    // Hands a block over; `block` comes back empty, with a used block's
    // capacity when one is free. False once a write has failed.
    bool Write(std::vector<uint8_t>& block);
    // Waits until every block handed over is written; false when one failed.
    bool Finish();
    // Ends the thread; blocks not yet written are dropped.
    void Stop();
    // The system's error of the write that failed (0: none).
    DWORD Error();

private:
    static constexpr size_t kDepth = 2;  // blocks waiting at most

    static DWORD WINAPI Run(void* self);
    void Loop();

    SRWLOCK lock_ = SRWLOCK_INIT;
    CONDITION_VARIABLE changed_ = CONDITION_VARIABLE_INIT;
    std::deque<std::vector<uint8_t>> queue_;
    std::vector<std::vector<uint8_t>> spare_;
    HANDLE file_ = nullptr;
    UniqueEvent thread_;
    bool writing_ = false;
    bool stopping_ = false;
    DWORD error_ = 0;
};

}  // namespace vantrel
