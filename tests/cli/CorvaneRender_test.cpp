#include "audio/decks/DeckFixtures.h"
#include "data/TdmQelData.h"
#include "studio/StudioSeams.h"
#include "support/TempFolder.h"
#include "support/WaveFiles.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
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
        const std::string command = std::string(CORVANE_RENDER) + " --folder " + folder.Path().string() +
                                    " " + schedule.string() + " " + (folder / "out.wav").string() + " 2>" +
                                    (folder / "err.txt").string();
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

// The rendered show, heard back: each row's tone in schedule order, at the
// level it was written, with the automatic cross-fade overlapping one tone's
// tail with the next one's head and no gap anywhere between them.
TEST_F(Render, ACrossFadedShowKeepsItsTonesLevelsAndOverlaps) {
    constexpr int kRate = 44100;
    constexpr double kSeconds = 12.0;
    const std::vector<double> tones{440.0, 660.0, 990.0};
    constexpr double kAmplitude = 8000.0;
    std::vector<std::filesystem::path> files;
    for (size_t t = 0; t < tones.size(); ++t) {
        std::vector<int16_t> samples;
        for (int i = 0; i < static_cast<int>(kSeconds * kRate); ++i) {
            const auto s = static_cast<int16_t>(kAmplitude * std::sin(2 * M_PI * tones[t] * i / kRate));
            samples.insert(samples.end(), {s, s});
        }
        files.push_back(folder / ("tone" + std::to_string(t) + ".wav"));
        test::WriteWave16(files.back().string(), kRate, 2, samples);
    }
    testing::WriteText(folder / "corvane.ini", "[Corvane_General]\nAutoCrossFade=1\n");
    ASSERT_EQ(Run(Schedule(files)), 0) << Err();

    // 16-bit stereo 44.1 kHz after a 44-byte header; the left channel is enough.
    std::ifstream in(folder / "out.wav", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 44u);
    std::vector<double> left;
    for (size_t i = 44; i + 3 < bytes.size(); i += 4)
        left.push_back(
            static_cast<int16_t>(static_cast<uint8_t>(bytes[i]) | (static_cast<uint8_t>(bytes[i + 1]) << 8)));

    // Amplitude of one frequency in a 50 ms window (Goertzel).
    constexpr size_t kWindow = kRate / 20;
    auto level = [&](size_t start, double hz) {
        const double k = 2 * std::cos(2 * M_PI * hz / kRate);
        double s1 = 0, s2 = 0;
        for (size_t i = start; i < start + kWindow; ++i) {
            const double s0 = left[i] + k * s1 - s2;
            s2 = s1;
            s1 = s0;
        }
        return 2 * std::sqrt(std::max(0.0, s1 * s1 + s2 * s2 - k * s1 * s2)) / kWindow;
    };
    // First and last window (in seconds) each tone is heard in, and its loudest level.
    std::vector<double> first(tones.size(), -1), last(tones.size(), -1), peak(tones.size(), 0);
    bool silentGap = false;
    for (size_t w = 0; (w + 1) * kWindow <= left.size(); ++w) {
        bool heard = false;
        for (size_t t = 0; t < tones.size(); ++t) {
            const double a = level(w * kWindow, tones[t]);
            peak[t] = std::max(peak[t], a);
            if (a > kAmplitude * 0.05) {
                heard = true;
                if (first[t] < 0)
                    first[t] = w * 0.05;
                last[t] = (w + 1) * 0.05;
            }
        }
        if (!heard && w * 0.05 > first[0] && w * 0.05 < last.back())
            silentGap = true;
    }
    for (size_t t = 0; t < tones.size(); ++t) {
        SCOPED_TRACE(tones[t]);
        ASSERT_GE(first[t], 0.0);
        EXPECT_NEAR(peak[t], kAmplitude, kAmplitude * 0.1);
        if (t > 0) {
            // The next row starts once fewer than the default fade-out (5 s)
            // plus one whole second remain, and the row before fades out over it.
            EXPECT_NEAR(first[t] - first[t - 1], kSeconds - 6.0, 0.5);
            EXPECT_GT(last[t - 1] - first[t], 1.0) << "no overlap between rows " << t - 1 << " and " << t;
            EXPECT_LE(last[t - 1] - first[t], 5.5);
        }
        std::printf("tone %.0f Hz: %.2f s .. %.2f s, peak %.0f\n", tones[t], first[t], last[t], peak[t]);
    }
    EXPECT_LT(first[0], 0.5);
    EXPECT_NEAR(last.back() - first.back(), kSeconds, 0.2) << "the last row plays out in full";
    EXPECT_FALSE(silentGap);
}

// An item that plays on through a long silence of its own (a gap in a long
// recording) is not a schedule standing still: it renders to its end.
TEST_F(Render, AnItemSilentInItsMiddleIsNotStandingStill) {
    const int rate = 44100;
    std::vector<int16_t> samples(static_cast<size_t>(rate) * 74 * 2, 0);
    for (size_t i = 0; i < static_cast<size_t>(rate) * 2; ++i) {
        const auto level =
            static_cast<int16_t>(std::lround(8000 * std::sin(2 * M_PI * 440 * double(i) / rate)));
        samples[2 * i] = samples[2 * i + 1] = level;
        samples[samples.size() - 2 * i - 1] = samples[samples.size() - 2 * i - 2] = level;
    }
    const auto file = folder / "gap.wav";
    testing::WriteWave16(file.string(), rate, 2, samples);
    EXPECT_EQ(Run(Schedule({file})), 0) << Err();
    EXPECT_EQ(Err().find("stood still"), std::string::npos) << Err();
    EXPECT_GT(std::filesystem::file_size(folder / "out.wav"), 44u + 73u * rate * 4);
}

} // namespace
} // namespace corvane
