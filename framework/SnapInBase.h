// The common base of every snap-in: the ISnapIn operations the host drives,
// the window, menu and toolbar merging, busy state in the console's status bar,
// request building, answer dispatch and error reporting.
#pragma once

#include "framework/FrameworkIds.h"
#include "framework/Handles.h"
#include "framework/model/Answer.h"
#include "host/SnapInHost.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vantrel {

class CReportList;

// The "Supported" query, command 0 in every snap-in.
constexpr uint32_t kSupportedCommand = 0;

class CSnapInBase : public ISnapIn, public IAnswerSink {
public:
    explicit CSnapInBase(ISnapInHost* host);
    virtual ~CSnapInBase();
    CSnapInBase(const CSnapInBase&) = delete;
    CSnapInBase& operator=(const CSnapInBase&) = delete;

    // ISnapIn
    void VANTREL_CALL SetMenuCommand(int32_t command) override;
    void VANTREL_CALL Release() override;
    void VANTREL_CALL Activate() override;
    void VANTREL_CALL Deactivate() override;
    IAnswerSink* VANTREL_CALL GetAnswerSink() override;
    int32_t VANTREL_CALL Reserved() override;
    void* VANTREL_CALL DeletingDestructor(uint32_t flags) override;
    HWND VANTREL_CALL Create(HWND parent) override;
    HWND VANTREL_CALL GetWindow() override;
    BOOL VANTREL_CALL TranslateAccelerator(MSG* message) override;
    void VANTREL_CALL OnConnected() override;
    void VANTREL_CALL OnHostNotify(int32_t value) override;
    void VANTREL_CALL QuerySupported() override;
    void VANTREL_CALL OnActivate() override;
    void VANTREL_CALL OnDeactivate() override;
    void VANTREL_CALL OnFirstActivate() override;
    void VANTREL_CALL SaveViewSettings() override;
    void VANTREL_CALL BeginBusy(uint32_t textId) override;
    void VANTREL_CALL ShowProgress(uint32_t textId, uint32_t done, uint32_t total) override;
    void VANTREL_CALL EndBusyWithCount(uint32_t textId, uint32_t done, uint32_t total) override;
    void VANTREL_CALL EndBusy(uint32_t textId) override;
    void VANTREL_CALL ShowAnswerError(IHostMessage* answer, uint32_t messageId, uint32_t captionId) override;
    void VANTREL_CALL ShowError(const char* text, uint32_t captionId) override;
    void VANTREL_CALL ShowErrorW(const wchar_t* text, uint32_t captionId) override;
    void VANTREL_CALL ShowErrorId(uint32_t messageId, uint32_t captionId) override;
    void VANTREL_CALL SetStatusText(const char* text) override;
    void VANTREL_CALL SetStatusId(uint32_t textId) override;
    void VANTREL_CALL MergeMenu(int32_t command, uint32_t nameId) override;
    void VANTREL_CALL UnmergeMenu(int32_t buttonIndex) override;
    void VANTREL_CALL UpdateCommands() override;
    void VANTREL_CALL CreateToolBar(const ToolBarImage* images, int32_t count) override;
    void VANTREL_CALL SetDropDownButton(int32_t command) override;
    void VANTREL_CALL OnToolBarEnabled() override;
    int32_t VANTREL_CALL CompareItems(int32_t item1, int32_t item2, int32_t listId) override;
    void VANTREL_CALL UpdateTitle() override;
    BOOL VANTREL_CALL OnContextMenuKey() override;
    BOOL VANTREL_CALL OnToolTipTextA(UINT id, NMTTDISPINFOA* info) override;
    BOOL VANTREL_CALL OnToolTipTextW(UINT id, NMTTDISPINFOW* info) override;

    // IAnswerSink: checks that the answer was asked for, dispatches it and
    // releases it exactly once on every path.
    void VANTREL_CALL OnAnswer(IHostMessage* answer) override;
    void VANTREL_CALL DiscardAnswer(IHostMessage* answer) override;

    int BusyCount() const { return busy_; }
    bool IsBusy() const { return busy_ > 0; }

