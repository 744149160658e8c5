#include "library/FileTypeRegistration.h"
#include "support/TempFolder.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace corvane {
namespace {

namespace fs = std::filesystem;

// What `xdg-mime query default` answers for a type in the fixture's folders;
// nothing when xdg-mime is not installed.
std::optional<std::string> QueryDefault(const XdgFolders& xdg, const std::string& mimeType) {
    if (std::system("command -v xdg-mime >/dev/null 2>&1") != 0)
        return std::nullopt;
    const std::string command = "XDG_DATA_HOME='" + xdg.dataHome + "' XDG_CONFIG_HOME='" + xdg.configHome +
                                "' XDG_DATA_DIRS='" + xdg.dataHome + "' XDG_CONFIG_DIRS='" + xdg.configHome +
                                "' XDG_CURRENT_DESKTOP= DE=generic xdg-mime query default " + mimeType +
                                " 2>/dev/null";
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        std::array<char, 256> buffer{};
        while (std::fgets(buffer.data(), buffer.size(), pipe))
            out += buffer.data();
        ::pclose(pipe);
    }
    while (!out.empty() && (out.back() == '\n' || out.back() == ' '))
        out.pop_back();
    return out;
}

struct Xdg {
    TempFolder home;
    XdgFolders folders{home.File("data"), home.File("config")};
};

TEST(FileTypeRegistration, FourTypesWithTheirNamesAndDescriptions) {
    const auto& types = ProgramFileTypes();
    ASSERT_EQ(types.size(), 4u);
    EXPECT_EQ(types[0].MimeType(), "application/x-vantorcorvane-schedule");
    EXPECT_STREQ(types[1].extension, ".ply");
    EXPECT_STREQ(types[2].description, "Vantor Corvane Audio Rack");
    EXPECT_EQ(types[3].MimeType(), "application/x-vantorcorvane-commerciallist");
}

TEST(FileTypeRegistration, FirstRunWritesPackageEntryAndDefaultsLaterRunsChangeNothing) {
    Xdg xdg;
    const auto first = RegisterFileTypes("/opt/corvane dir/Corvane", xdg.folders);
    EXPECT_EQ(first.written.size(), 3u);
    const std::string package = xdg.home.Read("data/mime/packages/vantor-corvane.xml");
    for (const auto& type : ProgramFileTypes()) {
        EXPECT_NE(package.find("<mime-type type=\"" + type.MimeType() + "\">"), std::string::npos);
        EXPECT_NE(package.find("<comment>" + std::string(type.description) + "</comment>"),
                  std::string::npos);
        EXPECT_NE(package.find("<glob pattern=\"*" + std::string(type.extension) + "\"/>"),
                  std::string::npos);
    }
    const std::string desktop = xdg.home.Read("data/applications/vantor-corvane.desktop");
    EXPECT_NE(desktop.find("Exec=\"/opt/corvane dir/Corvane\" %f\n"), std::string::npos);
    EXPECT_NE(
        desktop.find("MimeType=application/x-vantorcorvane-schedule;application/x-vantorcorvane-playlist;"),
        std::string::npos);
    const std::string defaults = xdg.home.Read("config/mimeapps.list");
    EXPECT_NE(defaults.find(
                  "[Default Applications]\napplication/x-vantorcorvane-schedule=vantor-corvane.desktop\n"),
              std::string::npos);
    if (const auto answer = QueryDefault(xdg.folders, "application/x-vantorcorvane-playlist"))
        EXPECT_EQ(*answer, "vantor-corvane.desktop");

    const auto second = RegisterFileTypes("/moved/Corvane", xdg.folders);
    EXPECT_TRUE(second.written.empty());
    EXPECT_EQ(xdg.home.Read("data/applications/vantor-corvane.desktop"), desktop);
    EXPECT_EQ(xdg.home.Read("config/mimeapps.list"), defaults);
}

TEST(FileTypeRegistration, AUsersOwnDefaultsAndOtherEntriesStay) {
    Xdg xdg;
    fs::create_directories(xdg.home.File("config"));
    fs::create_directories(xdg.home.File("data/applications"));
    xdg.home.Write("data/applications/other.desktop",
                   "[Desktop Entry]\nType=Application\nName=Other\nExec=true %f\n");
    xdg.home.Write("config/mimeapps.list",
                   "[Added Associations]\ntext/plain=gedit.desktop;\n\n"
                   "[Default Applications]\napplication/x-vantorcorvane-schedule=other.desktop\n"
                   "text/plain=gedit.desktop\n\n[Removed Associations]\nimage/png=foo.desktop;\n");
    RegisterFileTypes("/opt/Corvane", xdg.folders);
    const std::string defaults = xdg.home.Read("config/mimeapps.list");
    EXPECT_NE(defaults.find("application/x-vantorcorvane-schedule=other.desktop"), std::string::npos);
    EXPECT_EQ(defaults.find("application/x-vantorcorvane-schedule=vantor-corvane.desktop"),
              std::string::npos);
    // The missing defaults join their own group, before the next group starts.
    const size_t added = defaults.find("application/x-vantorcorvane-rack");
    EXPECT_EQ(added, std::string::npos); // the rack's type is "audiorack"
    const size_t rack = defaults.find("application/x-vantorcorvane-audiorack=vantor-corvane.desktop");
    ASSERT_NE(rack, std::string::npos);
    EXPECT_LT(rack, defaults.find("[Removed Associations]"));
    EXPECT_GT(rack, defaults.find("[Default Applications]"));
    EXPECT_NE(defaults.find("[Added Associations]\ntext/plain=gedit.desktop;\n"), std::string::npos);
    if (const auto answer = QueryDefault(xdg.folders, "application/x-vantorcorvane-schedule"))
        EXPECT_EQ(*answer, "other.desktop");
}

// The Debian package installs the registration for every user; it must name
// the same types as the user's own registration.
TEST(FileTypeRegistration, ThePackagesFilesNameTheSameTypes) {
    const fs::path packaging = fs::path(CORVANE_SOURCE_FIXTURES).parent_path().parent_path() / "packaging";
    auto read = [](const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    EXPECT_EQ(read(packaging / "vantor-corvane.xml"), FileTypesMimePackage());
    std::string mimeTypes;
    for (const ProgramFileType& type : ProgramFileTypes())
        mimeTypes += type.MimeType() + ";";
    EXPECT_NE(read(packaging / "com.vantor.corvane.desktop").find("\nMimeType=" + mimeTypes + "\n"),
              std::string::npos);
}

} // namespace
} // namespace corvane
