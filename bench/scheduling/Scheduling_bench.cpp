// One week (7 x 24 clocks) generated from a library of N titles with the
// separations, rest, max-in-a-row and horizontal rules a music station uses.
// Counters: music slots per week, unfilled slots, relaxed rows, hours off by
// more than 5 s, each rule's pass rate (per cent) and the process's peak
// memory (MB). The library is built once per size, outside the timing; the
// generator's own indexing of it is timed (and timed alone in
// BM_IndexLibrary).
#include "scheduling/ScheduleGenerator.h"
#include "scheduling/SchedulingFormatFile.h"

#include <benchmark/benchmark.h>
#include <random>
#include <sys/resource.h>

namespace corvane {
namespace {

constexpr const char* Format = R"([Clock Music]
Slot1=Category Current
Slot2=Category Gold
Slot3=Category Recurrent
Slot4=Category Current Tempo=Fast
Slot5=Category Gold
Slot6=Break 120
Slot7=Category Current
Slot8=Category Gold Code=Female
Slot9=Category Recurrent
Slot10=Category Current
Slot11=Category Gold
Slot12=Break 90
Slot13=Category Current
Slot14=Category Gold
Slot15=Fill Gold

[Clock Night]
Slot1=Category Gold
Slot2=Category Recurrent
Slot3=Category Gold
Slot4=Category Current
Slot5=Category Gold
Slot6=Category Recurrent
Slot7=Category Gold
Slot8=Category Current
Slot9=Category Gold
Slot10=Category Recurrent
Slot11=Category Gold
Slot12=Category Current
Slot13=Fill Gold

[Week]
Default=Music
00-06=Night

[Rules]
ArtistSeparation=60
TitleSeparation=180
AlbumSeparation=30
ArtistSeparationSongs=5
MinimumRest=Current 3
MaxInARow=Tempo Fast 2
HorizontalSeparation=1
Breakable=AlbumSeparation, MaxInARow
)";

// N titles: 2 % Current, 10 % Recurrent, the rest Gold; about eight titles
// per artist and per album, a third of them Fast, a quarter Female; lengths
// 2:30 to 5:30; half played in the last month.
std::vector<SchedulingTitle> Library(int n) {
    std::mt19937_64 draw(42);
    std::vector<SchedulingTitle> titles(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        SchedulingTitle& t = titles[static_cast<size_t>(i)];
        t.titleId = i + 1;
        t.name = "Title " + std::to_string(i);
        const uint64_t artist = draw() % static_cast<uint64_t>(n / 8 + 1);
        t.artist = "Artist " + std::to_string(artist) +
                   (i % 20 == 0 ? " feat. Artist " + std::to_string(artist + 1) : "");
        t.album = "Album " + std::to_string(artist) + "-" + std::to_string(i % 2);
        const int share = static_cast<int>(draw() % 100);
        t.category = share < 2 ? "Current" : share < 12 ? "Recurrent" : "Gold";
        t.tempo = draw() % 3 == 0 ? "Fast" : "Medium";
        if (draw() % 4 == 0)
            t.codes.push_back("Female");
        t.lengthSeconds = 150 + static_cast<double>(draw() % 181);
        if (draw() % 2 == 0) {
            t.played = true;
            t.lastPlayed = -static_cast<double>(draw() % (30 * 86400));
        }
    }
    return titles;
}

double PeakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void BM_ScheduleWeek(benchmark::State& state) {
    const std::vector<SchedulingTitle> library = Library(static_cast<int>(state.range(0)));
    const SchedulingFormat format = ReadSchedulingFormat(Format).format;
    int music = 0, unfilled = 0, relaxed = 0, hoursOff = 0;
    std::array<int, RuleCount> checks{}, kept{};
    for (auto _ : state) {
        ScheduleGenerator generator(library, format, 1, 7);
        music = unfilled = relaxed = hoursOff = 0;
        checks = {};
        kept = {};
        for (int d = 0; d < 7; ++d) {
            const GeneratedDay day = generator.GenerateNextDay();
            music += day.MusicItems();
            unfilled += static_cast<int>(day.unfilled.size());
            relaxed += day.RelaxedItems();
            hoursOff += day.HoursOff();
            for (int r = 0; r < RuleCount; ++r) {
                checks[r] += day.ruleChecks[r];
                kept[r] += day.ruleKept[r];
            }
        }
        benchmark::DoNotOptimize(music);
    }
    state.counters["music_slots"] = music;
    state.counters["unfilled"] = unfilled;
    state.counters["relaxed_rows"] = relaxed;
    state.counters["hours_off"] = hoursOff;
    state.counters["peak_MB"] = PeakMegabytes();
    for (int r = 0; r < RuleCount; ++r) {
        if (checks[r] > 0)
            state.counters[std::string("pass_") + RuleName(static_cast<RuleId>(r))] =
                100.0 * kept[r] / checks[r];
    }
}
// The generator's part before the first slot: artists split and normalised,
// names interned, each category's turn made and the library's plays read.
void BM_IndexLibrary(benchmark::State& state) {
    const std::vector<SchedulingTitle> library = Library(static_cast<int>(state.range(0)));
    const SchedulingFormat format = ReadSchedulingFormat(Format).format;
    for (auto _ : state) {
        ScheduleGenerator generator(library, format, 1, 7);
        benchmark::DoNotOptimize(generator);
    }
}
BENCHMARK(BM_IndexLibrary)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK(BM_ScheduleWeek)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
} // namespace corvane

BENCHMARK_MAIN();
