// Figures for docs/data-store.md: run bench_table_store from a release build.
#include "data/TableAutosave.h"
#include "data/TdmQelData.h"
#include "studio/StudioSeams.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <malloc.h>
#include <memory>
#include <string>

namespace corvane {
namespace {

constexpr int Titles = 100'000;

const char* const Genres[] = {"Rock", "Pop", "Jazz", "Country", "Dance", "Soul", "Blues", "Classical"};
const char* const Words[] = {"Love",   "Night", "River", "Golden", "Heart",
                             "Summer", "Dream", "Fire",  "Rain",   "Road"};

// The library of a large station, built once through the data module's own
// new-title rule, with the heap it took.
struct Library {
    std::string folder;
    StudioSeams seams;
    std::unique_ptr<TdmQelData> dm;
    size_t heapBytes = 0;

    Library() {
        folder = (std::filesystem::temp_directory_path() / "corvane-bench-table-store").string();
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        dm = std::make_unique<TdmQelData>(folder, "bench", seams.studio.clock(), seams.prompter,
                                          seams.fileDialogs);
        dm->OpenTables();
        const size_t before = mallinfo2().uordblks;
        Table& lib = dm->cdsAudioLibrary;
        lib.DisableControls();
        for (int i = 0; i < Titles; ++i) {
            const std::string artist = std::string(Words[i % 10]) + " " + Words[(i / 10) % 10] + " Band";
            const std::string album = std::string(Words[(i / 7) % 10]) + " of the " + Words[(i / 3) % 10];
            const std::string title =
                std::string(Words[(i / 100) % 10]) + " " + Words[i % 7] + " No. " + std::to_string(i);
            const char* genre = Genres[i % 8];
            lib.Append();
            lib.FieldByName("TitleName").SetAsString(title);
            lib.FieldByName("TitleArtistName").SetAsString(artist);
            lib.FieldByName("Interpret").SetAsString(artist);
            lib.FieldByName("TitleAlbum").SetAsString(album);
            lib.FieldByName("TitleGenre").SetAsString(genre);
            lib.FieldByName("Category").SetAsString(genre);
            lib.FieldByName("TitleTrackNo").SetAsString(std::to_string(i % 14 + 1));
            lib.FieldByName("TitleReleaseYear").SetAsInteger(1960 + i % 60);
            lib.FieldByName("TitleDuration").SetAsDateTime((120 + i % 300) / SecondsPerDay);
            lib.FieldByName("LocalPathToFile")
                .SetAsString("/srv/music/" + artist + "/" + album + "/" + std::to_string(i % 14 + 1) + " - " +
                             title + ".mp3");
            lib.FieldByName("Notes").SetAsString("Ripped from CD");
            lib.FieldByName("LastPlayed").SetAsDateTime(46000.5 + i % 365);
            lib.FieldByName("TimesPlayed").SetAsInteger(i % 50);
            lib.Post();
        }
        lib.EnableControls();
        heapBytes = mallinfo2().uordblks - before;
        lib.SaveToFile(Path("library.cds"));
        lib.SaveToFile(Path("library.xml"));
    }
    ~Library() {
        dm.reset();
        std::filesystem::remove_all(folder);
    }
    std::string Path(const char* name) const { return folder + "/" + name; }
};

Library& TheLibrary() {
    static Library library;
    return library;
}

void BM_BuildMemory(benchmark::State& state) {
    Library& lib = TheLibrary();
    for (auto _ : state)
        benchmark::DoNotOptimize(lib.heapBytes);
    state.counters["bytes_per_title"] = static_cast<double>(lib.heapBytes) / Titles;
}
BENCHMARK(BM_BuildMemory)->Iterations(1);

void Write(benchmark::State& state, const char* name) {
    Library& lib = TheLibrary();
    for (auto _ : state)
        lib.dm->cdsAudioLibrary.SaveToFile(lib.Path(name));
    state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(lib.Path(name))) / 1e6;
}

void Load(benchmark::State& state, const char* name) {
    Library& lib = TheLibrary();
    Table table("copy", lib.dm->cdsAudioLibrary.FieldDefinitions());
    for (auto _ : state)
        table.LoadFromFile(lib.Path(name));
    if (table.RecordCount() != Titles)
        state.SkipWithError("wrong row count");
}

BENCHMARK_CAPTURE(Write, binary, "write.cds")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Load, binary, "library.cds")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Write, xml, "write.xml")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Load, xml, "library.xml")->Unit(benchmark::kMillisecond);

void BM_LocateTitleID(benchmark::State& state) {
    Table& lib = TheLibrary().dm->cdsAudioLibrary;
    for (auto _ : state)
        if (!lib.Locate("TitleID", int64_t{Titles}))
            state.SkipWithError("not found");
}
BENCHMARK(BM_LocateTitleID)->Unit(benchmark::kMillisecond);

