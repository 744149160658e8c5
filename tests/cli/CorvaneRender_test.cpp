#include "data/TdmQelData.h"
#include "studio/StudioSeams.h"
#include "support/TempFolder.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/wait.h>

namespace corvane {
namespace {

using testing::ReadText;
using testing::TempFolder;

class Render : public ::testing::Test {
protected:
    TempFolder folder;

    // A schedule of one row per file, written where the render takes its program folder from.
    std::filesystem::path Schedule(const std::vector<std::filesystem::path>& files) {
        StudioSeams seams;
        TdmQelData data((folder / "maker").string(), "render-test", seams.studio.clock(), seams.prompter,
                        seams.fileDialogs);
        Table& schedule = data.cdsSchedule;
        schedule.CreateDataSet();
        for (const auto& file : files) {
            schedule.Append();
            schedule.FieldByName("LocalPathToFile").SetAsString(file.string());
            schedule.FieldByName("TitleName").SetAsString(file.stem().string());
            schedule.Post();
        }
        const std::filesystem::path path = folder / "show.wsl";
        schedule.SaveToFile(path.string());
        return path;
    }
    // The tool's exit status; its stderr goes to "err.txt".
    int Run(const std::filesystem::path& schedule) {
        const std::string command = std::string(CORVANE_RENDER) + " " + schedule.string() + " " +
                                    (folder / "out.wav").string() + " 2>" + (folder / "err.txt").string();
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string Err() { return ReadText(folder / "err.txt"); }
};

TEST_F(Render, NoPlayableRowIsAFailureNotASilentSuccess) {
    EXPECT_EQ(Run(Schedule({folder / "gone.mp3", folder / "gone.wav"})), 4);
    EXPECT_NE(Err().find("no row of"), std::string::npos) << Err();
}

TEST_F(Render, OnePlayableRowAmongMissingOnesRenders) {
    const std::filesystem::path tone =
        std::filesystem::path(std::getenv("CORVANE_TEST_DATA")) / "audio/tone-lsf.mp3";
    EXPECT_EQ(Run(Schedule({folder / "gone.mp3", tone})), 0) << Err();
    EXPECT_EQ(Err().find("no row of"), std::string::npos) << Err();
    EXPECT_GT(std::filesystem::file_size(folder / "out.wav"), 44u + 11025u * 4);
}

// A play list or schedule that cannot be read is a failure that says which
// file and why, never a silence.
TEST_F(Render, AnUnreadableScheduleOrPlayListSaysWhy) {
    testing::WriteText(folder / "damaged.ply", "not a play list");
    std::filesystem::create_directory(folder / "folder.wsl");
    for (const char* name : {"damaged.ply", "folder.wsl"}) {
        EXPECT_NE(Run(folder / name), 0) << name;
        EXPECT_NE(Err().find((folder / name).string()), std::string::npos) << Err();
        EXPECT_NE(Err().find(name == std::string("damaged.ply") ? "is not a table file" : "is a folder"),
                  std::string::npos)
            << Err();
    }
}

} // namespace
} // namespace corvane
