// The host used by the module's tests: a real frame with bars around the
// module's windows, which records every request, delivers answers when told,
// counts releases and busy calls, and captures message boxes and dialogs.
#pragma once

#include "hostwin/HostFrame.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace vantrel::test {

using host::Message;

// Loads the module from the test program's directory, once per process.
class ModuleUnderTest {
public:
    static HMODULE Handle();
    static ISnapInList* CreateList(ISnapInHost* host);
};

// What a captured dialog showed, read back from its controls.
struct CapturedDialog {
    std::wstring caption;
    std::wstring text;         // message boxes: the message
    bool isMessageBox = false;
    bool errorIcon = false;    // the stop-sign icon of MB_ICONERROR
    std::vector<std::wstring> buttons;
    std::map<int, std::wstring> controlTexts;  // every child control by id
    std::map<int, bool> checked;               // check boxes by id
};

// A popup menu that was open, read back from the menu itself.
struct CapturedMenu {
    struct Item {
        std::wstring text;
        UINT state;  // MF_GRAYED, MF_CHECKED, MF_POPUP ...
        UINT id;
    };
    std::vector<Item> items;
    RECT window = {};
    const Item* Find(const std::wstring& text) const {
        for (const auto& item : items)
            if (item.text == text) return &item;
        return nullptr;
    }
};

class TestHost : public host::HostFrame {
public:
    TestHost();
    ~TestHost() override;

    ISnapInList* List() const { return list_; }
    // Releases the list (and its snap-ins) and asks the module for a new one.
    ISnapInList* RenewList();
    // Gets, creates (inside the content area) and attaches a snap-in.
    ISnapIn* Open(int32_t snapInId);
    // The same for a snap-in made outside the module (the tests' own): this
    // host delivers its answers; the caller keeps it.
    ISnapIn* Adopt(ISnapIn* snapIn);
    void Activate(ISnapIn* snapIn);

    // Every request sent so far, in order (copies).
    const std::vector<std::unique_ptr<Message>>& Requests() const { return requests_; }
    const Message* LastRequest(uint32_t command) const;
    size_t CountRequests(uint32_t command) const;
    void ClearRequests() { requests_.clear(); }

    // A new answer for a snap-in; released through this host, which counts.
    std::unique_ptr<Message> MakeAnswer(int32_t snapInId, uint32_t command);
    // Hands the answer to the snap-in now, as the console's loop would.
    void Deliver(std::unique_ptr<Message> answer);
    // Answers every request from now on with the responder, after the delay.
    void AnswerWith(std::function<std::unique_ptr<Message>(const Message&)> responder, unsigned delayMs = 0);
    // A host that cannot make messages (out of memory) gives null.
    void RefuseMessages(bool refuse) { refuseMessages_ = refuse; }
    IHostMessage* VANTREL_CALL CreateMessage() override {
        return refuseMessages_ ? nullptr : HostFrame::CreateMessage();
    }
    int Releases() const { return releases_; }
    int DoubleReleases() const { return doubleReleases_; }
    int AnswersMade() const { return answersMade_; }

    int BeginBusyCalls() const { return beginBusy_; }
    int EndBusyCalls() const { return endBusy_; }
    const std::vector<int32_t>& Supported() const { return supported_; }
    const std::vector<int32_t>& NotSupported() const { return notSupported_; }

    // Pumps messages until the condition holds or the time is up.
    bool PumpUntil(const std::function<bool()>& condition, unsigned timeoutMs = 5000);
    void PumpFor(unsigned ms);

    // Dialogs: each one that opens is captured and closed with the button
    // the handler returns (IDOK when there is no handler).
    std::vector<CapturedDialog>& Dialogs() { return dialogs_; }
    void OnDialog(std::function<int(HWND dialog, const CapturedDialog&)> handler) { dialogHandler_ = std::move(handler); }

    // Popup menus: each one that opens is read and closed.
    std::vector<CapturedMenu>& Menus() { return menus_; }

    // Called by the CBT hook and the dialog timer.
    void CaptureDialog(HWND dialog);
    void CaptureMenu(HWND menuWindow);

protected:
    void OnRequest(std::unique_ptr<Message> request) override;
    void OnSupported(int32_t snapInId, bool supported) override;
    void OnBusyChanged() override {}

public:
    void VANTREL_CALL BeginBusy() override;
    void VANTREL_CALL EndBusy() override;

private:
    void OnReleased(Message* message);
    // Counts an answer once and routes its release through this host.
    void Track(Message& answer);

    ISnapInList* list_ = nullptr;
    HHOOK hook_ = nullptr;
    UINT_PTR dialogTimer_ = 0;
    std::vector<std::unique_ptr<Message>> requests_;
    std::vector<std::unique_ptr<Message>> releasedAnswers_;  // kept so a second release is seen, not a crash
    bool refuseMessages_ = false;
    int releases_ = 0;
    int doubleReleases_ = 0;
    int answersMade_ = 0;
    int beginBusy_ = 0;
    int endBusy_ = 0;
    std::vector<int32_t> supported_;
    std::vector<int32_t> notSupported_;
    std::vector<CapturedDialog> dialogs_;
    std::vector<CapturedMenu> menus_;
    std::function<int(HWND, const CapturedDialog&)> dialogHandler_;
};

// Reads a window's text.
std::wstring WindowText(HWND window);
// The file of the module whose code runs a window, in lower case: the common
// controls 6 library, user32 or another.
std::wstring WindowProcModule(HWND window);
// Reads a list-view cell.
std::wstring ListViewText(HWND list, int item, int subItem);
// The first descendant window with this control id, or null.
HWND Descendant(HWND root, int id);
// The columns of a report list, counted in its header.
int ColumnCount(HWND list);
// A column's title as the list's header shows it.
std::wstring ColumnHeader(HWND list, int column);
// A window's client area as WM_PRINTCLIENT draws it on a ground of one colour:
// width * height pixels, row by row, as 0x00RRGGBB.
std::vector<uint32_t> PrintedClient(HWND window, int width, int height, uint32_t ground);
// What an owner-data list tells its parent before it draws rows first..last.
void CacheHint(HWND list, int first, int last);
// The picture a column's header shows, its sort arrow; -1 without one.
int SortArrow(HWND list, int column);
// A tab's text.
std::wstring TabText(HWND tabs, int index);
// Chooses a tab as a click does: the tab control selects it and tells its parent.
void ChooseTab(HWND tabs, int index);
// Closes the tool's window while its answers are on their way: they must end
// its busy state without a box, and each must be released once.
void ExpectQuietEndAfterTheWindowHasGone(TestHost& host, ISnapIn* snapIn);

}  // namespace vantrel::test
