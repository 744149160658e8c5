#pragma once

#include "studio/RecordingShell.h"
#include "studio/ScriptedFileDialogs.h"
#include "studio/ScriptedPrompter.h"
#include "studio/VirtualStudio.h"

namespace corvane {

// The virtual studio with test doubles for every seam, ready to hand to the
// core as one Seams.
struct StudioSeams {
    explicit StudioSeams(TDateTime start = EncodeDateTime({2026, 1, 5, 9, 0, 0, 0})) : studio(start) {}

    VirtualStudio studio;
    ScriptedPrompter prompter;
    ScriptedFileDialogs fileDialogs;
    RecordingShell shell;

    Seams seams() { return Seams{studio.clock(), studio, studio, prompter, fileDialogs, shell}; }
};

} // namespace corvane
