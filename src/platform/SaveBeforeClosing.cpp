#include "platform/SaveBeforeClosing.h"

#include "platform/Prompter.h"

namespace corvane {

bool MayCloseUnsaved(Prompter& prompter, const std::string& question, bool modified,
                     const std::function<bool()>& save) {
    if (!modified)
        return true;
    switch (prompter.Show(question, MessageType::Confirmation, MessageButtons::YesNoCancel)) {
    case MessageAnswer::Yes:
        return save();
    case MessageAnswer::No:
        return true;
    default:
        return false;
    }
}

} // namespace corvane
