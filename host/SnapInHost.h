// The contract between a console (the host) and the snap-in module.
//
// A console loads the module, calls its only export
//     ISnapInList* CreateSnapInList(ISnapInHost* host);
// and obtains snap-ins from the list by number (15000 to 15010). Everything
// here is called by position in the table: never reorder, insert or remove an
// operation. No standard-library type and no exception crosses this boundary;
// objects are ended through their Release or DeletingDestructor operation, never
// through a C++ delete of the interface.
//
// Results handed back by value live in caller-provided records:
//   GetToolBarParent / GetStatusBar fill the HostWindow the caller passes and
//   return that same pointer; GetFrameBars returns a record owned by the host
//   that stays valid while the host lives; GetTitlePrefix fills the caller's
//   HostText (always zero-terminated, cut to fit) and returns its text.
//
// <windows.h> defines SendMessage and TranslateAccelerator as macros; this
// header removes them so that the operations keep their names. Call the Win32
// functions as ::SendMessageW, ::TranslateAcceleratorW (or the A forms).
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <commctrl.h>

#include "HostObjects.h"

#ifdef SendMessage
#undef SendMessage
#endif
#ifdef TranslateAccelerator
#undef TranslateAccelerator
#endif

struct HostWindow {
    HWND hwnd;
};

struct FrameBars {
    HWND toolBar;   // the console's toolbar, into which snap-ins add a drop-down button
    HMENU menuBar;  // the console's menu bar, to which snap-ins append their popup
};

struct HostText {
    char text[512];
};

// Implemented by the console.
struct ISnapInHost {
    virtual IHostMessage* VANTREL_CALL CreateMessage() = 0;
    // Takes ownership; the answer arrives through the sender's IAnswerSink with
    // the same snap-in number and command code, on the user-interface thread and
    // never from inside this call.
    virtual void VANTREL_CALL SendMessage(IHostMessage* message) = 0;
    virtual void VANTREL_CALL LoadSettings() = 0;
    virtual void VANTREL_CALL SaveSettings() = 0;
    // Null when nothing is stored and no section can be made.
    virtual ISettingsNode* VANTREL_CALL GetSnapInSettings(int32_t snapInId) = 0;
    virtual HostWindow* VANTREL_CALL GetToolBarParent(HostWindow* out) = 0;
    // A status bar with the parts 0 (general), 1 (operation) and 2 (counts).
    virtual HostWindow* VANTREL_CALL GetStatusBar(HostWindow* out) = 0;
    virtual FrameBars* VANTREL_CALL GetFrameBars() = 0;
    virtual void VANTREL_CALL SetRemoteHostVersion(int16_t version) = 0;
    virtual void VANTREL_CALL RemoteHostVersionKnown() = 0;
    virtual void VANTREL_CALL SnapInSupported(int32_t snapInId) = 0;
    virtual void VANTREL_CALL SnapInNotSupported(int32_t snapInId) = 0;
    // 2: the managed machine is a handheld device platform.
    virtual int16_t VANTREL_CALL GetRemotePlatform() = 0;
    virtual void VANTREL_CALL BeginBusy() = 0;
    virtual void VANTREL_CALL EndBusy() = 0;
    virtual void VANTREL_CALL ShowSnapInToolBar(HWND toolBar, int32_t show, int32_t band, int32_t reserved) = 0;
    virtual void VANTREL_CALL HideSnapInToolBar(HWND toolBar) = 0;
    virtual const char* VANTREL_CALL GetTitlePrefix(HostText* out) = 0;
    virtual void VANTREL_CALL SetTitle(const char* title) = 0;

protected:
    ~ISnapInHost() = default;
};

// Implemented by every snap-in: the host delivers answers here.
struct IAnswerSink {
    // The receiver releases the answer exactly once.
    virtual void VANTREL_CALL OnAnswer(IHostMessage* answer) = 0;
    // Releases the answer unread.
    virtual void VANTREL_CALL DiscardAnswer(IHostMessage* answer) = 0;

protected:
    ~IAnswerSink() = default;
};

// A pair (command, image index) for CreateToolBar.
struct ToolBarImage {
    int32_t command;
    int32_t image;
};

