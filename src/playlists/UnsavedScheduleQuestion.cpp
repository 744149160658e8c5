#include "playlists/UnsavedScheduleQuestion.h"

#include "data/Table.h"
#include "platform/Prompter.h"

namespace corvane {

bool MayReplaceSchedule(Table& schedule, Prompter& prompter) {
    // Saving the schedule to a file leaves its changes pending, so a saved
    // schedule is asked about too, as it always has been.
    return !(schedule.Active() && schedule.ChangesPending()) ||
           prompter.Show("The current schedule is not saved, proceed anyway?", MessageType::Confirmation,
                         MessageButtons::YesNo) == MessageAnswer::Yes;
}

} // namespace corvane
