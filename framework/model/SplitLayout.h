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

// A splitter that keeps its bar at a proportion of the window as it resizes
// holds the proportion in these units: 5000 is the middle.
constexpr int kSplitUnits = 10000;
constexpr int kMiddleSplitUnits = kSplitUnits / 2;

// The proportion of the extent that the first pane takes, in kSplitUnits;
// the middle while the extent is not known yet (0 or less).
int SplitUnitsOf(int position, int extent);
// The position for a proportion (clamped to 0..kSplitUnits), clamped like
// ClampSplit.
int SplitAtUnits(int units, const SplitMetrics& metrics);

}  // namespace vantrel
