#include "framework/model/SplitLayout.h"

#include <algorithm>

namespace vantrel {

int ClampSplit(int requested, const SplitMetrics& metrics) {
    const int bar = std::max(metrics.bar, 0);
    const int minPane = std::max(metrics.minPane, 0);
    // Extents and positions come from windows and stored settings: widen
    // before any sum so that nonsense cannot overflow.
    const long long room = std::max<long long>(static_cast<long long>(metrics.extent) - bar, 0);
    if (requested == kCentredSplit || room < 2LL * minPane) return static_cast<int>(room / 2);
    return static_cast<int>(std::clamp<long long>(requested, minPane, room - minPane));
}

int DraggedSplit(int pointer, int grabOffset, const SplitMetrics& metrics) {
    const long long wanted = static_cast<long long>(pointer) - grabOffset;
    // Anything the pointer can reach lies well inside int; kCentredSplit is
    // a request, not a place the bar can be dragged to.
    const int clampedWanted = static_cast<int>(std::clamp<long long>(wanted, 0, 1 << 30));
    return ClampSplit(clampedWanted, metrics);
}

int SplitUnitsOf(int position, int extent) {
    if (extent <= 0) return kMiddleSplitUnits;
    // Rounded to the nearest both ways, so that a position survives the
    // round trip through units on any window narrower than kSplitUnits.
    const long long units = (static_cast<long long>(std::max(position, 0)) * kSplitUnits + extent / 2) / extent;
    return static_cast<int>(std::min<long long>(units, kSplitUnits));
}

int SplitAtUnits(int units, const SplitMetrics& metrics) {
    const long long share =
        (static_cast<long long>(std::clamp(units, 0, kSplitUnits)) * std::max(metrics.extent, 0) + kSplitUnits / 2) / kSplitUnits;
    return ClampSplit(static_cast<int>(share), metrics);
}

}  // namespace vantrel
