#pragma once

#include <functional>
#include <string>

namespace corvane {

class Prompter;

// Before an editor closes a list, rack or play list with changes not yet
// saved: asks `question` with Yes, No and Cancel. Yes saves (`save` returns
// whether it did); No closes without saving. True when the editor may close:
// nothing unsaved, No, or a save that happened. Cancel, or a save that was
// cancelled or failed, keeps the editor open, so that rows the operator wanted
// kept are never thrown away. Main thread.
bool MayCloseUnsaved(Prompter& prompter, const std::string& question, bool modified,
                     const std::function<bool()>& save);

} // namespace corvane
