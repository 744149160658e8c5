// bench_loudness_speed FILE...: the CPU time of measuring the MP3 files as
// the console does (decoded by a deck, metered for loudness, range, true
// peak and cue points) against the floor (libmpg123 decoding straight into
// libebur128 with true peak, in one tight loop), both on one thread; then the
// console's two workers over the same files, wall time against CPU time.
#include "loudness/AnalyseAudioFile.h"
#include "loudness/AnalysisQueue.h"
#include "loudness/LoudnessStore.h"
#include "platform/BlockingDispatcher.h"

#include <chrono>
#include <cstdio>
#include <ebur128.h>
#include <filesystem>
#include <mpg123.h>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double WallSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The floor: libmpg123 to 16-bit PCM straight into libebur128.
double FloorLoudness(const std::string& path) {
    int error = 0;
    mpg123_handle* mh = mpg123_new(nullptr, &error);
    mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS, 0);
    double loudness = 0;
    if (mpg123_open(mh, path.c_str()) == MPG123_OK) {
        long rate = 0;
        int channels = 0, encoding = 0;
        mpg123_getformat(mh, &rate, &channels, &encoding);
        mpg123_format_none(mh);
        mpg123_format(mh, rate, channels, MPG123_ENC_SIGNED_16);
        ebur128_state* st = ebur128_init(static_cast<unsigned>(channels), static_cast<unsigned long>(rate),
                                         EBUR128_MODE_I | EBUR128_MODE_TRUE_PEAK);
        std::vector<unsigned char> buffer(65536);
        size_t done = 0;
        while (mpg123_read(mh, buffer.data(), buffer.size(), &done) == MPG123_OK || done > 0) {
            ebur128_add_frames_short(st, reinterpret_cast<const short*>(buffer.data()),
                                     done / (2 * static_cast<size_t>(channels)));
            if (done == 0)
                break;
        }
        ebur128_loudness_global(st, &loudness);
        ebur128_destroy(&st);
        mpg123_close(mh);
    }
    mpg123_delete(mh);
    return loudness;
}

} // namespace

int main(int argc, char** argv) {
    mpg123_init();
    std::vector<std::string> files(argv + 1, argv + argc);
    if (files.empty()) {
        std::fprintf(stderr, "usage: bench_loudness_speed FILE.mp3...\n");
        return 2;
    }
    double start = CpuSeconds();
    double check = 0;
    for (const auto& f : files)
        check += FloorLoudness(f);
    const double floor = CpuSeconds() - start;

    start = CpuSeconds();
    double measured = 0;
    for (const auto& f : files) {
        const auto r = corvane::AnalyseAudioFile(f, {});
        measured += r.Analysed() ? r.analysis->integratedLufs : 0;
    }
    const double console = CpuSeconds() - start;

    const auto store = std::filesystem::temp_directory_path() / "bench-loudness.db";
    std::filesystem::remove(store);
    double wall = 0, workersCpu = 0;
    {
        corvane::LoudnessStore s(store);
        corvane::BlockingDispatcher results;
        corvane::AnalysisQueue queue(s, results, 2);
        start = CpuSeconds();
        const double wallStart = WallSeconds();
        queue.Add(files, {});
        while (!queue.Idle())
            results.RunPosted(true);
        wall = WallSeconds() - wallStart;
        workersCpu = CpuSeconds() - start;
    }
    std::filesystem::remove(store);

    std::printf("%zu files; mean loudness %.2f LUFS (floor %.2f)\n", files.size(), measured / files.size(),
                check / files.size());
    std::printf("floor (libmpg123 + libebur128, one thread): %8.2f CPU s\n", floor);
    std::printf("console measuring (one thread):             %8.2f CPU s  (%.2f x the floor)\n", console,
                console / floor);
    std::printf("console measuring (two workers):            %8.2f CPU s  %8.2f wall s  (wall/CPU %.2f)\n",
                workersCpu, wall, wall / workersCpu);
    return 0;
}
