// Two panes in a window of their own, one above the other (or side by side),
// with a bar between
// them that the mouse drags. The bar is as thick as the system's window frame,
// each pane keeps at least twice the system's edge, and when the system drags
// full windows the panes follow the bar while it moves; otherwise a line shows
// where it will go and the panes move when the button is let go.
//
// The panes are children of the splitter's window. What they report to their
// parent (notifications, commands, context menus) is passed on to the window
// the owner names, so the splitter is invisible to the code that handles them.
#pragma once

#include "framework/model/SplitLayout.h"
#include "host/SnapInHost.h"

namespace vantrel {

// How the panes lie: the first above the second, or left of it.
enum class SplitDirection { Stacked, SideBySide };

class CSplitter {
public:
    CSplitter() = default;
    ~CSplitter();
    CSplitter(const CSplitter&) = delete;
    CSplitter& operator=(const CSplitter&) = delete;

    // Makes the splitter's window, hidden and empty, as a child of `parent`;
    // `forwardTo` receives what the panes report.
    bool Create(HWND parent, int controlId, HWND forwardTo, SplitDirection direction = SplitDirection::Stacked);
    HWND Handle() const { return window_; }

    // The panes must be children of Handle().
    void SetPanes(HWND upper, HWND lower);

    // The upper pane's height (the left pane's width). Before the window has a size this is the
    // position asked for (kCentredSplit included).
    int Position() const;
    // kCentredSplit centres the bar; any other position is clamped to what
    // leaves both panes their least size, now and whenever the window resizes.
    void SetPosition(int requested);
    bool Dragging() const { return dragging_; }

    // The system's measures the splitter follows.
    static int BarThickness();
    static int MinPaneSize();

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    SplitMetrics Metrics() const;
    void Layout();
    void BeginDrag(int pointerY);
    void Drag(int pointerY);
    void EndDrag(bool apply);
    // The line that shows where a dragged bar will go (-1: none).
    void MoveTrackingBar(int position);
    void InvertBand(int top);
    bool SideBySide() const { return direction_ == SplitDirection::SideBySide; }
    // The pointer's position along the extent, from a mouse message.
    int PointerOf(LPARAM position) const;

    HWND window_ = nullptr;
    HWND forwardTo_ = nullptr;
    SplitDirection direction_ = SplitDirection::Stacked;
    HWND upper_ = nullptr;
    HWND lower_ = nullptr;
    int requested_ = kCentredSplit;  // what the tool or the user asked for
    int position_ = kCentredSplit;   // where the bar lies, once laid out
    bool laidOut_ = false;
    // Dragging: where the bar was grabbed, whether the panes follow live, and
    // the tracking line shown (when they do not).
    bool dragging_ = false;
    bool fullDrag_ = false;
    int grabOffset_ = 0;
    int dragStart_ = 0;
    int tracked_ = -1;
};

void RegisterSplitterWindowClass();
void UnregisterSplitterWindowClass();

}  // namespace vantrel
