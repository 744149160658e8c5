#include "playout/PlayoutCommands.h"

namespace corvane {

PlayoutCommands CommandsForOnAir(bool onAir, bool scheduleHasRows, DirectPlayout direct) {
    PlayoutCommands c;
    if (!scheduleHasRows) {
        c.Properties = true;
        return c;
    }
    c.FadeToNext = onAir && !direct.jingle && !direct.commercial;
    c.FadeToSelected = c.FadeToNext;
    c.SystemMenu = !onAir;
    c.Start = !onAir;
    c.Wizard = c.Start;
    c.Stop = !c.Start;
    c.Pause = c.Stop;
    c.PlayLists = !onAir;
    c.LoadScheduleFile = !onAir;
    c.LoadPlaylist = !onAir;
    c.ClearSchedule = c.Start;
    c.SaveScheduleFile = true;
    c.ExportSchedule = true;
    c.MoveUp = true;
    c.MoveDown = true;
    c.Mode = OperatingMode::Automatic;
    return c;
}

} // namespace corvane
