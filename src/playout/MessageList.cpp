#include "playout/MessageList.h"

namespace corvane {

MessageList::MessageList() {
    lines_.emplace_back("Memo1");
}

void MessageList::Add(std::string line) {
    lines_.push_back(std::move(line));
    while (lines_.size() > MaxLines)
        lines_.pop_front();
    if (OnAdd)
        OnAdd(lines_.back());
}

} // namespace corvane
