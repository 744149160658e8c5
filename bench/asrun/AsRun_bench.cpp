// The main thread's share of the as-run log: per iteration one item begun on
// the output's time line and heard (its start line formatted and queued) and
// its end (the end line), while the journal's thread appends and fdatasyncs
// every line to a file in a temporary folder. The time per iteration is what
// two lines cost the main thread.
#include "asrun/AsRunJournal.h"
#include "asrun/AsRunRecorder.h"
#include "platform/Clock.h"
#include "platform/Dispatcher.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <filesystem>
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

} // namespace
} // namespace corvane
