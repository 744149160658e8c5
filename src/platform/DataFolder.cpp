#include "platform/DataFolder.h"

#include <cstdlib>
#include <system_error>
#include <unistd.h>

namespace corvane {

EnvironmentLookup ProcessEnvironment() {
    return [](const char* name) {
        const char* value = std::getenv(name);
        return std::string(value ? value : "");
    };
}

bool FolderIsWritable(const std::filesystem::path& folder) {
    std::error_code ec;
    return std::filesystem::is_directory(folder, ec) && ::access(folder.c_str(), W_OK | X_OK) == 0;
}

namespace {

// The freedesktop rule: a relative $XDG_DATA_HOME is invalid and ignored.
std::filesystem::path UserDataHome(const EnvironmentLookup& environment) {
    const std::string xdg = environment("XDG_DATA_HOME");
    if (!xdg.empty() && xdg.front() == '/')
        return xdg;
    const std::string home = environment("HOME");
    if (home.empty())
        return {};
    return std::filesystem::path(home) / ".local" / "share";
}

} // namespace

bool IsInstalledProgramFolder(const std::filesystem::path& programFolder) {
    std::error_code ec;
    return std::filesystem::is_directory(programFolder.parent_path() / "share" / UserDataFolderName, ec);
}

DataFolderChoice ChooseDataFolder(const std::filesystem::path& programFolder,
                                  const EnvironmentLookup& environment) {
    DataFolderChoice choice;
    // An installed program is known by its layout, not only by permissions:
    // run by root, /usr/bin would be writable too.
    if (!IsInstalledProgramFolder(programFolder) && FolderIsWritable(programFolder)) {
        choice.folder = programFolder;
        choice.besideProgram = true;
        return choice;
    }
    const std::filesystem::path dataHome = UserDataHome(environment);
    if (dataHome.empty()) {
        choice.error = "No data folder: the program folder " + programFolder.string() +
                       " cannot be written and neither XDG_DATA_HOME nor HOME is set";
        return choice;
    }
    const std::filesystem::path folder = dataHome / UserDataFolderName;
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        choice.error = "Cannot create the data folder " + folder.string() + ": " + ec.message();
        return choice;
    }
    if (!FolderIsWritable(folder)) {
        choice.error = "The data folder " + folder.string() + " cannot be written";
        return choice;
    }
    choice.folder = folder;
    return choice;
}

std::filesystem::path ExecutableFolder() {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : exe.parent_path();
}

DataFolderChoice ToolDataFolder() {
    const std::filesystem::path program = ExecutableFolder();
    return ChooseDataFolder(program.empty() ? std::filesystem::current_path() : program,
                            ProcessEnvironment());
}

std::filesystem::path InstalledResource(const std::filesystem::path& programFolder, const std::string& name) {
    std::error_code ec;
    const std::filesystem::path beside = programFolder / name;
    if (std::filesystem::exists(beside, ec))
        return beside;
    const std::filesystem::path shared = programFolder.parent_path() / "share" / UserDataFolderName / name;
    return std::filesystem::exists(shared, ec) ? shared : beside;
}

} // namespace corvane
