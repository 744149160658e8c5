#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <string>

namespace corvane {

// The console's diagnostic message list ("Memo1"): lines are only appended;
// past MaxLines the oldest are dropped so that a run of days keeps its memory
// flat. Main thread.
class MessageList {
public:
    static constexpr size_t MaxLines = 5000;

    MessageList();
    void Add(std::string line);
    const std::deque<std::string>& Lines() const { return lines_; }
    const std::string& Last() const { return lines_.back(); }

    // Told of every line added (the window's list, when it shows one).
    std::function<void(const std::string& line)> OnAdd;

private:
    std::deque<std::string> lines_;
};

} // namespace corvane
