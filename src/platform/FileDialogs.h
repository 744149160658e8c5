#pragma once

#include <optional>
#include <string>
#include <vector>

namespace corvane {

// What a file dialog is asked. Filters use the console's own notation:
// pairs of description and patterns separated by '|', patterns by ';'
// ("Schedule Files (*.wsl)|*.wsl|All Files (*.*)|*.*").
struct FileDialogRequest {
    std::string title;
    std::string filter;
    int filterIndex = 1;          // 1-based, as the filter strings count
    std::string defaultExtension; // added to a typed name that has none (without or with the dot)
    std::string initialFolder;
    std::string fileName;
};

// The operator's choice of files and folders. Main thread, modal. An empty
// answer means the operator cancelled.
class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    virtual std::optional<std::string> OpenFile(const FileDialogRequest& request) = 0;
    virtual std::vector<std::string> OpenFiles(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> SaveFile(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> BrowseFolder(const std::string& title,
                                                    const std::string& initialFolder) = 0;
};

// One filter of a FileDialogRequest: the description and its patterns.
struct FileFilter {
    std::string description;
    std::vector<std::string> patterns;
};
std::vector<FileFilter> ParseFileFilter(const std::string& filter);

} // namespace corvane