// One management tool. The host calls operations 1 to 14; the rest are the
// snap-in's own and are in the table because their position is fixed.
struct ISnapIn {
    virtual void VANTREL_CALL SetMenuCommand(int32_t command) = 0;              // 1
    virtual void VANTREL_CALL Release() = 0;                                    // 2
    virtual void VANTREL_CALL Activate() = 0;                                   // 3
    virtual void VANTREL_CALL Deactivate() = 0;                                 // 4
    virtual IAnswerSink* VANTREL_CALL GetAnswerSink() = 0;                      // 5
    virtual int32_t VANTREL_CALL Reserved() = 0;                                // 6: returns 0
    virtual void* VANTREL_CALL DeletingDestructor(uint32_t flags) = 0;          // 7: bit 0 frees
    virtual HWND VANTREL_CALL Create(HWND parent) = 0;                          // 8
    virtual HWND VANTREL_CALL GetWindow() = 0;                                  // 9
    virtual BOOL VANTREL_CALL TranslateAccelerator(MSG* message) = 0;           // 10
    virtual void VANTREL_CALL OnConnected() = 0;                                // 11
    virtual void VANTREL_CALL OnHostNotify(int32_t value) = 0;                  // 12
    virtual void VANTREL_CALL QuerySupported() = 0;                             // 13
    virtual int32_t VANTREL_CALL GetSnapInId() = 0;                             // 14
    virtual void VANTREL_CALL OnActivate() = 0;                                 // 15
    virtual void VANTREL_CALL OnDeactivate() = 0;                               // 16
    virtual void VANTREL_CALL OnFirstActivate() = 0;                            // 17
    virtual void VANTREL_CALL SaveViewSettings() = 0;                           // 18
    virtual void VANTREL_CALL BeginBusy(uint32_t textId) = 0;                   // 19
    virtual void VANTREL_CALL ShowProgress(uint32_t textId, uint32_t done, uint32_t total) = 0;      // 20
    virtual void VANTREL_CALL EndBusyWithCount(uint32_t textId, uint32_t done, uint32_t total) = 0;  // 21
    virtual void VANTREL_CALL EndBusy(uint32_t textId) = 0;                     // 22
    virtual void VANTREL_CALL ShowAnswerError(IHostMessage* answer, uint32_t messageId, uint32_t captionId) = 0; // 23
    virtual void VANTREL_CALL ShowError(const char* text, uint32_t captionId) = 0;       // 24
    virtual void VANTREL_CALL ShowErrorW(const wchar_t* text, uint32_t captionId) = 0;   // 25
    virtual void VANTREL_CALL ShowErrorId(uint32_t messageId, uint32_t captionId) = 0;   // 26
    virtual void VANTREL_CALL SetStatusText(const char* text) = 0;              // 27
    virtual void VANTREL_CALL SetStatusId(uint32_t textId) = 0;                 // 28
    virtual void VANTREL_CALL MergeMenu(int32_t command, uint32_t nameId) = 0;  // 29
    virtual void VANTREL_CALL UnmergeMenu(int32_t buttonIndex) = 0;             // 30
    virtual void VANTREL_CALL UpdateCommands() = 0;                             // 31
    virtual void VANTREL_CALL CreateToolBar(const ToolBarImage* images, int32_t count) = 0;  // 32
    virtual void VANTREL_CALL SetDropDownButton(int32_t command) = 0;           // 33
    virtual void VANTREL_CALL OnToolBarEnabled() = 0;                           // 34
    virtual int32_t VANTREL_CALL CompareItems(int32_t item1, int32_t item2, int32_t listId) = 0;  // 35
    virtual void VANTREL_CALL UpdateTitle() = 0;                                // 36
    virtual BOOL VANTREL_CALL OnContextMenuKey() = 0;                           // 37
    virtual BOOL VANTREL_CALL OnToolTipTextA(UINT id, NMTTDISPINFOA* info) = 0; // 38
    virtual BOOL VANTREL_CALL OnToolTipTextW(UINT id, NMTTDISPINFOW* info) = 0; // 39

protected:
    ~ISnapIn() = default;
};

// The module's list of snap-ins for one host.
struct ISnapInList {
    virtual void* VANTREL_CALL DeletingDestructor(uint32_t flags) = 0;  // bit 0 frees
    virtual int32_t VANTREL_CALL Reserved() = 0;                         // returns 0
    // Null for a number outside 15000..15010 or when creation fails.
    virtual ISnapIn* VANTREL_CALL GetSnapIn(int32_t snapInId) = 0;
    // Releases every snap-in of the list, unregisters it and destroys it.
    virtual void VANTREL_CALL Release() = 0;

protected:
    ~ISnapInList() = default;
};

extern "C" typedef ISnapInList* (VANTREL_CALL* CreateSnapInListFn)(ISnapInHost* host);
