#include "library/AudioFolderScan.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <set>
#include <sys/stat.h>
#include <utility>

namespace corvane {
namespace {

bool EndsWithNoCase(std::string_view name, std::string_view suffix) {
    if (name.size() < suffix.size())
        return false;
    const std::string_view tail = name.substr(name.size() - suffix.size());
    for (size_t i = 0; i < suffix.size(); ++i) {
        const char c = tail[i] >= 'A' && tail[i] <= 'Z' ? static_cast<char>(tail[i] - 'A' + 'a') : tail[i];
        if (c != suffix[i])
            return false;
    }
    return true;
}

class Walk {
public:
    Walk(std::vector<std::string>& list, const std::atomic<bool>& cancel, ScanCounters* counters,
         std::vector<ScanProblem>* problems)
        : list_(list), cancel_(cancel), counters_(counters), problems_(problems) {}

    // False once cancelled.
    bool Folder(const std::string& folder) {
        struct stat self {};
        if (::stat(folder.c_str(), &self) != 0) {
            Problem(folder, "the folder cannot be searched: ");
            return true;
        }
        if (!visited_.insert({self.st_dev, self.st_ino}).second)
            return true;
        DIR* dir = ::opendir(folder.c_str());
        if (!dir) {
            Problem(folder, "the folder cannot be read: ");
            return true;
        }
        if (counters_)
            counters_->folders.fetch_add(1, std::memory_order_relaxed);
        const std::string prefix = folder.ends_with('/') ? folder : folder + "/";
        bool going = true;
        while (going) {
            if (cancel_.load(std::memory_order_relaxed)) {
                going = false;
                break;
            }
            const dirent* entry = ::readdir(dir);
            if (!entry)
                break;
            const std::string_view name = entry->d_name;
            if (name == "." || name == "..")
                continue;
            unsigned char type = entry->d_type;
            if (type == DT_LNK || type == DT_UNKNOWN) {
                // A link counts as what it points at; a dangling one as nothing.
                struct stat target {};
                if (::stat((prefix + entry->d_name).c_str(), &target) != 0) {
                    if (errno != ENOENT)
                        Problem(prefix + entry->d_name, "the link cannot be followed: ");
                    continue;
                }
                type = S_ISDIR(target.st_mode) ? DT_DIR : S_ISREG(target.st_mode) ? DT_REG : DT_UNKNOWN;
            }
            if (type == DT_DIR) {
                // The entries still to come stay open while the sub-folder is searched.
                going = Folder(prefix + entry->d_name);
            } else if (type == DT_REG && IsAudioFileName(name)) {
                list_.push_back(prefix + entry->d_name);
                if (counters_)
                    counters_->files.fetch_add(1, std::memory_order_relaxed);
            }
        }
        ::closedir(dir);
        return going;
    }

private:
    // The system's reason (errno) for `path`, after `what`.
    void Problem(const std::string& path, const char* what) {
        if (problems_)
            problems_->push_back({path, what + std::string(std::strerror(errno))});
    }

    std::vector<std::string>& list_;
    const std::atomic<bool>& cancel_;
    ScanCounters* counters_;
    std::vector<ScanProblem>* problems_;
    std::set<std::pair<dev_t, ino_t>> visited_;
};

} // namespace

bool IsAudioFileName(std::string_view name) {
    return EndsWithNoCase(name, ".mp3") || EndsWithNoCase(name, ".wav");
}

ScanOutcome ScanFolderForAudio(const std::string& folder, std::vector<std::string>& list,
                               const std::atomic<bool>& cancel, ScanCounters* counters,
                               std::vector<ScanProblem>* problems) {
    Walk walk(list, cancel, counters, problems);
    return walk.Folder(folder) ? ScanOutcome::Complete : ScanOutcome::Cancelled;
}

} // namespace corvane