    // A request under construction: fields are added to its root, then Send.
    class Request {
    public:
        Request(CSnapInBase& owner, uint32_t command, int32_t replyFlag);
        // A request that keeps the command code and reply flag the host's
        // new message has; it is counted under that code.
        struct HostCommand {};
        Request(CSnapInBase& owner, HostCommand);
        ~Request();  // releases a request that was never sent
        Request(const Request&) = delete;
        Request& operator=(const Request&) = delete;
        IMessageNode& Field(const char* name);
        // False when the host gave no message: nothing was sent, and no
        // answer will come.
        bool Send();
        // The code the request is counted under.
        uint32_t Command() const { return command_; }

    private:
        CSnapInBase& owner_;
        IHostMessage* message_;
        uint32_t command_;
    };

protected:
    friend class CPagedListing;

    // Which "RetValue" means success for this snap-in; error texts ask the
    // system only for codes that are failures by this reading.
    virtual SuccessValue RetValueSuccess() const { return SuccessValue::One; }

    // For the answer to a request that began busy: true when "RetValue" (a
    // 16- or 32-bit number) is this snap-in's success. Otherwise the busy state
    // has ended, with "Failed" and the answer's error shown, or quietly with
    // "Canceled" when the snap-in's window has gone.
    enum class RetValueWidth { Short, Long };
    bool AnswerSucceeded(IHostMessage& answer, IMessageNode& root, RetValueWidth width);
    // Ends the busy state of a successful answer whose content cannot be read.
    void EndBusyUnreadable();

    // The snap-in's report lists: CompareItems of the host's table sorts them,
    // and their notifications to the snap-in window reach them.
    void RegisterReportList(CReportList& list);
    // Hands a list's notification to its CReportList (for lists in dialogs).
    bool DispatchListNotify(const NMHDR* header, LRESULT* result);
    // A context menu was asked for on a registered list, at `screen`.
    virtual void OnListContextMenu(CReportList& /*list*/, POINT /*screen*/) {}

