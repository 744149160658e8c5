#include "data/TdmQelData.h"
#include "loudness/LoudnessMeter.h"
#include "loudness/LoudnessStore.h"
#include "platform/ProgramFolderLock.h"
#include "platform/SystemClock.h"
#include "station/Station.h"
#include "studio/StudioSeams.h"
#include "studio/VirtualWaveDevice.h"
#include "support/FolderListing.h"
#include "support/TempFolder.h"
#include "support/ToneFiles.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace corvane {
namespace {

using testing::ChangedEntries;
using testing::ListFolder;
using testing::ReadText;
using testing::TempFolder;
using testing::ToneStretch;
using testing::WriteToneFile;

class ImportTool : public ::testing::Test {
protected:
    TempFolder folder;
    std::filesystem::path station = folder / "station";
    std::filesystem::path music = folder / "music";

    void SetUp() override {
        std::filesystem::create_directories(station);
        std::filesystem::create_directories(music);
    }
    // The tool's exit status; stdout goes to "out.txt", stderr to "err.txt".
    int Run(const std::string& program, const std::string& arguments) {
        const std::string command = program + " --folder " + station.string() + " " + arguments + " >" +
                                    (folder / "out.txt").string() + " 2>" + (folder / "err.txt").string();
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    int RunImport(const std::string& arguments) { return Run(CORVANE_IMPORT, arguments); }
    std::string Out() { return ReadText(folder / "out.txt"); }
    std::string Err() { return ReadText(folder / "err.txt"); }
    // "show.wsl" in the test's folder: one schedule row per file.
    void WriteShow(const std::vector<std::string>& files) {
        StudioSeams seams;
        TdmQelData data((folder / "maker").string(), "import-test", seams.studio.clock(), seams.prompter,
                        seams.fileDialogs);
        Table& schedule = data.cdsSchedule;
        schedule.CreateDataSet();
        for (const auto& path : files) {
            schedule.Append();
            schedule.FieldByName("LocalPathToFile").SetAsString(path);
            schedule.Post();
        }
        schedule.SaveToFile((folder / "show.wsl").string());
    }
    // The paths of the station's library titles.
    std::vector<std::string> LibraryPaths() {
        StudioSeams seams;
        TdmQelData data(station.string(), "import-test", seams.studio.clock(), seams.prompter,
                        seams.fileDialogs);
        data.OpenTables();
        std::vector<std::string> paths;
        Table& library = data.cdsAudioLibrary;
        for (library.First(); !library.Eof(); library.Next())
            paths.push_back(library.FieldByName("LocalPathToFile").AsString());
        for (Table* table : data.SavedTables())
            table->SetWriteOnClose(WriteOnClose::No);
        return paths;
    }
};

// Files and folders go into the library with their loudness measured; a
// file that is no audio is named with its reason and makes the exit status
// non-zero; a second import of the same files adds nothing.
TEST_F(ImportTool, FilesAndFoldersAreImportedAndMeasuredAndFailuresNamed) {
    const auto a = (music / "a.wav").string();
    const auto b = (music / "sub" / "b.wav").string();
    const auto c = (folder / "c.wav").string();
    std::filesystem::create_directories(music / "sub");
    WriteToneFile(a, 44100, 2, {{1000, -10, 3000}});
    WriteToneFile(b, 48000, 1, {{0, 0, 1000}, {500, -20, 2000}});
    WriteToneFile(c, 44100, 2, {{0, 0, 2000}});
    testing::WriteText(music / "notes.mp3", "not audio at all, but named like it");

    EXPECT_EQ(RunImport(music.string() + " " + c + " " + (folder / "gone.wav").string()), 1) << Err();
    EXPECT_NE(
        Out().find("5 files: 3 imported, 0 already in the library, 2 measured, 1 not measured, 2 failed"),
        std::string::npos)
        << Out();
    EXPECT_NE(Err().find("failed: " + (music / "notes.mp3").string() + ": "), std::string::npos) << Err();
    EXPECT_NE(Err().find("failed: " + (folder / "gone.wav").string() + ": no such file or folder"),
              std::string::npos)
        << Err();
    EXPECT_NE(Err().find("not measured: " + c + ": the file is silent"), std::string::npos) << Err();
    // Not a terminal: no progress bar.
    EXPECT_EQ(Err().find("files/s"), std::string::npos);

    auto paths = LibraryPaths();
    std::sort(paths.begin(), paths.end());
    EXPECT_EQ(paths, (std::vector<std::string>{c, a, b}));
    LoudnessStore store(station / LoudnessStoreFileName);
    ASSERT_TRUE(store.FindAnalysis(a));
    EXPECT_NEAR(store.FindAnalysis(a)->integratedLufs, -10, 0.1);
    ASSERT_TRUE(store.FindAnalysis(b));
    EXPECT_NEAR(store.FindAnalysis(b)->cueInMs, 1000, 5);

    EXPECT_EQ(RunImport(a + " " + b), 0) << Err();
    EXPECT_NE(Out().find("2 files: 0 imported, 2 already in the library, 0 measured"), std::string::npos)
        << Out();
    EXPECT_EQ(LibraryPaths().size(), 3u);
}

// One file is "1 file"; and the tools that work on a console's data folder
// share one rule for it when --folder is not given, which each --help states.
TEST_F(ImportTool, OneFileIsOneFileAndTheToolsShareTheirDataFolderRule) {
    const auto a = (music / "a.wav").string();
    WriteToneFile(a, 44100, 2, {{1000, -10, 3000}});
    EXPECT_EQ(RunImport(a), 0) << Err();
    EXPECT_NE(Out().find("1 file: 1 imported"), std::string::npos) << Out();

    const auto help = [&](const char* program) {
        const std::string command =
            std::string(program) + " --help >" + (folder / "help.txt").string() + " 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0);
        return ReadText(folder / "help.txt");
    };
    const std::string rule = "default: the data folder the console beside this program uses";
    EXPECT_NE(help(CORVANE_IMPORT).find(rule), std::string::npos) << help(CORVANE_IMPORT);
    EXPECT_NE(help(CORVANE_RENDER).find(rule), std::string::npos) << help(CORVANE_RENDER);
}

// The console holds its folder while it runs: an import then refuses and
// writes nothing; once the console has gone the import goes ahead.
TEST_F(ImportTool, AFolderHeldByARunningConsoleIsRefused) {
    const auto a = (music / "a.wav").string();
    WriteToneFile(a, 44100, 2, {{1000, -10, 1000}});
    {
        auto console = ProgramFolderLock::Take(station, "Corvane");
        ASSERT_TRUE(std::holds_alternative<std::unique_ptr<ProgramFolderLock>>(console));
        EXPECT_EQ(RunImport(a), 3);
        EXPECT_NE(Err().find(station.string() + " is in use by Corvane (process "), std::string::npos)
            << Err();
        EXPECT_NE(Err().find("nothing was imported"), std::string::npos) << Err();
        EXPECT_TRUE(LibraryPaths().empty());
        EXPECT_FALSE(std::filesystem::exists(station / LoudnessStoreFileName));
    }
    EXPECT_EQ(RunImport(a), 0) << Err();
    EXPECT_EQ(LibraryPaths().size(), 1u);
}

// Titles written only into the local copy of a shared library would be lost
// at the next console start, when the server's library replaces the copy.
TEST_F(ImportTool, ALibrarySharedOnAServerIsRefused) {
    const auto a = (music / "a.wav").string();
    WriteToneFile(a, 44100, 2, {{1000, -10, 1000}});
    testing::WriteText(station / "corvane.ini",
                       "[Corvane_Library]\nServer=postgresql://corvane@studio-db/corvane\n");
    EXPECT_EQ(RunImport(a), 1);
    EXPECT_NE(Err().find("shared on a library server"), std::string::npos) << Err();
    EXPECT_NE(Err().find("nothing was imported"), std::string::npos) << Err();
    EXPECT_TRUE(LibraryPaths().empty());
}

// The titles' upload date is the time of the import, not a fixed day.
TEST_F(ImportTool, TitlesAreStampedWithTheTimeOfTheImport) {
    const auto a = (music / "a.wav").string();
    WriteToneFile(a, 44100, 2, {{1000, -10, 1000}});
    const TDateTime before = SystemClock().Now();
    ASSERT_EQ(RunImport(a), 0) << Err();
    const TDateTime after = SystemClock().Now();
    StudioSeams seams;
    TdmQelData data(station.string(), "import-test", seams.studio.clock(), seams.prompter, seams.fileDialogs);
    data.OpenTables();
    for (Table* table : data.SavedTables())
        table->SetWriteOnClose(WriteOnClose::No);
    data.cdsAudioLibrary.First();
    const TDateTime uploaded = data.cdsAudioLibrary.FieldByName("UploadDate").AsDateTime();
    // A second either side: the table keeps whole seconds.
    EXPECT_GE(uploaded, before - 1.0 / SecondsPerDay);
    EXPECT_LE(uploaded, after + 1.0 / SecondsPerDay);
}

// Whatever cannot be read is a failure with the system's reason, named on
// stderr, and the exit status says so: a folder named that cannot be read,
// an unreadable sub-folder, an unreadable file, a link loop; a lock file
// that is a folder is the lock's own problem (status 1, the file and the
// reason), not "in use" (status 3). Run as user "nobody" when the test runs
// as root, since root reads everything.
TEST_F(ImportTool, WhatCannotBeReadFailsWithItsReasonAndTheStatusSaysSo) {
    const bool root = ::geteuid() == 0;
    const std::string asNobody = root ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
    const auto open = [](const std::filesystem::path& p) {
        std::filesystem::permissions(p, std::filesystem::perms::all);
    };
    open(folder.Path());
    open(station);
    open(music);
    const struct {
        const char* what;
        std::function<std::string()> make; // returns the path to import
        int status;
        std::function<std::string()> told;
    } cases[] = {
        {"a folder that cannot be read",
         [&] {
             std::filesystem::create_directory(folder / "locked");
             std::filesystem::permissions(folder / "locked", std::filesystem::perms::none);
             return (folder / "locked").string();
         },
         1,
         [&] {
             return "failed: " + (folder / "locked").string() +
                    ": the folder cannot be read: Permission denied";
         }},
        {"an unreadable sub-folder beside a good file",
         [&] {
             WriteToneFile((music / "good.wav").string(), 44100, 2, {{1000, -10, 1000}});
             std::filesystem::permissions(music / "good.wav", std::filesystem::perms::all);
             std::filesystem::create_directory(music / "inner");
             std::filesystem::permissions(music / "inner", std::filesystem::perms::none);
             return music.string();
         },
         1,
         [&] {
             return "failed: " + (music / "inner").string() +
                    ": the folder cannot be read: Permission denied";
         }},
        {"a file that cannot be read",
         [&] {
             WriteToneFile((folder / "secret.wav").string(), 44100, 2, {{1000, -10, 1000}});
             std::filesystem::permissions(folder / "secret.wav", std::filesystem::perms::none);
             return (folder / "secret.wav").string();
         },
         1,
         [&] {
             return "failed: " + (folder / "secret.wav").string() + ": it cannot be read: Permission denied";
         }},
        {"a link loop",
         [&] {
             std::filesystem::create_symlink(folder / "loop", folder / "loop");
             return (folder / "loop").string();
         },
         1,
         [&] {
             return "failed: " + (folder / "loop").string() + ": it cannot be looked at: Too many levels";
         }},
        {"a lock file that is a folder",
         [&] {
             std::filesystem::create_directory(station / ProgramFolderLockFileName);
             WriteToneFile((folder / "b.wav").string(), 44100, 2, {{1000, -10, 1000}});
             return (folder / "b.wav").string();
         },
         1,
         [&] {
             return station.string() + " is not usable: cannot open " +
                    (station / ProgramFolderLockFileName).string() + ": Is a directory: nothing was imported";
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = c.make();
        EXPECT_EQ(Run(asNobody + CORVANE_IMPORT, path), c.status) << Err();
        EXPECT_NE(Err().find(c.told()), std::string::npos) << Err();
        std::error_code ignored;
        for (const char* made : {"locked", "secret.wav", "loop"})
            std::filesystem::remove(folder / made, ignored);
        std::filesystem::remove_all(music / "inner", ignored);
        std::filesystem::remove(station / ProgramFolderLockFileName, ignored);
    }
}

// File names are printed as they are, escaped: a line feed in a name does
// not forge a line of its own, an escape sequence does not reach the
// terminal.
TEST_F(ImportTool, NamesArePrintedEscaped) {
    const std::string forged = "x.wav\nfailed: /forged.wav: it holds no audio";
    const std::string coloured = "\x1b[31mred.wav";
    testing::WriteText(music / forged, "not audio");
    testing::WriteText(music / coloured, "not audio");
    EXPECT_EQ(RunImport("'" + (music / forged).string() + "' '" + (music / coloured).string() + "'"), 1)
        << Err();
    const std::string err = Err();
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 2) << err;
    EXPECT_EQ(err.find('\x1b'), std::string::npos) << err;
    EXPECT_NE(err.find("x.wav\\nfailed: /forged.wav"), std::string::npos) << err;
    EXPECT_NE(err.find("\\x1b[31mred.wav"), std::string::npos) << err;
}

// Interleaved 16-bit stereo samples of a WAVE file written by the render.
std::vector<int16_t> ReadRendered(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t data = bytes.find("data");
    EXPECT_NE(data, std::string::npos);
    std::vector<int16_t> samples((bytes.size() - data - 8) / 2);
    std::memcpy(samples.data(), bytes.data() + data + 8, samples.size() * 2);
    return samples;
}

// The station as the console plays it, end to end: titles mastered from
// -8 to -30 LUFS with seconds of silence at their ends are imported,
// rendered with normalising and cue points on, and heard back: each item
// within 1 LU of the target and no true peak above the ceiling, and no
// silence at the joins.
TEST_F(ImportTool, ImportedTitlesRenderAtTheTargetWithoutSilenceAtTheJoins) {
    struct Title {
        double peakDbfs;
        int headMs, tailMs;
    };
    const Title titles[] = {{-8, 2000, 3000}, {-30, 3000, 2000}, {-15, 2500, 2500}, {-22, 2000, 3000}};
    constexpr int ToneMs = 5000;
    std::string files;
    std::vector<std::string> rows;
    for (size_t i = 0; i < std::size(titles); ++i) {
        const auto path = (music / ("t" + std::to_string(i) + ".wav")).string();
        WriteToneFile(path, 44100, 2,
                      {{0, 0, titles[i].headMs},
                       {440.0 * (i + 1), titles[i].peakDbfs, ToneMs},
                       {0, 0, titles[i].tailMs}});
        rows.push_back(path);
    }
    ASSERT_EQ(RunImport(music.string()), 0) << Err();
    testing::WriteText(station / "corvane.ini", "[Corvane_Audio]\nLoudnessNormalise=1\nUseCuePoints=1\n");
    WriteShow(rows);
    ASSERT_EQ(Run(CORVANE_RENDER, (folder / "show.wsl").string() + " " + (folder / "out.wav").string()), 0)
        << Err();
    const std::vector<int16_t> heard = ReadRendered(folder / "out.wav");
    // Items follow each other at their cue points: each lasts its tone.
    constexpr int64_t FramesPerItem = int64_t{ToneMs} * 44100 / 1000;
    ASSERT_GE(static_cast<int64_t>(heard.size()), int64_t{4} * FramesPerItem * 2);
    for (size_t i = 0; i < std::size(titles); ++i) {
        // The middle of each item, clear of the joins' few ms of rounding.
        const int64_t from = static_cast<int64_t>(i) * FramesPerItem + 2205;
        LoudnessMeter meter(2, 44100, {});
        meter.Add(heard.data() + from * 2, FramesPerItem - 4410);
        const AnalysisResult r = meter.Result();
        ASSERT_TRUE(r.Analysed()) << i;
        EXPECT_NEAR(r.analysis->integratedLufs, -23, 1.0) << "item " << i;
        EXPECT_LE(r.analysis->truePeakDbtp, -1 + 0.3) << "item " << i;
    }
    // No silence of 100 ms from the first sound to the last item's end.
    int64_t quiet = 0;
    for (int64_t f = 0; f < 4 * FramesPerItem - 10; ++f) {
        quiet = std::abs(heard[static_cast<size_t>(2 * f)]) < 33 ? quiet + 1 : 0;
        ASSERT_LT(quiet, 4410) << "silence at " << f * 1000 / 44100 << " ms";
    }
}

// From the first sample that is not silence on.
std::vector<int16_t> FromFirstSound(const int16_t* samples, size_t count) {
    size_t first = 0;
    while (first < count && samples[first] == 0)
        ++first;
    first -= first % 2;
    return {samples + first, samples + count};
}

// The render is the console offline: with the settings that decide what is
// heard (a short output queue, the automatic cross-fade, normalising, cue
// points) a show renders sample for sample as the console plays it, and the
// render writes nothing into the station's folder but its archive lines.
TEST_F(ImportTool, TheRenderSoundsAsTheConsolePlaysWithTheSameSettings) {
    std::vector<std::string> rows;
    const double peaks[] = {-9, -27, -16};
    for (size_t i = 0; i < std::size(peaks); ++i) {
        rows.push_back((music / ("s" + std::to_string(i) + ".wav")).string());
        WriteToneFile(rows.back(), 44100, 2, {{0, 0, 1500}, {330.0 * (i + 1), peaks[i], 9000}, {0, 0, 1500}});
    }
    ASSERT_EQ(RunImport(music.string()), 0) << Err();
    WriteShow(rows);
    testing::WriteText(
        station / "corvane.ini",
        "[Corvane_General]\nWelcomeDone=1\nAutoCrossFade=1\n[Corvane_System]\nOutputBuffers=8\n"
        "[Corvane_Audio]\nLoudnessNormalise=1\nUseCuePoints=1\n");
    const auto before = ListFolder(station);
    ASSERT_EQ(Run(CORVANE_RENDER, (folder / "show.wsl").string() + " " + (folder / "out.wav").string()), 0)
        << Err();
    // Only the archive log gets the lines of what the render played.
    EXPECT_EQ(ChangedEntries(before, ListFolder(station)),
              std::vector<std::string>{(station / "archive.log").string()})
        << "the render wrote into the station's folder";
    const std::vector<int16_t> rendered = ReadRendered(folder / "out.wav");

    StudioSeams seams;
    VirtualWaveDevice device(seams.studio);
    Station console(seams.seams(), {device, {}}, {station, "corvane", {}});
    console.Start(StationMode::Console);
    EXPECT_EQ(console.Playout().mmAudioOut().NumBuffers(), 8);
    CorvaneSettings& settings = console.Core().MutableSettings();
    settings.LoopScheduleContinuously = false;
    settings.StatisticsTracking = false;
    console.Schedule().LoadScheduleFile((folder / "show.wsl").string());
    console.Data().cdsSchedule.First();
    console.Playout().StartItem();
    seams.studio.Run(static_cast<int64_t>(rendered.size() / 2) * 1000 / 44100 + 2000);
    const std::vector<uint8_t>& bytes = device.Played().Bytes();
    const auto played = FromFirstSound(reinterpret_cast<const int16_t*>(bytes.data()), bytes.size() / 2);
    const auto heard = FromFirstSound(rendered.data(), rendered.size());
    // Three items of 9 s, cross-faded: well over 12 s of sound each way.
    ASSERT_GT(heard.size(), size_t{12 * 44100 * 2});
    ASSERT_GE(played.size(), heard.size());
    size_t differ = 0;
    while (differ < heard.size() && heard[differ] == played[differ])
        ++differ;
    EXPECT_EQ(differ, heard.size()) << "first differs at " << differ / 2 * 1000 / 44100 << " ms";
    console.Close();
}

} // namespace
} // namespace corvane
