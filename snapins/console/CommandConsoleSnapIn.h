// Command Console: a text console running on the managed machine, drawn cell by
// cell. The snap-in starts or restarts it, keeps one screen read on its way,
// forwards the keys typed into the terminal, and checks every three seconds
// whether the console's child process still runs.
#pragma once

#include "framework/SnapInBase.h"
#include "snapins/console/StartupDialog.h"
#include "snapins/console/TerminalView.h"
#include "snapins/console/model/ConsoleScreen.h"
#include "snapins/console/model/KeyEvents.h"
#include "snapins/console/model/Protocol.h"

#include <string>

namespace vantrel {

class CCommandConsoleSnapIn final : public CSnapInBase, private ITerminalOwner {
public:
    static constexpr int32_t kId = console::protocol::kSnapInId;
    // The child check's timer on the snap-in window.
    static constexpr UINT_PTR kChildTimer = 100;
    static constexpr UINT kChildCheckMs = 3000;
    // The pause after a complete screen before the next is read.
    static constexpr UINT_PTR kScreenTimer = 101;
    static constexpr UINT kScreenPauseMs = 100;

    explicit CCommandConsoleSnapIn(ISnapInHost* host);
    ~CCommandConsoleSnapIn() override;

    int32_t VANTREL_CALL GetSnapInId() override { return kId; }
    HWND VANTREL_CALL Create(HWND parent) override;
    BOOL VANTREL_CALL TranslateAccelerator(MSG* message) override;
    void VANTREL_CALL OnFirstActivate() override;

protected:
    SuccessValue RetValueSuccess() const override { return SuccessValue::Zero; }
    void HandleAnswer(uint32_t command, IHostMessage& answer, IMessageNode& root) override;
    void OnCreateWindow() override;
    void OnCommand(UINT command) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // ITerminalOwner
    bool OnTerminalKey(const MSG& message) override;
    void OnTerminalFocus(bool gained) override;
    bool KeysCaptured() const override { return capture_; }

    // ---- start and restart ----
    void Restart();
    void SendStart();
    void SetAccountFields(Request& request) const;
    void OnStartAnswer(IHostMessage& answer, IMessageNode& root);
    void OnStopAnswer(IHostMessage& answer, IMessageNode& root);
    void ShowStopped();
    void FocusAfterStart();

    // ---- screen ----
    void OnSupportedAnswer(IHostMessage& answer, IMessageNode& root);
    void PollScreen();
    void ReadScreenAfterPause();
    void StopReading();
    void OnScreenAnswer(IHostMessage& answer, IMessageNode& root);

    // ---- child process ----
    void StartChildCheck();
    void StopChildCheck();
    void OnChildTimer();
    void OnChildAnswer(IHostMessage& answer, IMessageNode& root);
    void ShowChildExitCode(int32_t exitCode);

    // ---- keys ----
    console::KeyEvent KeyEventOf(const MSG& message) const;
    void SendKeyEvent(const console::KeyEvent& event);
    void OnKeyAnswer(IHostMessage& answer, IMessageNode& root);
    void SetCapture(bool on);

    // Boxes only while there is a window to show them over.
    void ShowFailure(IHostMessage& answer, uint32_t messageId);
    void ShowFailureText(const std::wstring& text);

    StartupRecord record_;
    bool impersonate_ = false;
    console::ConsoleScreen screen_;
    CTerminalView terminal_;
    bool capture_ = false;
    // False after a failed read, until the next start.
    bool reading_ = false;
    bool readScheduled_ = false;
    // Child checks sent before the latest start: their answers speak of the
    // console that was replaced.
    int staleChildAnswers_ = 0;
    bool childErrorShown_ = false;
};

}  // namespace vantrel
