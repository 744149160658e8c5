// Importing MP3 files of three minutes (CORVANE_IMPORT_FILES of them, 1,000
// by default) into the library, tags and exact duration, set against the
// floor: reading each file once and libmpg123's length scan on their own.
// The files are hard links of one encoded file, so both runs read from the
// page cache alike.
#include "audio/decks/TMMAudioFile.h"
#include "data/TdmQelData.h"
#include "data/facts/AudioFileFacts.h"
#include "data/facts/OtherAudioTags.h"
#include "studio/StudioSeams.h"
#include "support/Mp3Files.h"
#include "support/WaveFiles.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
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
            // Three minutes of a 440 Hz sine at 0.3 of full scale, encoded at 192 kbit/s.
            constexpr int Rate = 44100;
            std::vector<int16_t> samples(static_cast<size_t>(Rate) * 180 * 2);
            for (size_t i = 0; i < samples.size() / 2; ++i)
                samples[2 * i] = samples[2 * i + 1] = static_cast<int16_t>(std::lround(
                    0.3 * 32767 * std::sin(2 * 3.141592653589793 * 440 * static_cast<double>(i) / Rate)));
            const fs::path wave = folder / "master.wav";
            testing::WriteWave16(wave.string(), Rate, 2, samples);
            if (testing::MakeMp3(wave, "-b 192") != master)
                throw std::runtime_error("cannot make the MP3 (lame)");
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

// The file in memory, handed to libmpg123 through its reader callbacks, so
// that the file is read exactly once. The buffer is not zero-filled first, so
// that the floor holds nothing but the reading and the scan.
struct Memory {
    struct Bytes {
        std::unique_ptr<char[]> data_;
        size_t size_ = 0;
        void resize(size_t size) {
            data_.reset(new char[size]);
            size_ = size;
        }
        char* data() { return data_.get(); }
        const char* data() const { return data_.get(); }
        size_t size() const { return size_; }
    } bytes;
    size_t position = 0;
};

mpg123_ssize_t ReadMemory(void* handle, void* into, size_t count) {
    auto* memory = static_cast<Memory*>(handle);
    const size_t n = std::min(count, memory->bytes.size() - memory->position);
    std::memcpy(into, memory->bytes.data() + memory->position, n);
    memory->position += n;
    return static_cast<mpg123_ssize_t>(n);
}

off_t SeekMemory(void* handle, off_t offset, int whence) {
    auto* memory = static_cast<Memory*>(handle);
    const off_t base = whence == SEEK_SET   ? 0
                       : whence == SEEK_CUR ? static_cast<off_t>(memory->position)
                                            : static_cast<off_t>(memory->bytes.size());
    const off_t target = base + offset;
    if (target < 0 || target > static_cast<off_t>(memory->bytes.size()))
        return -1;
    memory->position = static_cast<size_t>(target);
    return target;
}

void Floor(benchmark::State& state) {
    mpg123_init();
    for (auto _ : state) {
        for (const std::string& path : Files()) {
            Memory memory;
            std::ifstream in(path, std::ios::binary | std::ios::ate);
            memory.bytes.resize(static_cast<size_t>(in.tellg()));
            in.seekg(0);
            in.read(memory.bytes.data(), static_cast<std::streamsize>(memory.bytes.size()));
            mpg123_handle* handle = mpg123_new(nullptr, nullptr);
            mpg123_replace_reader_handle(handle, ReadMemory, SeekMemory, nullptr);
            mpg123_open_handle(handle, &memory);
            mpg123_scan(handle);
            benchmark::DoNotOptimize(mpg123_length(handle));
            mpg123_close(handle);
            mpg123_delete(handle);
        }
    }
    state.counters["files"] = static_cast<double>(Files().size());
}
BENCHMARK(Floor)->Unit(benchmark::kMillisecond)->Iterations(3);

// Where an import's time goes: the deck's opening of each file (its length
// scan and trailer) and the tag reading for files without a trailer.
void DeckLoadOnly(benchmark::State& state) {
    TMMAudioFile deck("mmAudioFile");
    for (auto _ : state)
        for (const std::string& path : Files()) {
            deck.SetFileName(path);
            benchmark::DoNotOptimize(deck.Duration());
            deck.SetFileName({});
        }
}
BENCHMARK(DeckLoadOnly)->Unit(benchmark::kMillisecond)->Iterations(3);

void OtherTagsOnly(benchmark::State& state) {
    for (auto _ : state)
        for (const std::string& path : Files())
            benchmark::DoNotOptimize(ReadOtherAudioTags(path));
}
BENCHMARK(OtherTagsOnly)->Unit(benchmark::kMillisecond)->Iterations(3);

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
