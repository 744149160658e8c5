#pragma once

#include <string>
#include <vector>

namespace corvane {

// One of the program's file types, as the desktop records it.
struct ProgramFileType {
    const char* extension;   // ".wsl"
    const char* typeName;    // "VantorCorvane.Schedule"
    const char* description; // "Vantor Corvane Schedule Log"

    // The MIME type the desktop knows it by: "application/x-" + the type
    // name in lower case with '.' as '-' ("application/x-vantorcorvane-schedule").
    std::string MimeType() const;
};

// Schedules, play lists, racks and commercial lists, in that order.
const std::vector<ProgramFileType>& ProgramFileTypes();

// The user's own freedesktop folders: $XDG_DATA_HOME (else ~/.local/share)
// and $XDG_CONFIG_HOME (else ~/.config).
struct XdgFolders {
    std::string dataHome;
    std::string configHome;
};
XdgFolders UserXdgFolders();

inline constexpr const char* MimePackageFile = "vantor-corvane.xml";      // in <data>/mime/packages
inline constexpr const char* DesktopEntryFile = "vantor-corvane.desktop"; // in <data>/applications

// The shared-mime-info package naming the four types (the user's own
// registration writes it; the Debian package installs the same text).
std::string FileTypesMimePackage();

// What RegisterFileTypes did; an empty list means it found everything in place.
struct FileTypeRegistration {
    std::vector<std::string> written; // files created or extended
    bool mimeDatabaseUpdated = false;
};

// Associates the program's file types with the desktop the freedesktop way,
// for this user only: a shared-mime-info package naming the four types with
// their descriptions and extensions, the program's desktop entry (MimeType=
// the four, Exec= the program with %f), and the program as the default
// application of each type that has none yet. Nothing a user (or an earlier
// run) already set is changed: a file that exists is left alone, and a
// default already chosen stays. Running it again changes nothing. When the
// package is new, `update-mime-database` is run on the user's MIME folder if
// it is installed. Errors (an unwritable folder) are raised.
FileTypeRegistration RegisterFileTypes(const std::string& programPath, const XdgFolders& folders);

} // namespace corvane
