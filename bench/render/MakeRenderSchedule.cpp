// make-render-schedule OUT.wsl FILE...
// Writes a schedule file holding one row per audio file, in the order given.

#include "data/TdmQelData.h"
#include "studio/StudioSeams.h"

#include <cstdio>
#include <exception>
#include <filesystem>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: make-render-schedule OUT.wsl FILE...\n");
        return 2;
    }
    try {
        const std::filesystem::path folder = std::filesystem::temp_directory_path();
        corvane::StudioSeams seams;
        corvane::TdmQelData data((folder / "corvane-make-schedule").string(), "make-render-schedule",
                                 seams.studio.clock(), seams.prompter, seams.fileDialogs);
        corvane::Table& schedule = data.cdsSchedule;
        schedule.CreateDataSet();
        for (int i = 2; i < argc; ++i) {
            schedule.Append();
            schedule.FieldByName("LocalPathToFile").SetAsString(std::filesystem::absolute(argv[i]).string());
            schedule.FieldByName("TitleName").SetAsString(std::filesystem::path(argv[i]).stem().string());
            schedule.Post();
        }
        schedule.SaveToFile(argv[1]);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make-render-schedule: %s\n", e.what());
        return 1;
    }
}