    // The control that fills the snap-in window: sized with it, given the focus.
    void SetMainChild(HWND child) { mainChild_ = child; }
    // A modeless dialog of the resources as the control that fills the snap-in
    // window (its id is the dialog's number); `parameter` reaches WM_INITDIALOG.
    HWND CreateMainDialog(UINT dialogId, DLGPROC procedure, LPARAM parameter);
    // Fills the tab control `tabsId` of `dialog` with tabs titled by the
    // strings, selects the first and lets Ctrl+Tab cycle them; null without it.
    HWND SetUpTabs(HWND dialog, int tabsId, std::initializer_list<UINT> titles);
    // For the procedure of such a dialog: hands what its controls report
    // (WM_COMMAND, WM_NOTIFY, WM_CONTEXTMENU) to the snap-in window, which
    // handles the lists, tabs and commands. True when the message was one.
    bool ForwardToSnapInWindow(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    // Shows only the row of the tabs at the top of `client`; the pages lie
    // below it. Returns the row's height (0 without tabs).
    static int PlaceTabRow(HWND tabs, const RECT& client);
    // CreateMainDialog with the base's own procedure: the dialog is laid out
    // by LayoutMainDialog when it is sized, OnMainDialogDestroyed runs when
    // it goes, and what its controls report reaches the snap-in window.
    HWND CreateMainDialog(UINT dialogId);
    virtual void LayoutMainDialog() {}
    virtual void OnMainDialogDestroyed() {}

    // Menus of the snap-in's resources, tracked for its window.
    UniqueMenu LoadMenuResource(UINT id) const;
    void TrackMenu(HMENU popup, POINT screen, UINT flags = TPM_LEFTALIGN);
    // The lower-left corner of a toolbar button, where its drop-down opens.
    POINT DropDownPoint(int command) const;

    // The command whose outstanding request an answer is taken for: its own
    // code, unless the snap-in's protocol matches answers otherwise.
    virtual uint32_t AnswerCommand(IHostMessage& answer) { return answer.GetCommand(); }
    // Called for an answer that was asked for; the base releases it afterwards.
    // `root` is never null.
    virtual void HandleAnswer(uint32_t command, IHostMessage& answer, IMessageNode& root);
    // Requests of this command still waiting for their answer.
    int Outstanding(uint32_t command) const;
    // An answer taken for a request of this command turned out to belong to
    // none of them (another log, an old listing): the request it was counted
    // against is still waiting for its own answer.
    void ReturnOutstanding(uint32_t command);

    // The window procedure of the snap-in's own window class. The base sizes
    // the main child, hands list notifications to the report lists, commands
    // to OnCommand, toolbar drop-downs to OnToolBarDropDown, and refreshes the
    // commands' states when a menu opens.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual void OnCommand(UINT /*command*/) {}
    virtual void OnToolBarDropDown(int /*command*/) {}
    // Create for snap-ins with a window: makes it once, then OnCreateWindow
    // makes what is inside; nothing thrown reaches the host.
    HWND CreateWindowOnce(HWND parent);
    virtual void OnCreateWindow() {}
    LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Creates the snap-in window (once) as a child of parent.
    HWND CreateSnapInWindow(HWND parent, DWORD extraStyle = 0);

    ISnapInHost* Host() const { return host_; }
    HWND Window() const { return window_; }
    HWND ToolBar() const { return toolBar_; }
    HMENU SnapInMenu() const { return menu_.get(); }
    bool IsActive() const { return active_; }
    void SetTabControl(HWND tab) { tabControl_ = tab; }
    void SetStatusPart(int part, const std::wstring& text);
    std::wstring ErrorTextOf(IMessageNode& root);
    void ShowErrorText(const std::wstring& text, uint32_t captionId);

    // ---- list views: sort by column with the header arrow, and layouts kept
    // in the host's settings ----
    // Stores widths, display order and sort column of the list below entry L.
    void SaveColumns(HWND list, ISettingsNode* layout);
    // Applies a stored layout; a damaged one is applied only as far as it fits
    // the list's real columns.
    void LoadColumns(HWND list, ISettingsNode* layout);
    // The column that shows the arrow, or -1; *ascending is left alone then.
    int FindSortColumn(HWND list, int* ascending);
    void SortByColumnClick(HWND list, const NMLISTVIEW* click);
    // Sorts again by the column that shows the arrow.
    void Resort(HWND list);
    // Shows the arrow on the sort column and sorts the list through CompareItems.
    void SortBy(HWND list, int column, bool ascending);
    // Direction-aware helpers for CompareItems.
    int CompareNumbers(int64_t a, int64_t b) const;
    int CompareDoubles(double a, double b) const;
    int CompareTexts(std::wstring_view a, std::wstring_view b) const;

    // Sort state of the list view whose sort the base holds.
    int sortColumn_ = 0;
    bool sortAscending_ = true;
    int sortListId_ = 0;

    // Derived classes whose window depends on their own members call this in
    // their destructor; the base's destructor calls it too.
    void DestroySnapInWindow();

public:
    static LRESULT CALLBACK WindowClassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // Runs an operation the host called: nothing thrown inside may cross
    // back into the host.
    template <typename F>
    static void Guarded(F&& operation) noexcept {
        try {
            operation();
        } catch (...) {
        }
    }

private:
    BOOL TranslateMessageForSnapIn(MSG* message);
    void RefreshEnabling();
    void CountSent(uint32_t command);
    bool TakeOutstanding(uint32_t command);
    void CycleTabs(bool backwards);
    void LoadToolBarImages();
    static INT_PTR CALLBACK MainDialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

    int32_t menuCommand_ = 0;
    ISnapInHost* host_;
    HACCEL accelerators_ = nullptr;  // resource-loaded; freed with the module
    HWND toolBar_ = nullptr;
    int32_t toolBarBand_ = 100;
    UniqueMenu menu_;
    bool menuLoaded_ = false;
    bool menuMerged_ = false;
    int32_t mergedCommand_ = 4;
    UniqueImageList toolImages_[3];
    bool firstActivationDone_ = false;
    bool active_ = true;
    int16_t busy_ = 0;
    HWND tabControl_ = nullptr;
    HWND window_ = nullptr;
    std::vector<std::pair<uint32_t, int>> outstanding_;
    std::vector<CReportList*> reportLists_;
    HWND mainChild_ = nullptr;
    HWND mainDialog_ = nullptr;  // made by CreateMainDialog(dialogId)
};

// Registers the window class of the snap-in windows; unregistered at unload.
void RegisterSnapInWindowClass();
void UnregisterSnapInWindowClass();

}  // namespace vantrel
