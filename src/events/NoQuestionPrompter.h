#pragma once

#include "platform/Prompter.h"

#include <string>

namespace corvane {

// A prompter for work an unattended event does with the console's own
// commands: nothing is shown and nobody is waited for. A question is answered
// as going on (Yes or OK), because whatever it protects was taken care of
// before (an unsaved schedule is written aside first); the last text is kept
// so that an event can say what a command would have told the operator.
// Main thread.
class NoQuestionPrompter final : public Prompter {
public:
    MessageAnswer Show(const std::string& text, MessageType, MessageButtons buttons) override {
        lastText_ = text;
        return buttons == MessageButtons::YesNo || buttons == MessageButtons::YesNoCancel ? MessageAnswer::Yes
                                                                                          : MessageAnswer::Ok;
    }
    const std::string& LastText() const { return lastText_; }

private:
    std::string lastText_;
};

} // namespace corvane
