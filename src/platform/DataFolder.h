#pragma once

#include <filesystem>
#include <functional>
#include <string>

namespace corvane {

// Where the console keeps its settings and tables. A program folder the user
// may write (a portable install, a build folder) keeps them beside the
// program as always; an installed program's folder (under /usr) is never
// written (whoever runs it), and the user's own data folder takes its place:
// $XDG_DATA_HOME/vantor-corvane, else ~/.local/share/vantor-corvane.
struct DataFolderChoice {
    std::filesystem::path folder; // empty when no usable folder was found
    bool besideProgram = false;
    std::string error; // why `folder` is empty: the folder and the system's reason
};

// Reads an environment variable; empty when unset.
using EnvironmentLookup = std::function<std::string(const char* name)>;
EnvironmentLookup ProcessEnvironment();

inline constexpr const char* UserDataFolderName = "vantor-corvane";

// True for a program installed with its shared files: <prefix>/bin beside
// <prefix>/share/vantor-corvane.
bool IsInstalledProgramFolder(const std::filesystem::path& programFolder);

// Decides the data folder for a program in `programFolder`, creating the
// user's data folder on the first start there. Never throws.
DataFolderChoice ChooseDataFolder(const std::filesystem::path& programFolder,
                                  const EnvironmentLookup& environment);

// The data folder of the console beside the running program (a tool's
// default when no folder is given): the program's folder when it may be
// written, else the user's, as ChooseDataFolder decides for the console.
DataFolderChoice ToolDataFolder();

// The rule, in the words each tool's --help uses.
inline constexpr const char* ToolDataFolderRule =
    "default: the data folder the console beside this program uses (this\n"
    "program's folder when it may be written, else $XDG_DATA_HOME/vantor-corvane,\n"
    "by default ~/.local/share/vantor-corvane)";

// True when this process may create files in `folder` (access(2) with W_OK:
// permissions, read-only mounts and ACLs as the kernel sees them).
bool FolderIsWritable(const std::filesystem::path& folder);

// The folder of the running executable (from /proc/self/exe); empty when the
// system does not tell.
std::filesystem::path ExecutableFolder();

// What the program reads but never writes (the manual, its plug-ins): beside
// the program in a build or portable folder, else in the install prefix's
// share/vantor-corvane/<name> (the program being in <prefix>/bin).
std::filesystem::path InstalledResource(const std::filesystem::path& programFolder, const std::string& name);

} // namespace corvane
