#pragma once

#include <string>

namespace corvane {

enum class MessageType { Information, Warning, Confirmation, Error };
enum class MessageButtons { Ok, YesNo, YesNoCancel, OkCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No };

// Modal message boxes for the operator. Main thread. Show returns once the
// operator has answered; closing the box counts as Cancel (or No when the
// button set has no Cancel, Ok when it has only Ok).
class Prompter {
public:
    virtual ~Prompter() = default;
    virtual MessageAnswer Show(const std::string& text, MessageType type, MessageButtons buttons) = 0;
};

} // namespace corvane
