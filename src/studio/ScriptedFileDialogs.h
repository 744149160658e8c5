#pragma once

#include "platform/FileDialogs.h"

#include <deque>
#include <vector>

namespace corvane {

// File dialogs for tests: records every request and answers from a script of
// chosen paths (an empty list is a cancel).
class ScriptedFileDialogs final : public FileDialogs {
public:
    void Choose(std::vector<std::string> paths) { script_.push_back(std::move(paths)); }
    const std::vector<FileDialogRequest>& Requests() const { return requests_; }

    std::optional<std::string> OpenFile(const FileDialogRequest& request) override { return One(request); }
    std::vector<std::string> OpenFiles(const FileDialogRequest& request) override { return Next(request); }
    std::optional<std::string> SaveFile(const FileDialogRequest& request) override { return One(request); }
    std::optional<std::string> BrowseFolder(const std::string& title,
                                            const std::string& initialFolder) override {
        FileDialogRequest r;
        r.title = title;
        r.initialFolder = initialFolder;
        return One(r);
    }

private:
    std::vector<std::string> Next(const FileDialogRequest& request) {
        requests_.push_back(request);
        if (script_.empty())
            return {};
        auto paths = std::move(script_.front());
        script_.pop_front();
        return paths;
    }
    std::optional<std::string> One(const FileDialogRequest& request) {
        auto paths = Next(request);
        if (paths.empty())
            return std::nullopt;
        return paths.front();
    }

    std::deque<std::vector<std::string>> script_;
    std::vector<FileDialogRequest> requests_;
};

} // namespace corvane
