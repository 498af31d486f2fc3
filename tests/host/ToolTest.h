// A tool of the module through its real windows, against the simulated
// managed machine: what every tool's tests share.
#pragma once

#include "remote/RemoteMachine.h"
#include "tests/host/TestHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vantrel::test {

class ToolTest : public testing::Test {
protected:
    ToolTest(int32_t snapInId, remote::MachineConfig config) : snapInId_(snapInId), machine_(config), config_(config) {}

    // The machine answers every request after a millisecond; the tool is open.
    void SetUp() override;

    void ActivateAndWait();
    // Until nothing is busy and no answer is on its way.
    void WaitIdle();
    // The texts of the message boxes shown so far, in order.
    std::vector<std::wstring> Boxes();
    // The requests of one command sent so far, in order.
    std::vector<const Message*> RequestsOf(uint32_t command) const;
    // Nothing busy, every busy state ended once and every answer released once.
    void ExpectIdleAndPaired() const;

    // A command as the menu or a button sends it.
    void Command(int id);
    bool ButtonEnabled(int command) const;
    // The state of an item of the tool's popup in the console's menu bar.
    UINT MenuState(int command) const;
    bool MenuEnabled(int command) const { return !(MenuState(command) & MF_GRAYED); }

    // Report lists read back from the control.
    static int ItemCount(HWND list);
    static int FindItem(HWND list, const std::wstring& text, int column = 0);
    static std::vector<std::wstring> Column(HWND list, int column);
    // Selects and focuses one item (-1: none).
    static void Select(HWND list, int item);
    // A header click, as the list reports it to its parent.
    static void ClickHeader(HWND list, int column);

    int32_t snapInId_;
    remote::RemoteMachine machine_;
    remote::MachineConfig config_;
    TestHost host_;
    ISnapIn* snapIn_ = nullptr;
};

}  // namespace vantrel::test
