// A console's side of the module contract around real windows: a frame with a
// menu bar, a console toolbar, a strip for the snap-ins' toolbars, a status bar
// with three parts and a content area; message objects; answers delivered on
// the user-interface thread through posted messages; a settings store.
//
// Shared by the console program and the test host; not part of the module.
#pragma once

#include "host/SnapInHost.h"
#include "hostkit/MessageTree.h"
#include "hostkit/SettingsStore.h"

#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vantrel::host {

class HostFrame : public ISnapInHost {
public:
    // Buttons the console toolbar has before the snap-ins add theirs.
    static constexpr int kConsoleButtons = 4;
    static constexpr int kMergedCommand = 4;
    // The console's own commands (menu items and toolbar buttons) lie in this
    // range, far from the snap-ins' numbering; they never reach a snap-in.
    static constexpr UINT kFirstConsoleCommand = 40000;
    static constexpr UINT kLastConsoleCommand = 40099;
    static constexpr UINT kExitCommand = 40000;
    // The console toolbar's buttons, left to right.
    static constexpr UINT kConnectCommand = 40001;
    static constexpr UINT kDisconnectCommand = 40002;
    static constexpr UINT kOptionsCommand = 40003;
    static constexpr UINT kHelpCommand = 40004;

    HostFrame();
    virtual ~HostFrame();
    HostFrame(const HostFrame&) = delete;
    HostFrame& operator=(const HostFrame&) = delete;

    // Creates the frame and its bars; false if a window could not be made.
    bool CreateFrame(const wchar_t* title, bool visible);
    HWND Frame() const { return frame_; }
    HWND ConsoleToolBar() const { return consoleToolBar_; }
    HMENU MenuBar() const { return menuBar_; }
    // The console's own "&File" popup, the first item of the menu bar.
    HMENU FileMenu() const { return fileMenu_; }
    HWND ToolBarStrip() const { return toolBarStrip_; }
    HWND StatusBar() const { return statusBar_; }
    HWND Content() const { return content_; }

    // The snap-ins whose answers this host delivers, by number.
    void AttachSnapIn(ISnapIn* snapIn);
    void DetachAllSnapIns();
    // The snap-in that gets the keyboard first and the commands of the merged menu.
    void SetActiveSnapIn(ISnapIn* snapIn) { active_ = snapIn; }
    ISnapIn* ActiveSnapIn() const { return active_; }
    // Takes and dispatches one message (waiting for one if asked); false on WM_QUIT.
    bool PumpOne(bool wait);
    // Dispatches what is queued now, without waiting.
    void PumpPending();
    ISnapIn* FindSnapIn(int32_t snapInId) const;
    // Sends an answer to the snap-in it names after the delay, from the message
    // loop (never from inside the call).
    void DeliverLater(std::unique_ptr<Message> answer, unsigned delayMs = 0);
    // Answers that are due, oldest first; false if none was.
    bool DeliverDueAnswers();
    size_t PendingAnswers() const { return pending_.size(); }
    // Answers on their way for which `counted` holds.
    size_t PendingAnswersWhere(const std::function<bool(const Message&)>& counted) const;
    // How many answers have been handed on so far: a sign of progress.
    size_t AnswersDelivered() const { return answersDelivered_; }

    SettingsStore& Settings() { return settings_; }
    // Where LoadSettings and SaveSettings read and write; empty: memory only.
    void SetSettingsFile(std::filesystem::path path) { settingsFile_ = std::move(path); }
    const std::filesystem::path& SettingsFile() const { return settingsFile_; }
    const std::string& LastSettingsError() const { return settingsError_; }
    // Where a damaged settings file was moved to; empty if none was.
    const std::filesystem::path& SetAsideSettingsFile() const { return setAside_; }
    // False after a damaged file could not be moved away: saving would destroy it.
    bool SettingsSavingAllowed() const { return savingAllowed_; }

    int BusyDepth() const { return busyDepth_; }
    int16_t RemoteHostVersion() const { return remoteVersion_; }
    bool RemoteHostVersionIsKnown() const { return remoteVersionKnown_; }
    const std::string& Title() const { return title_; }
    void SetTitlePrefix(std::string prefix) { titlePrefix_ = std::move(prefix); }
    void SetRemotePlatform(int16_t platform) { platform_ = platform; }
    // The text of a status-bar part, read back from the control.
    std::wstring StatusText(int part) const;
    HWND ShownSnapInToolBar() const { return shownToolBar_; }

