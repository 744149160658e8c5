#pragma once

namespace corvane {

// Why the item on air is leaving before its end, as playout knows it: what
// the as-run log records as the item's end when it is heard to end.
enum class ItemExit {
    // The operator faded it (fade to next, to a chosen row, to stop).
    Faded,
    // The operator started another row over it.
    Skipped,
};

} // namespace corvane