void BM_LocatePathIgnoringCase(benchmark::State& state) {
    Table& lib = TheLibrary().dm->cdsAudioLibrary;
    lib.Last();
    const std::string path = FoldCase(lib.FieldByName("LocalPathToFile").AsString());
    for (auto _ : state)
        if (!lib.Locate("LocalPathToFile", path, CaseSensitivity::Insensitive))
            state.SkipWithError("not found");
}
BENCHMARK(BM_LocatePathIgnoringCase)->Unit(benchmark::kMillisecond);

void BM_Filter(benchmark::State& state) {
    Table& lib = TheLibrary().dm->cdsAudioLibrary;
    lib.SetFilterOptions({CaseSensitivity::Insensitive, FilterOptions::Asterisk::Ordinary});
    lib.SetFilter(
        "(TitleGenre = 'rock' or TitleGenre = 'jazz') and TimesPlayed > 10 and LastPlayed > '2025-12-01'");
    int shown = 0;
    for (auto _ : state) {
        lib.SetFiltered(true);
        shown = lib.RecordCount();
        lib.SetFiltered(false);
    }
    state.counters["rows_shown"] = shown;
}
BENCHMARK(BM_Filter)->Unit(benchmark::kMillisecond);

void BM_IndexTitleName(benchmark::State& state) {
    Table& lib = TheLibrary().dm->cdsAudioLibrary;
    lib.AddIndex({"idxTitleName", "TitleName", SortDirection::Ascending, CaseSensitivity::Insensitive});
    for (auto _ : state) {
        lib.SetIndexName("idxTitleName");
        lib.SetIndexName("");
    }
    lib.DeleteIndex("idxTitleName");
}
BENCHMARK(BM_IndexTitleName)->Unit(benchmark::kMillisecond);

void BM_AppendTitle(benchmark::State& state) {
    Table& lib = TheLibrary().dm->cdsAudioLibrary;
    for (auto _ : state) {
        lib.Append();
        lib.FieldByName("LocalPathToFile").SetAsString("/srv/music/new.mp3");
        lib.Post();
    }
    while (lib.StoredRowCount() > Titles) {
        lib.Last();
        lib.Delete();
    }
}
BENCHMARK(BM_AppendTitle)->Iterations(1000);

// The console's autosave on air: a title has played (one row of the library
// changed). The main thread pays for WriteChanged and the copying turns it
// posts (a slice of rows each); the writer thread writes meanwhile. The time
// shown is one change's main-thread total; worst_turn_ms is the longest
// single turn, the longest the main thread is held at once.
class QueuedTurns final : public Dispatcher {
public:
    void Post(std::function<void()> work) override { turns.push_back(std::move(work)); }
    std::deque<std::function<void()>> turns;
};

void BM_AutosaveMainThreadPause(benchmark::State& state) {
    Library& lib = TheLibrary();
    QueuedTurns turns;
    TableAutosave autosave(*lib.dm, turns);
    double worstTurnMs = 0;
    int played = 0;
    int turnCount = 0;
    // Wall time, and the thread's own CPU time (the wall time on a machine
    // shared with other work also holds the time others had the core).
    double worstTurnCpuMs = 0;
    const auto cpuMs = [] {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
    };
    const auto timed = [&](const std::function<void()>& work) {
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = cpuMs();
        work();
        worstTurnCpuMs = std::max(worstTurnCpuMs, cpuMs() - cpuStart);
        worstTurnMs = std::max(
            worstTurnMs,
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    };
    for (auto _ : state) {
        state.PauseTiming();
        lib.dm->MarkTitlePlayed(1 + played++ % Titles);
        state.ResumeTiming();
        timed([&] {
            if (autosave.WriteChanged() != 1)
                state.SkipWithError("the changed library was not copied");
        });
        while (!turns.turns.empty()) {
            auto turn = std::move(turns.turns.front());
            turns.turns.pop_front();
            timed(turn);
            ++turnCount;
        }
        state.PauseTiming();
        autosave.Finish(); // the write is done, as five seconds later it would be
        state.ResumeTiming();
    }
    state.counters["worst_turn_ms"] = worstTurnMs;
    state.counters["worst_turn_cpu_ms"] = worstTurnCpuMs;
    state.counters["turns"] = static_cast<double>(turnCount) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_AutosaveMainThreadPause)->Iterations(20)->Unit(benchmark::kMillisecond);

// Registered last: the process's peak over every benchmark above.
void BM_PeakResident(benchmark::State& state) {
    double peakKb = 0;
    for (auto _ : state) {
        std::ifstream status("/proc/self/status");
        for (std::string line; std::getline(status, line);)
            if (line.rfind("VmHWM:", 0) == 0)
                peakKb = std::atof(line.c_str() + 6);
    }
    state.counters["peak_rss_kB"] = peakKb;
}
BENCHMARK(BM_PeakResident)->Iterations(1);

} // namespace
} // namespace corvane

BENCHMARK_MAIN();
