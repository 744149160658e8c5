#pragma once

#include "platform/Shell.h"

#include <string>
#include <vector>

namespace corvane {

// A shell for tests: records what it was asked to open and reports success;
// by default the desktop has a browser.
class RecordingShell final : public Shell {
public:
    struct Opened {
        std::string target;
        std::string parameters;
    };
    bool Open(const std::string& pathOrProgram, const std::string& parameters = {}) override {
        opened_.push_back({pathOrProgram, parameters});
        return succeed_;
    }
    bool ShowsHtml() override { return showsHtml_; }
    void SetSucceed(bool succeed) { succeed_ = succeed; }
    void SetShowsHtml(bool shows) { showsHtml_ = shows; }
    const std::vector<Opened>& OpenedTargets() const { return opened_; }

private:
    std::vector<Opened> opened_;
    bool succeed_ = true;
    bool showsHtml_ = true;
};

} // namespace corvane
