// The as-run log's figures. First, the main thread's share of the log: per iteration one item begun on
// the output's time line and heard (its start line formatted and queued) and
// its end (the end line), while the journal's thread appends and fdatasyncs
// every line to a file in a temporary folder. The time per iteration is what
// two lines cost the main thread.
#include "asrun/AsRunJournal.h"
#include "asrun/AsRunJson.h"
#include "asrun/AsRunReader.h"
#include "asrun/AsRunRecorder.h"
#include "asrun/AsRunReports.h"
#include "asrun/IsoTime.h"
#include "platform/Clock.h"
#include "platform/Dispatcher.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace corvane {
namespace {

class DroppingDispatcher final : public Dispatcher {
public:
    void Post(std::function<void()>) override {}
};

class FixedClock final : public Clock {
public:
    TDateTime Now() const override { return EncodeDateTime({2026, 12, 11, 10, 0, 0, 0}); }
    int64_t MonotonicMs() const override { return 0; }
};

void BM_RecordAnItem(benchmark::State& state) {
    const auto folder =
        std::filesystem::temp_directory_path() / ("asrun-bench-" + std::to_string(::getpid()));
    DroppingDispatcher dispatcher;
    FixedClock clock;
    {
        AsRunJournal journal(folder, dispatcher, [](const std::string&) {});
        AsRunRecorder recorder(journal, clock);
        AsRunRecord record;
        record.source = AsRunSource::Schedule;
        record.playOrder = 12;
        record.title = {
            "1234", "A Title Of Some Length",     "The Artist", "The Album", "A Composer", "A Label", "1999",
            "Pop",  "/srv/audio/pop/a-title.mp3", 215000};
        int64_t heardMs = 0;
        for (auto _ : state) {
            recorder.Begin(AsRunChannel::Schedule, record, heardMs);
            heardMs += 1000;
            recorder.Heard(heardMs);
            recorder.Leaving(AsRunChannel::Schedule, EndedBy::Faded);
        }
        recorder.OutputStopped();
        journal.Flush(60000);
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_RecordAnItem)->Unit(benchmark::kMicrosecond)->Iterations(2000);

// A year of as-run files (365 days of 410 items each, about 150,000
// records, as the journal writes them: start and end lines) read back and
// built into each report. The time per iteration is one year's report.
void BM_YearOfReports(benchmark::State& state) {
    const auto folder = std::filesystem::temp_directory_path() / ("asrun-year-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const TDateTime first = EncodeDateTime({2026, 1, 1, 0, 0, 0, 0});
    int64_t id = 0;
    for (int day = 0; day < 365; ++day) {
        std::ofstream out(folder / (FormatIsoDate(first + day) + ".jsonl"));
        for (int item = 0; item < 410; ++item) {
            AsRunRecord r;
            r.id = std::to_string(++id);
            r.playOrder = item + 1;
            r.actualStart = first + day + item * 210000 / MsPerDay;
            r.scheduledStart = r.actualStart;
            r.title = {std::to_string(id % 2000),
                       "Title " + std::to_string(id % 2000),
                       "Artist",
                       "Album",
                       "",
                       "Label",
                       "2001",
                       "Pop",
                       "/srv/audio/x.mp3",
                       210000};
            out << RecordLine(r) << "\n"
                << EndLine(r.id, r.actualStart + 210000 / MsPerDay, EndedBy::PlayedOut, "") << "\n";
        }
    }
    const int kind = static_cast<int>(state.range(0));
    size_t records = 0;
    for (auto _ : state) {
        const AsRunRead read = ReadAsRunDays(folder, "2026-01-01", "2026-12-31");
        records = read.records.size();
        std::ostringstream report;
        if (kind == 0)
            WriteAsRunCsv(read.records, report);
        else if (kind == 1)
            WriteTimingCsv(read.records, report);
        else
            WriteRoyaltyCsv(read.records, report);
        benchmark::DoNotOptimize(report.str().size());
    }
    state.counters["records"] = static_cast<double>(records);
    std::filesystem::remove_all(folder);
}
// 0: asrun CSV, 1: timing, 2: royalty.
BENCHMARK(BM_YearOfReports)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
} // namespace corvane
