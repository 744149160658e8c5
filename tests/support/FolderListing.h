#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace corvane::testing {

// Every entry below `folder` with its size and time: two listings compare
// equal when nothing in the folder was added, removed or written.
using FolderListing = std::map<std::string, std::pair<uintmax_t, std::filesystem::file_time_type>>;

inline FolderListing ListFolder(const std::filesystem::path& folder) {
    FolderListing listing;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        listing[entry.path().string()] = {entry.is_regular_file() ? entry.file_size() : 0,
                                          entry.last_write_time()};
    return listing;
}

// The entries added, removed or written between two listings, by name.
inline std::vector<std::string> ChangedEntries(const FolderListing& before, const FolderListing& after) {
    std::vector<std::string> changed;
    for (const auto& [name, entry] : after)
        if (!before.count(name) || before.at(name) != entry)
            changed.push_back(name);
    for (const auto& [name, entry] : before)
        if (!after.count(name))
            changed.push_back(name);
    return changed;
}

} // namespace corvane::testing
