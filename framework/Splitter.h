// Two panes in a window of their own, one above the other, with a bar between
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

// How a splitter lies and keeps its bar; the defaults are the panes one above
// the other with the system's least size and the bar kept in pixels.
enum class SplitAxis { Stacked, SideBySide };
struct SplitterOptions {
    SplitAxis axis = SplitAxis::Stacked;
    int minPane = 0;  // 0: the system's least size
    // The bar stays at the same proportion of the window (in kSplitUnits)
    // when the window resizes, instead of at the same pixel.
    bool keepsProportion = false;
};

class CSplitter {
public:
    CSplitter() = default;
    ~CSplitter();
    CSplitter(const CSplitter&) = delete;
    CSplitter& operator=(const CSplitter&) = delete;

    // Makes the splitter's window, hidden and empty, as a child of `parent`;
    // `forwardTo` receives what the panes report.
    bool Create(HWND parent, int controlId, HWND forwardTo);
    bool Create(HWND parent, int controlId, HWND forwardTo, const SplitterOptions& options);
    HWND Handle() const { return window_; }

    // The panes must be children of Handle().
    void SetPanes(HWND upper, HWND lower);

    // The first (upper or left) pane's size. Before the window has a size this is the
    // position asked for (kCentredSplit included).
    int Position() const;
    // kCentredSplit centres the bar; any other position is clamped to what
    // leaves both panes their least size, now and whenever the window resizes.
    void SetPosition(int requested);
    bool Dragging() const { return dragging_; }
    // Where the bar lies as a proportion of the window, in kSplitUnits
    // (for a splitter that keeps its proportion).
    int Proportion() const { return units_; }

    // The system's measures the splitter follows.
    static int BarThickness();
    static int MinPaneSize();
    // This splitter's bar: side by side, the system's sizing frame, wider by
    // twice the edge when the window has a client edge.
    int Bar() const;

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    SplitMetrics Metrics() const;
    void Layout();
    bool SideBySide() const { return options_.axis == SplitAxis::SideBySide; }
    // The pointer's coordinate along the extent.
    int Along(LPARAM point) const;
    // A position the user chose by dragging.
    void Choose(int position);
    void BeginDrag(int pointer);
    void Drag(int pointer);
    void EndDrag(bool apply);
    // The line that shows where a dragged bar will go (-1: none).
    void MoveTrackingBar(int position);
    void InvertBand(int start);

    HWND window_ = nullptr;
    HWND forwardTo_ = nullptr;
    HWND upper_ = nullptr;
    HWND lower_ = nullptr;
    SplitterOptions options_;
    int requested_ = kCentredSplit;  // what the tool or the user asked for
    // Keeping the proportion: the bar's proportion, and whether a position
    // asked for before the window had its extent still waits for it.
    int units_ = kMiddleSplitUnits;
    bool choicePending_ = false;
    int dragStartUnits_ = kMiddleSplitUnits;
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
