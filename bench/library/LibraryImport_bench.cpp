// Importing MP3 files of three minutes (CORVANE_IMPORT_FILES of them, 1,000
// by default) into the library, tags and exact duration, set against the
// floor: reading each file once and libmpg123's length scan on their own.
// The files are hard links of one encoded file, so both runs read from the
// page cache alike.
#include "data/TdmQelData.h"
#include "data/facts/AudioFileFacts.h"
#include "studio/StudioSeams.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mpg123.h>
#include <stdexcept>
#include <vector>

namespace corvane {
namespace {

namespace fs = std::filesystem;

const std::vector<std::string>& Files() {
    static const std::vector<std::string> files = [] {
        const char* count = std::getenv("CORVANE_IMPORT_FILES");
        const int n = count ? std::atoi(count) : 1000;
        const fs::path folder = fs::temp_directory_path() / "corvane-import-bench";
        const fs::path master = folder / "master.mp3";
        if (!fs::exists(master)) {
            fs::create_directories(folder);
            const std::string make = "sox -n -r 44100 -c 2 -b 16 '" + (folder / "master.wav").string() +
                                     "' synth 180 sine 440 vol 0.3 && lame --quiet -b 192 '" +
                                     (folder / "master.wav").string() + "' '" + master.string() + "'";
            if (std::system(make.c_str()) != 0)
                throw std::runtime_error("cannot make the MP3 (sox and lame)");
        }
        std::vector<std::string> files;
        for (int i = 0; i < n; ++i) {
            const fs::path link = folder / ("title" + std::to_string(i) + ".mp3");
            if (!fs::exists(link))
                fs::create_hard_link(master, link);
            files.push_back(link.string());
        }
        return files;
    }();
    return files;
}

void Floor(benchmark::State& state) {
    mpg123_init();
    std::vector<char> buffer(1 << 20);
    for (auto _ : state) {
        for (const std::string& path : Files()) {
            std::ifstream in(path, std::ios::binary);
            while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())))
                ;
            mpg123_handle* handle = mpg123_new(nullptr, nullptr);
            mpg123_open(handle, path.c_str());
            mpg123_scan(handle);
            benchmark::DoNotOptimize(mpg123_length(handle));
            mpg123_close(handle);
            mpg123_delete(handle);
        }
    }
    state.counters["files"] = static_cast<double>(Files().size());
}
BENCHMARK(Floor)->Unit(benchmark::kMillisecond)->Iterations(3);

void Import(benchmark::State& state) {
    const fs::path app = fs::temp_directory_path() / "corvane-import-bench-app";
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(app);
        fs::create_directories(app);
        StudioSeams s;
        TdmQelData data(app.string(), "Corvane", s.studio.clock(), s.prompter, s.fileDialogs);
        data.OpenTables();
        AudioFileFacts facts(data);
        state.ResumeTiming();
        for (const std::string& path : Files())
            facts.AddFileToLibrary(path);
        state.PauseTiming();
        if (data.cdsAudioLibrary.RecordCount() != static_cast<int>(Files().size()))
            throw std::runtime_error("not every file was imported");
        state.ResumeTiming();
    }
    state.counters["files"] = static_cast<double>(Files().size());
}
BENCHMARK(Import)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
} // namespace corvane

BENCHMARK_MAIN();
