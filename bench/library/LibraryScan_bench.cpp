// The auto-scan on a generated tree of 20,000 files in 2,000 folders: mixed
// letter case in the extensions, a quarter of the files not audio, a
// symbolic link looping back to the top and an unreadable folder. The walk
// alone is set against find(1) on the same tree; the recording of what was
// found is measured for a first scan and for a second one, which adds nothing.
#include "data/TdmQelData.h"
#include "data/facts/AudioFileFacts.h"
#include "library/AudioFolderScan.h"
#include "library/AutoScan.h"
#include "studio/StudioSeams.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace corvane {
namespace {

namespace fs = std::filesystem;

constexpr int TopFolders = 40;
constexpr int SubFolders = 50; // 40 × 50 = 2,000 folders
constexpr int FilesPerFolder = 10;

} // namespace

const fs::path& Tree() {
    static const fs::path root = [] {
        const fs::path root = fs::temp_directory_path() / "corvane-scan-bench";
        fs::remove_all(root);
        const char* names[] = {"a.mp3", "b.MP3", "c.Wav", "d.wav", "e.txt",
                               "f.Mp3", "g.WAV", "h.jpg", "i.mP3", "j.wav"};
        for (int t = 0; t < TopFolders; ++t)
            for (int s = 0; s < SubFolders; ++s) {
                const fs::path folder = root / ("artist" + std::to_string(t)) / ("album" + std::to_string(s));
                fs::create_directories(folder);
                for (int f = 0; f < FilesPerFolder; ++f)
                    std::ofstream(folder / (std::to_string(f) + names[f])) << "";
            }
        fs::create_directory_symlink(root, root / "artist0" / "loop");
        fs::create_directories(root / "locked");
        fs::permissions(root / "locked", fs::perms::none);
        return root;
    }();
    return root;
}

namespace {

void WalkOnly(benchmark::State& state) {
    size_t found = 0;
    for (auto _ : state) {
        std::vector<std::string> list;
        std::atomic<bool> cancel{false};
        ScanFolderForAudio(Tree().string(), list, cancel);
        found = list.size();
        benchmark::DoNotOptimize(list);
    }
    state.counters["files"] = static_cast<double>(found);
}
BENCHMARK(WalkOnly)->Unit(benchmark::kMillisecond);

// find(1) listing the same audio files (its own process start included).
void Find(benchmark::State& state) {
    const std::string command =
        "find '" + Tree().string() + "' -type f \\( -iname '*.mp3' -o -iname '*.wav' \\) > /dev/null 2>&1";
    for (auto _ : state)
        if (std::system(command.c_str()) < 0)
            throw std::runtime_error("find did not run");
}
BENCHMARK(Find)->Unit(benchmark::kMillisecond);

// The whole "Import All Audio": the walk on its worker, then the recording
// into the scan list on the main thread, into an empty scan list and again.
void Recording(benchmark::State& state) {
    const bool second = state.range(0) == 1;
    const fs::path app = fs::temp_directory_path() / "corvane-scan-bench-app";
    int added = 0;
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(app);
        fs::create_directories(app);
        StudioSeams s;
        TdmQelData data(app.string(), "Corvane", s.studio.clock(), s.prompter, s.fileDialogs);
        data.OpenTables();
        AudioFileFacts facts(data);
        AutoScan scan(data, facts, s.studio, {});
        if (second) {
            scan.ImportAllAudio(Tree().string());
            scan.WaitForWalk();
            s.studio.RunPending();
        }
        const int before = data.cdsFileScan.RecordCount();
        state.ResumeTiming();
        scan.ImportAllAudio(Tree().string());
        scan.WaitForWalk();
        s.studio.RunPending();
        state.PauseTiming();
        added = data.cdsFileScan.RecordCount() - before;
        state.ResumeTiming();
    }
    state.counters["added"] = added;
}
BENCHMARK(Recording)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
} // namespace corvane

int main(int argc, char** argv) {
    corvane::Tree(); // made once, outside every measurement
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
