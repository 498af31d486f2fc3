// The console: a frame around the module's snap-ins, a pane listing the tools
// of the managed machine, the simulated machine that answers the requests,
// and the settings file.
#pragma once

#include "console/ConsoleOptions.h"
#include "console/SnapInModule.h"
#include "console/ToolPane.h"
#include "hostwin/HostFrame.h"
#include "remote/RemoteMachine.h"

#include <memory>
#include <string>
#include <vector>

namespace vantrel::console {

class EmptyPage;

class ConsoleHost : public host::HostFrame {
public:
    static constexpr int32_t kStartPage = 15000;
    static constexpr int32_t kFirstTool = 15001;
    static constexpr int32_t kLastTool = 15010;

    explicit ConsoleHost(ConsoleOptions options);
    ~ConsoleHost() override;

    // Opens the frame, loads the module from the program's folder and the
    // settings, and connects to the machine. False with a reason in *error.
    bool Start(bool visible, std::wstring* error);
    // The message loop, until the frame is closed.
    int Run();

    void Connect();
    void Disconnect();
    bool Connected() const { return list_ != nullptr; }

    // Chooses a tool in the pane as the user would; 15000 is the start page.
    // False for a tool that cannot be used now.
    bool Select(int32_t id);
    int32_t SelectedTool() const { return pane_.Selected(); }
    ToolState StateOf(int32_t id) const { return pane_.State(id); }
    bool AllToolsAnswered() const;
    std::vector<int32_t> AvailableTools() const;
    std::wstring ToolName(int32_t id) const;
    ToolPane& Pane() { return pane_; }
    // No snap-in busy and no request waiting for its answer, other than the
    // reads a tool keeps asking for in the background (a console's screen).
    bool Idle() const;
    // The last notice the console gave the user (a settings problem); empty if none.
    const std::wstring& Notice() const { return notice_; }
    // The page shown when the chosen tool has no window of its own.
    HWND EmptyPageWindow() const;
    // The title as shown on the frame.
    std::wstring ShownTitle() const;
    const ConsoleOptions& Options() const { return options_; }
    remote::RemoteMachine& Machine() { return machine_; }

    // Deactivates the tool, saves the settings and releases the snap-ins.
    void Shutdown();

    // The default settings file: %APPDATA%\Vantrel\console-settings.txt.
    static std::filesystem::path DefaultSettingsFile();

    void VANTREL_CALL SetTitle(const char* title) override;

protected:
    void OnSupported(int32_t snapInId, bool supported) override;
    void OnBusyChanged() override;
    void OnRemoteVersionKnown() override;
    void OnSettingsProblem(const std::string& text) override;
    void OnConsoleCommand(UINT command) override;
    void LayoutContent(const RECT& area) override;
    LRESULT FrameProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void BuildConsoleMenu();
    void UpdateConnectionCommands();
    void OnToolSelected(int32_t id, bool byKeyboard);
    void ShowPageFor(ISnapIn* snapIn);
    void ReleaseSnapIns();
    void RefreshCursor();
    void SetMachineText();
    void ReportConnection();
    void ShowOptions();
    void ShowAbout();
    void ShowNoticeBox();
    int PaneWidth(int frameWidth) const;
    void RememberPaneWidth();
    bool OnSplitterMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    std::string Prefix() const;

    ConsoleOptions options_;
    remote::RemoteMachine machine_;
    SnapInModule module_;
    ISnapInList* list_ = nullptr;
    ToolPane pane_;
    std::unique_ptr<EmptyPage> emptyPage_;
    std::wstring notice_;
    int paneWidth_ = 0;  // 0: wide enough for the longest name
    int splitterLeft_ = 0;
    bool dragging_ = false;
    bool started_ = false;
    bool closing_ = false;
};

}  // namespace vantrel::console
