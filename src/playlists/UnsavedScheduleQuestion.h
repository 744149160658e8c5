#pragma once

namespace corvane {

class Prompter;
class Table;

// Before the running schedule is replaced (by a schedule file or a play
// list): when it has changes not yet saved, asks "The current schedule is not
// saved, proceed anyway?". True when it may be replaced (nothing unsaved, or
// the operator answered Yes). Main thread.
bool MayReplaceSchedule(Table& schedule, Prompter& prompter);

} // namespace corvane
