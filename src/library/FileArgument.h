#pragma once

#include <functional>
#include <string>

namespace corvane {

class Prompter;

// Where a file named on the command line (the desktop's "open" of one of the
// program's file types) is sent. A route left empty is a part not built
// into this console.
struct FileArgumentRoutes {
    std::function<void(const std::string& path)> LoadSchedule;       // ".wsl"
    std::function<void(const std::string& path)> LoadPlayList;       // ".ply", into the schedule
    std::function<void(const std::string& path)> LoadRack;           // ".rck", into the rack
    std::function<void(const std::string& path)> OpenCommercialList; // ".ads", into the editor
};

enum class FileArgumentResult { Opened, NotAvailable, Ignored, Unreadable };

// Opens the file as its extension (any letter case) suggests. A file of
// another kind, a missing file, or a kind whose part is not present is
// reported to the operator (information, OK) and otherwise ignored; so is a
// file the route could not open (Unreadable), with the reason. Main thread.
FileArgumentResult OpenFileArgument(const std::string& path, const FileArgumentRoutes& routes,
                                    Prompter& prompter);

} // namespace corvane
