// The event properties dialog: one event of the shown log in full, its
// description and data fetched on demand with command 308, steps to the row
// above or below, and a copy of everything to the clipboard.
//
// Rows come and go with every reload, clear or open: the dialog keeps the log
// and record number it shows and looks the record up whenever it shows it or
// an answer arrives.
#pragma once

#include "framework/Handles.h"
#include "host/SnapInHost.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace vantrel {

class CEventViewerSnapIn;
namespace eventviewer {
struct EventRecord;
}

class CEventPropertiesDialog {
public:
    explicit CEventPropertiesDialog(CEventViewerSnapIn& owner) : owner_(owner) {}
    ~CEventPropertiesDialog() { Destroy(); }
    CEventPropertiesDialog(const CEventPropertiesDialog&) = delete;
    CEventPropertiesDialog& operator=(const CEventPropertiesDialog&) = delete;

    // Made hidden with the snap-in window, shown on demand, hidden on close.
    void Create(HWND owner);
    void Destroy();
    HWND Window() const { return dialog_.get(); }

    // "Event Properties" and a double click: the selected row of the shown log.
    void OpenForSelection();
    // Answer 308 (the base has taken it as outstanding).
    void OnDescriptionAnswer(IMessageNode& root);
    // The rows of a log were replaced: what is shown is looked up again.
    void OnRowsChanged(int log);

private:
    struct RecordRef {
        int log = 0;
        uint32_t recordNumber = 0;
        size_t rowHint = 0;
    };

    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    static INT_PTR CALLBACK PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
    void OnPageCommand(UINT id);
    void SetUpPage();

    // The record a reference names, if its row still holds it loaded.
    const eventviewer::EventRecord* Find(RecordRef& ref) const;
    // Shows a row of the shown log: nothing for a row not loaded.
    bool ShowRow(int row);
    void ShowRecord(const eventviewer::EventRecord& record);
    void ShowData();
    void ClearFields();
    void Step(int delta);
    void AskForDescription(const RecordRef& ref);
    void CopyToClipboard();
    std::wstring PageText(int id) const;

    CEventViewerSnapIn& owner_;
    UniqueWindow dialog_;
    HWND page_ = nullptr;
    HWND toolTip_ = nullptr;  // owned by the dialog, destroyed with it
    UniqueFont dumpFont_;
    std::array<UniqueIcon, 3> buttonIcons_;
    std::optional<RecordRef> shown_;
    std::optional<RecordRef> asked_;  // the one 308 on its way
};

}  // namespace vantrel
