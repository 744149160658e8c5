#pragma once

namespace corvane {

// What the editing of the running schedule shows in a window: the move and
// cut/paste commands, the grid's selection, and the window kept painting
// through a long add. The station hands the schedule editor's displays here;
// with no window attached nothing is shown. Main thread.
class ScheduleView {
public:
    virtual ~ScheduleView() = default;

    // Whether "Move &Up" is enabled, and enabling "Move &Up" and "Move Dow&n".
    virtual bool MoveCommandsEnabled() = 0;
    virtual void EnableMoveCommands() = 0;
    // The schedule grid's selection is spent: clear it.
    virtual void ClearScheduleSelection() = 0;
    // Between the rows of a long add: the sound output's posted work and the
    // window's painting go on.
    virtual void KeepResponsive() = 0;
    // "Cut"/"&Cut" and "Paste"/"&Paste" availability changed.
    virtual void CutPasteChanged() = 0;
};

} // namespace corvane
