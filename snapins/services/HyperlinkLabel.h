// A "static" control turned into a hyperlink: its link part (all of its text,
// or what "<A>" and "</A>" enclose) drawn underlined in the link colour, a
// hand cursor and a tooltip of its own, and a click reported to the parent as
// the label's command (WM_COMMAND with its control id).
#pragma once

#include "framework/Handles.h"

#include <string>

namespace vantrel {

class CHyperlinkLabel {
public:
    struct Colours {
        COLORREF link = RGB(0, 0, 255);
        COLORREF visited = RGB(128, 0, 128);
    };
    // The built-in colours, each replaced by the current user's browser
    // setting ("Anchor Color", "Anchor Color Visited") where that is readable.
    static Colours ReadColours();

    CHyperlinkLabel() = default;
    ~CHyperlinkLabel() { Detach(); }
    CHyperlinkLabel(const CHyperlinkLabel&) = delete;
    CHyperlinkLabel& operator=(const CHyperlinkLabel&) = delete;

    // Takes over a static control of a dialog; false if it cannot be subclassed.
    bool Attach(HWND label, const Colours& colours, const std::wstring& toolTip);
    // Gives the control back as it was; also done when the control goes.
    void Detach();
    HWND Handle() const { return label_; }

    // A clicked link is drawn in the visited colour until this is cleared.
    void SetVisited(bool visited);
    bool Visited() const { return visited_; }

private:
    struct Segments;

    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR self);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void MakeLinkFont();
    void MakeToolTip(const std::wstring& text);
    Segments Measure(HDC dc) const;
    void Paint(HDC dc);
    bool OverLink(POINT client) const;
    bool CursorOverLink() const;
    void Click();

    HWND label_ = nullptr;
    UniqueFont linkFont_;  // the control's font, underlined
    UniqueCursor cursor_;
    UniqueWindow toolTip_;
    Colours colours_;
    bool visited_ = false;
    bool pressed_ = false;
};

}  // namespace vantrel
