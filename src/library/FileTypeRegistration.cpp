#include "library/FileTypeRegistration.h"

#include "data/AtomicFile.h"
#include "data/XmlText.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace corvane {
namespace {

namespace fs = std::filesystem;

std::string Home() {
    const char* home = std::getenv("HOME");
    return home && *home ? home : "/tmp";
}

std::string EnvOr(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    // A relative path is invalid by the XDG rules and is ignored.
    return value && *value == '/' ? value : fallback;
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Quoted for the desktop entry's Exec key: the path in double quotes, with
// the characters that need it escaped.
std::string ExecQuoted(const std::string& program) {
    std::string out = "\"";
    for (const char c : program) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

} // namespace

std::string FileTypesMimePackage() {
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n";
    for (const ProgramFileType& type : ProgramFileTypes()) {
        xml += "  <mime-type type=\"" + type.MimeType() + "\">\n";
        xml += "    <comment>";
        AppendXmlEscaped(xml, type.description);
        xml += "</comment>\n";
        xml += "    <glob pattern=\"*" + std::string(type.extension) + "\"/>\n";
        xml += "  </mime-type>\n";
    }
    return xml + "</mime-info>\n";
}

namespace {

std::string DesktopEntry(const std::string& programPath) {
    std::string mimeTypes;
    for (const ProgramFileType& type : ProgramFileTypes())
        mimeTypes += type.MimeType() + ";";
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Vantor Corvane\n"
           "Comment=Radio broadcast playout console\n"
           "Exec=" +
           ExecQuoted(programPath) +
           " %f\n"
           "Terminal=false\n"
           "Categories=AudioVideo;Audio;\n"
           "MimeType=" +
           mimeTypes + "\n";
}

// Creates `path` with `content` unless it exists; true when it was written.
bool CreateIfMissing(const fs::path& path, const std::string& content) {
    if (fs::exists(path))
        return false;
    fs::create_directories(path.parent_path());
    WriteFileAtomically(path.string(), [&](const std::string& temp) { WriteNewFile(temp, content); });
    return true;
}

// The keys of one group of an ini-style file, and where the group ends.
struct Group {
    bool found = false;
    size_t end = std::string::npos; // offset just after the group's last line
    std::vector<std::string> keys;
};

Group FindGroup(const std::string& text, const std::string& name) {
    Group group;
    std::istringstream lines(text);
    std::string line;
    size_t offset = 0;
    bool inside = false;
    while (std::getline(lines, line)) {
        const size_t next = offset + line.size() + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && line.front() == '[') {
            inside = line == "[" + name + "]";
            group.found = group.found || inside;
            if (inside)
                group.end = std::min(next, text.size());
        } else if (inside) {
            if (const size_t eq = line.find('='); eq != std::string::npos && line.front() != '#') {
                std::string key = line.substr(0, eq);
                key.erase(key.find_last_not_of(" \t") + 1);
                group.keys.push_back(key);
            }
            group.end = std::min(next, text.size());
        }
        offset = next;
    }
    return group;
}

// Adds the program as default for each of its types that has no default in
// mimeapps.list yet; true when the file changed.
bool AddDefaults(const fs::path& mimeApps) {
    const std::string text = fs::exists(mimeApps) ? ReadAll(mimeApps) : std::string();
    const Group group = FindGroup(text, "Default Applications");
    std::string lines;
    for (const ProgramFileType& type : ProgramFileTypes())
        if (std::find(group.keys.begin(), group.keys.end(), type.MimeType()) == group.keys.end())
            lines += type.MimeType() + "=" + DesktopEntryFile + "\n";
    if (lines.empty())
        return false;
    std::string updated;
    if (group.found) {
        updated = text.substr(0, group.end);
        if (!updated.empty() && updated.back() != '\n')
            updated += '\n';
        updated += lines + text.substr(group.end);
    } else {
        updated = text;
        if (!updated.empty() && updated.back() != '\n')
            updated += '\n';
        updated += "[Default Applications]\n" + lines;
    }
    fs::create_directories(mimeApps.parent_path());
    WriteFileAtomically(mimeApps.string(), [&](const std::string& temp) { WriteNewFile(temp, updated); });
    return true;
}

// Runs update-mime-database on the folder when it is installed; true when it ran well.
bool UpdateMimeDatabase(const fs::path& mimeFolder) {
    std::string program = "update-mime-database", folder = mimeFolder.string();
    char* const argv[] = {program.data(), folder.data(), nullptr};
    pid_t child = 0;
    if (::posix_spawnp(&child, program.c_str(), nullptr, nullptr, argv, environ) != 0)
        return false;
    int status = 0;
    while (::waitpid(child, &status, 0) < 0)
        if (errno != EINTR)
            return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

std::string ProgramFileType::MimeType() const {
    std::string name = typeName;
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return c == '.' ? '-' : static_cast<char>(std::tolower(c)); });
    return "application/x-" + name;
}

const std::vector<ProgramFileType>& ProgramFileTypes() {
    static const std::vector<ProgramFileType> types = {
        {".wsl", "VantorCorvane.Schedule", "Vantor Corvane Schedule Log"},
        {".ply", "VantorCorvane.PlayList", "Vantor Corvane PlayList Album"},
        {".rck", "VantorCorvane.AudioRack", "Vantor Corvane Audio Rack"},
        {".ads", "VantorCorvane.CommercialList", "Vantor Corvane Commercial List"},
    };
    return types;
}

XdgFolders UserXdgFolders() {
    return {EnvOr("XDG_DATA_HOME", Home() + "/.local/share"), EnvOr("XDG_CONFIG_HOME", Home() + "/.config")};
}

FileTypeRegistration RegisterFileTypes(const std::string& programPath, const XdgFolders& folders) {
    FileTypeRegistration done;
    const fs::path mime = fs::path(folders.dataHome) / "mime";
    const fs::path package = mime / "packages" / MimePackageFile;
    const fs::path desktop = fs::path(folders.dataHome) / "applications" / DesktopEntryFile;
    const fs::path mimeApps = fs::path(folders.configHome) / "mimeapps.list";
    if (CreateIfMissing(package, FileTypesMimePackage())) {
        done.written.push_back(package.string());
        done.mimeDatabaseUpdated = UpdateMimeDatabase(mime);
    }
    if (CreateIfMissing(desktop, DesktopEntry(programPath)))
        done.written.push_back(desktop.string());
    if (AddDefaults(mimeApps))
        done.written.push_back(mimeApps.string());
    return done;
}

} // namespace corvane
