// Where the bar between two panes may lie: the geometry of a splitter, free of
// any window, so that every tool with two panes (and its tests) agrees on it.
//
// Positions are the size of the first pane (the upper or left one) in pixels.
#pragma once

namespace vantrel {

// "Put the bar in the middle", the position a tool asks for before the user
// has chosen one.
constexpr int kCentredSplit = -1;

struct SplitMetrics {
    int extent = 0;   // height (or width) of the whole window
    int bar = 0;      // thickness of the bar
    int minPane = 0;  // the least each pane keeps
};

// The position the bar takes for a requested one: kCentredSplit centres it;
// anything else is clamped so that both panes keep their least size. When the
// window is too small for that, the bar goes to the middle of what there is.
int ClampSplit(int requested, const SplitMetrics& metrics);

// The first pane's size when the bar is dragged to `pointer` (the pointer's
// position along the extent) after being grabbed `grabOffset` pixels below
// (or right of) the bar's start: clamped like ClampSplit.
int DraggedSplit(int pointer, int grabOffset, const SplitMetrics& metrics);

}  // namespace vantrel