    // ISnapInHost
    IHostMessage* VANTREL_CALL CreateMessage() override;
    void VANTREL_CALL SendMessage(IHostMessage* message) override;
    void VANTREL_CALL LoadSettings() override;
    void VANTREL_CALL SaveSettings() override;
    ISettingsNode* VANTREL_CALL GetSnapInSettings(int32_t snapInId) override;
    HostWindow* VANTREL_CALL GetToolBarParent(HostWindow* out) override;
    HostWindow* VANTREL_CALL GetStatusBar(HostWindow* out) override;
    FrameBars* VANTREL_CALL GetFrameBars() override;
    void VANTREL_CALL SetRemoteHostVersion(int16_t version) override;
    void VANTREL_CALL RemoteHostVersionKnown() override;
    void VANTREL_CALL SnapInSupported(int32_t snapInId) override;
    void VANTREL_CALL SnapInNotSupported(int32_t snapInId) override;
    int16_t VANTREL_CALL GetRemotePlatform() override;
    void VANTREL_CALL BeginBusy() override;
    void VANTREL_CALL EndBusy() override;
    void VANTREL_CALL ShowSnapInToolBar(HWND toolBar, int32_t show, int32_t band, int32_t reserved) override;
    void VANTREL_CALL HideSnapInToolBar(HWND toolBar) override;
    const char* VANTREL_CALL GetTitlePrefix(HostText* out) override;
    void VANTREL_CALL SetTitle(const char* title) override;

protected:
    // A request the host now owns. The default hands it to the responder.
    virtual void OnRequest(std::unique_ptr<Message> request);
    virtual void OnSupported(int32_t snapInId, bool supported) {}
    virtual void OnBusyChanged() {}
    virtual void OnRemoteVersionKnown() {}
    // A settings file could not be loaded or saved; `text` says what happened
    // (UTF-8). Nothing is lost: a damaged file has been set aside or is kept.
    virtual void OnSettingsProblem(const std::string& text) {}
    // A console command (kFirstConsoleCommand..kLastConsoleCommand) other than Exit.
    virtual void OnConsoleCommand(UINT command) {}
    // Lays out the content area within the rectangle left by the bars.
    virtual void LayoutContent(const RECT& area);
    virtual LRESULT FrameProc(UINT message, WPARAM wParam, LPARAM lParam);
    void Layout();
    // Destroys the frame without ending the message loop (no WM_QUIT).
    void DestroyFrame();
    // Forgets busy calls whose snap-ins are gone and can no longer end them.
    void ResetBusy() { busyDepth_ = 0; OnBusyChanged(); }
    // Opens the active snap-in's merged popup below its console toolbar button.
    void ShowMergedMenu();
    bool HasMergedMenu() const;

    // Computes the answer to a request, or null for none (used by OnRequest).
    std::function<std::unique_ptr<Message>(const Message&)> responder_;
    unsigned answerDelayMs_ = 0;

private:
    static LRESULT CALLBACK StaticFrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK StaticStripProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void CreateBars();
    void ScheduleDelivery();
    bool SetSettingsAside(std::string* where);
    void ResizeChildren(HWND parent, int width, int height);

    struct PendingAnswer {
        std::unique_ptr<Message> answer;
        ULONGLONG due;
    };

    HWND frame_ = nullptr;
    HWND consoleToolBar_ = nullptr;
    HMENU menuBar_ = nullptr;
    HMENU fileMenu_ = nullptr;
    int consoleMenus_ = 0;
    HWND toolBarStrip_ = nullptr;
    HWND statusBar_ = nullptr;
    HWND content_ = nullptr;
    HWND shownToolBar_ = nullptr;
    FrameBars bars_ = {};
    std::vector<ISnapIn*> snapIns_;
    ISnapIn* active_ = nullptr;
    std::deque<PendingAnswer> pending_;
    size_t answersDelivered_ = 0;
    SettingsStore settings_;
    std::filesystem::path settingsFile_;
    bool settingsLoaded_ = false;
    bool savingAllowed_ = true;
    std::filesystem::path setAside_;
    std::string settingsError_;
    int busyDepth_ = 0;
    int16_t remoteVersion_ = 0;
    bool remoteVersionKnown_ = false;
    int16_t platform_ = 1;
    std::string titlePrefix_ = "Console ";
    std::string title_;
};

// Registers, once per process, a window class of this program whose windows
// get their procedure after creation; safe to call again with the same name.
void RegisterPlainWindowClass(const wchar_t* name, int backgroundColor, HICON icon = nullptr);

// Window message that delivers due answers.
constexpr UINT kDeliverAnswersMessage = WM_APP + 0x51;

}  // namespace vantrel::host
