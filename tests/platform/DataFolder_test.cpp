#include "support/TempFolder.h"
#include "platform/DataFolder.h"
#include "platform/ProgramOptions.h"

#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane {
namespace {

namespace fs = std::filesystem;

EnvironmentLookup Environment(std::map<std::string, std::string> values) {
    return [values = std::move(values)](const char* name) {
        const auto it = values.find(name);
        return it == values.end() ? std::string() : it->second;
    };
}

TEST(DataFolder, AWritableProgramFolderKeepsTheDataBesideTheProgram) {
    TempFolder temp;
    const DataFolderChoice choice = ChooseDataFolder(temp.Path(), Environment({{"HOME", temp.File("home")}}));
    EXPECT_EQ(choice.folder, fs::path(temp.Path()));
    EXPECT_TRUE(choice.besideProgram);
    EXPECT_FALSE(fs::exists(temp.File("home")));
}

// An installed program (<prefix>/bin beside <prefix>/share/vantor-corvane) is
// never written, even when its folder could be (run by root, for one).
TEST(DataFolder, AnInstalledProgramUsesTheUsersDataFolderCreatedOnTheFirstStart) {
    TempFolder temp;
    fs::create_directories(temp.File("usr/bin"));
    fs::create_directories(temp.File("usr/share/vantor-corvane/manual"));
    const fs::path bin = temp.File("usr/bin");

    struct Case {
        std::map<std::string, std::string> environment;
        fs::path expected;
    };
    const Case cases[] = {
        {{{"HOME", temp.File("home")}}, temp.File("home/.local/share/vantor-corvane")},
        {{{"HOME", temp.File("home")}, {"XDG_DATA_HOME", temp.File("xdg")}}, temp.File("xdg/vantor-corvane")},
        // A relative XDG_DATA_HOME is not a valid one and is ignored.
        {{{"HOME", temp.File("home")}, {"XDG_DATA_HOME", "relative"}},
         temp.File("home/.local/share/vantor-corvane")},
    };
    for (const Case& c : cases) {
        const DataFolderChoice choice = ChooseDataFolder(bin, Environment(c.environment));
        EXPECT_EQ(choice.folder, c.expected);
        EXPECT_FALSE(choice.besideProgram);
        EXPECT_TRUE(choice.error.empty()) << choice.error;
        EXPECT_TRUE(fs::is_directory(c.expected));
        // A second start finds it in place.
        EXPECT_EQ(ChooseDataFolder(bin, Environment(c.environment)).folder, c.expected);
    }
    EXPECT_EQ(InstalledResource(bin, "manual"), fs::path(temp.File("usr/share/vantor-corvane/manual")));
    EXPECT_EQ(InstalledResource(temp.Path(), "manual"), fs::path(temp.File("manual")));
}

TEST(DataFolder, AnUnusableDataFolderIsAClearErrorNotACrash) {
    TempFolder temp;
    fs::create_directories(temp.File("usr/bin"));
    fs::create_directories(temp.File("usr/share/vantor-corvane"));
    temp.Write("file", "a file where a folder should be");
    const fs::path bin = temp.File("usr/bin");

    const DataFolderChoice underAFile =
        ChooseDataFolder(bin, Environment({{"XDG_DATA_HOME", temp.File("file")}}));
    EXPECT_TRUE(underAFile.folder.empty());
    EXPECT_NE(underAFile.error.find(temp.File("file") + "/vantor-corvane"), std::string::npos)
        << underAFile.error;

    const DataFolderChoice noHome = ChooseDataFolder(bin, Environment({}));
    EXPECT_TRUE(noHome.folder.empty());
    EXPECT_NE(noHome.error.find("HOME"), std::string::npos) << noHome.error;
}

TEST(DataFolder, ReadOnlyFoldersAreNotWrittenWhenPermissionsBind) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind root";
    TempFolder temp;
    fs::create_directories(temp.File("program"));
    ::chmod(temp.File("program").c_str(), 0555);
    const DataFolderChoice choice =
        ChooseDataFolder(temp.File("program"), Environment({{"HOME", temp.File("home")}}));
    EXPECT_EQ(choice.folder, fs::path(temp.File("home/.local/share/vantor-corvane")));

    const fs::path bin = temp.File("program");
    fs::create_directories(temp.File("locked/vantor-corvane"));
    ::chmod(temp.File("locked/vantor-corvane").c_str(), 0555);
    const DataFolderChoice locked =
        ChooseDataFolder(bin, Environment({{"XDG_DATA_HOME", temp.File("locked")}}));
    EXPECT_TRUE(locked.folder.empty());
    EXPECT_NE(locked.error.find("cannot be written"), std::string::npos) << locked.error;
    ::chmod(temp.File("locked/vantor-corvane").c_str(), 0755);
    ::chmod(temp.File("program").c_str(), 0755);
}

TEST(ProgramOptions, HelpAndVersionAnswerAndEverythingElseGoesOn) {
    struct Case {
        std::vector<const char*> argv;
        std::optional<int> status;
        std::string output;
    };
    const std::string version = std::string("corvane-x ") + CorvaneVersion() + "\n";
    const Case cases[] = {
        {{"x", "--help"}, 0, "usage: x\n"}, {{"x", "file", "-h"}, 0, "usage: x\n"},
        {{"x", "--version"}, 0, version},   {{"x", "file.wsl"}, std::nullopt, ""},
        {{"x"}, std::nullopt, ""},
    };
    for (const Case& c : cases) {
        std::ostringstream out;
        EXPECT_EQ(
            AnswerHelpOrVersion(static_cast<int>(c.argv.size()), c.argv.data(), "corvane-x", "usage: x", out),
            c.status);
        EXPECT_EQ(out.str(), c.output);
    }
}

} // namespace
} // namespace corvane
