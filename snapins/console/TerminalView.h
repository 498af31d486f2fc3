// The terminal: the remote console's cells drawn in the OEM fixed-pitch font,
// a sunken border, scroll bars by line and page, the cursor as the system
// caret while it has the focus, and one line of text instead of the cells
// while the console is not running.
#pragma once

#include "host/SnapInHost.h"
#include "snapins/console/model/ConsoleScreen.h"

#include <string>
#include <vector>

namespace vantrel {

// What the terminal asks of the snap-in that owns it.
class ITerminalOwner {
public:
    // A key message addressed to the terminal; true when it was taken care of.
    virtual bool OnTerminalKey(const MSG& message) = 0;
    virtual void OnTerminalFocus(bool gained) = 0;
    // While keys go to the other side, their characters are not for us either.
    virtual bool KeysCaptured() const = 0;

protected:
    ~ITerminalOwner() = default;
};

class CTerminalView {
public:
    CTerminalView(ITerminalOwner& owner, const console::ConsoleScreen& screen);
    ~CTerminalView();
    CTerminalView(const CTerminalView&) = delete;
    CTerminalView& operator=(const CTerminalView&) = delete;

    // A visible tab-stop child; starts disabled with an empty text.
    bool Create(HWND parent, int controlId);
    HWND Handle() const { return window_; }

    // Draws the cells again.
    void Enable();
    // Shows `text` instead of the cells.
    void Disable(std::wstring text);
    bool Enabled() const { return enabled_; }

    // The screen took an answer: resize the grid and scroll bars, redraw what
    // changed, follow the cursor.
    void OnScreenChanged(const console::ScreenUpdate& update);

    int CellWidth() const { return cellWidth_; }
    int CellHeight() const { return cellHeight_; }
    // The first column and row shown.
    POINT ScrollPosition() const { return {scrollColumn_, scrollRow_}; }

    static LRESULT CALLBACK WindowClassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    bool OnKeyMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void MeasureCells();

    // ---- painting ----
    void Paint(HDC dc, const RECT& clip);
    void PaintBorder(HDC dc, const RECT& client) const;
    void PaintText(HDC dc, const RECT& inner) const;
    void PaintCells(HDC dc, const RECT& inner, const RECT& clip);
    void PaintRow(HDC dc, const RECT& inner, int row, int firstColumn, int lastColumn);
    void PaintRowByColour(HDC dc, const RECT& inner, int top);
    void PairTextsWithGrounds();
    void DrawRun(HDC dc, const RECT& cells, const char* text, int count, UINT options) const;
    RECT InnerRect() const;

    // ---- scrolling ----
    int VisibleColumns() const;
    int VisibleRows() const;
    void UpdateScrollBars();
    void OnScroll(int bar, int request);
    void ScrollTo(int column, int row);
    void KeepCursorInView();

    // ---- caret ----
    void UpdateCaret();
    void RemoveCaret();

    ITerminalOwner& owner_;
    const console::ConsoleScreen& screen_;
    HWND window_ = nullptr;
    HFONT font_ = nullptr;  // a stock object: never deleted
    int cellWidth_ = 8;
    int cellHeight_ = 12;
    console::LeadBytes leadBytes_ = console::LeadBytes::None;
    bool enabled_ = false;
    std::wstring text_;
    int scrollColumn_ = 0;
    int scrollRow_ = 0;
    bool updatingScrollBars_ = false;
    bool focused_ = false;
    bool caretShown_ = false;
    SIZE caretSize_ = {};
    // The runs of one row by the colour they agree in, kept between
    // paints so that drawing allocates nothing.
    struct RowRuns {
        std::vector<console::CellRun> runs;
        std::string text;
        std::vector<size_t> starts;  // where each run's text begins

        void Plan(const uint8_t* cells, int width, int first, int last, console::LeadBytes rule, uint8_t mask);
        const char* TextOf(size_t run) const { return text.data() + starts[run]; }
    };
    RowRuns grounds_;
    RowRuns texts_;
    std::vector<int> groundOfText_;     // the background run a text run draws with it, or -1
    std::vector<char> groundWithText_;  // whether a background run is drawn with its text
    std::vector<INT> advances_;
    std::vector<uint32_t> rowPixels_;  // a row's grounds, a pixel a cell
    std::string rowText_;              // a row's text of one colour, blanks elsewhere
};

// The terminal's window class, registered with the snap-in window class.
void RegisterTerminalWindowClass();
void UnregisterTerminalWindowClass();

}  // namespace vantrel
