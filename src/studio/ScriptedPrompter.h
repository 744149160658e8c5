#pragma once

#include "platform/Prompter.h"

#include <deque>
#include <string>
#include <vector>

namespace corvane {

// A prompter for tests: records every message and answers from a script. With
// the script empty it answers the button set's first button (Ok or Yes).
class ScriptedPrompter final : public Prompter {
public:
    struct Shown {
        std::string text;
        MessageType type;
        MessageButtons buttons;
    };

    void Answer(MessageAnswer answer) { script_.push_back(answer); }
    const std::vector<Shown>& Messages() const { return shown_; }
    void Clear() { shown_.clear(); }

    MessageAnswer Show(const std::string& text, MessageType type, MessageButtons buttons) override {
        shown_.push_back({text, type, buttons});
        if (!script_.empty()) {
            const MessageAnswer a = script_.front();
            script_.pop_front();
            return a;
        }
        return buttons == MessageButtons::YesNo || buttons == MessageButtons::YesNoCancel ? MessageAnswer::Yes
                                                                                          : MessageAnswer::Ok;
    }

private:
    std::deque<MessageAnswer> script_;
    std::vector<Shown> shown_;
};

} // namespace corvane
