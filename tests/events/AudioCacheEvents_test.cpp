#include "EventsFixture.h"
#include "support/WaveFiles.h"

#include <filesystem>

namespace corvane {
namespace {

namespace fs = std::filesystem;

// The cache events on a library whose titles have a network copy ("net")
// and a local one ("local"); their background work is waited for.
class AudioCacheEventsTest : public ScheduledEventsTest {
protected:
    // A second of tone; `seed` makes each file's samples differ.
    std::string Wave(const std::string& name, int seed) {
        const std::string path = folder.File(name);
        fs::create_directories(fs::path(path).parent_path());
        std::vector<int16_t> samples(44100 * 2);
        for (size_t i = 0; i < samples.size(); ++i)
            samples[i] = static_cast<int16_t>((static_cast<int>(i) * (seed + 3)) % 20000 - 10000);
        testing::WriteWave16(path, 44100, 2, samples);
        return path;
    }
    void AddTitle(const std::string& network, const std::string& local) {
        Table& library = data->cdsAudioLibrary;
        library.Append();
        library.FieldByName("TitleName").SetAsString(fs::path(local).stem().string());
        library.FieldByName("NetworkPathToFile").SetAsString(network);
        library.FieldByName("LocalPathToFile").SetAsString(local);
        library.Post();
    }
    void SetAge(const std::string& path, int hoursOld) {
        fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::hours(hoursOld));
    }
    // Fires the event at 2 s and waits for its report.
    int FireAndWait(const std::string& type) {
        const int id = AddEvent(2, type);
        Run(2000);
        events->WaitForCacheWork();
        Run(100);
        return id;
    }
    std::string Report(const std::string& summary) {
        const std::string line = Message(summary);
        const size_t at = line.find("report in ");
        return at == std::string::npos ? "" : ReadFileText(line.substr(at + 10));
    }
};

TEST_F(AudioCacheEventsTest, RefreshCopiesWhatIsMissingOrOlderAndLeavesDamagedSourcesAlone) {
    const std::string missingLocal = folder.File("local/a.wav");
    AddTitle(Wave("net/a.wav", 1), missingLocal);
    const std::string older = Wave("local/b.wav", 2);
    AddTitle(Wave("net/b.wav", 3), older);
    SetAge(older, 2);
    const std::string newer = Wave("local/c.wav", 4);
    AddTitle(Wave("net/c.wav", 5), newer);
    SetAge(folder.File("net/c.wav"), 2);
    // A network copy that is no audio at all must not replace a good local file.
    const std::string good = Wave("local/d.wav", 6);
    SetAge(good, 2);
    folder.Write("net/d.wav", "RIFF garbage");
    AddTitle(folder.File("net/d.wav"), good);
    AddTitle(folder.File("net/gone.wav"), folder.File("local/gone.wav"));
    const std::string goodBefore = ReadFileText(good);
    const std::string newerBefore = ReadFileText(newer);

    const int id = FireAndWait("Refresh Audio Cache");
    EXPECT_EQ(Status(id), "Completed") << Message("failed");
    EXPECT_EQ(ReadFileText(missingLocal), ReadFileText(folder.File("net/a.wav")));
    EXPECT_EQ(ReadFileText(older), ReadFileText(folder.File("net/b.wav")));
    EXPECT_EQ(ReadFileText(newer), newerBefore);
    EXPECT_EQ(ReadFileText(good), goodBefore);
    const std::string report = Report("Refresh Audio Cache: 2 copied, 1 up to date, 2 failed; report in ");
    EXPECT_NE(report.find("Copied: " + missingLocal), std::string::npos) << report;
    EXPECT_NE(report.find("Failed: " + folder.File("net/d.wav") +
                          ": not readable as audio; the local file is kept"),
              std::string::npos)
        << report;
    EXPECT_NE(report.find("Failed: " + folder.File("net/gone.wav") + ": missing"), std::string::npos)
        << report;
    EXPECT_NE(Message("  Failed: " + folder.File("net/d.wav")), "");
    for (const auto& entry : fs::directory_iterator(folder.File("local")))
        EXPECT_EQ(entry.path().string().find(".corvane-part"), std::string::npos) << entry.path();
}

TEST_F(AudioCacheEventsTest, VerifyWritesTheLibraryReportToTheProgramFolder) {
    AddTitle("", Wave("local/fine.wav", 1));
    AddTitle("", folder.File("local/missing.wav"));
    folder.Write("local/bad.wav", "not audio");
    AddTitle("", folder.File("local/bad.wav"));
    const int id = FireAndWait("Verify Audio Cache");
    EXPECT_EQ(Status(id), "Completed") << Message("failed");
    const std::string report =
        Report("Verify Audio Cache: 1 missing, 1 problem files; report in " + folder.Path().string());
    EXPECT_NE(report.find("Missing File: " + folder.File("local/missing.wav")), std::string::npos) << report;
    EXPECT_NE(report.find("Problem File: " + folder.File("local/bad.wav")), std::string::npos) << report;
    EXPECT_EQ(report.find("fine.wav"), std::string::npos) << report;
}

} // namespace
} // namespace corvane
