// Figures for docs/shared-library.md: run bench_library_server from a release build.
#include "data/QelTableSchemas.h"
#include "data/TableFile.h"
#include "libraryserver/LibraryReplica.h"
#include "libraryserver/LibrarySchema.h"
#include "libraryserver/LibraryServer.h"
#include "studio/StudioSeams.h"
#include "support/PostgresCluster.h"
#include "support/TempFolder.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <memory>
#include <string>

namespace corvane {
namespace {

constexpr int Titles = 100'000;

// One private server holding a library of `Titles` titles, and the same
// library as a local file.
struct Setup {
    testing::PostgresCluster cluster;
    testing::TempFolder folder;
    std::string server;
    std::string file;
    TitleColumns columns{AudioLibraryFields()};

    Setup() {
        server = cluster.CreateDatabase("bench");
        file = folder.File("library.cds");
        Table lib("cdsAudioLibrary", AudioLibraryFields());
        lib.CreateDataSet();
        lib.DisableControls();
        for (int i = 1; i <= Titles; ++i) {
            const std::string n = std::to_string(i);
            lib.Append();
            lib.FieldByName("TitleID").SetAsInteger(i);
            lib.FieldByName("TitleName").SetAsString("Golden Heart No. " + n);
            lib.FieldByName("TitleArtistName").SetAsString("River Dream Band " + std::to_string(i % 997));
            lib.FieldByName("TitleAlbum").SetAsString("Summer of the Night " + std::to_string(i % 301));
            lib.FieldByName("TitleGenre").SetAsString(i % 2 ? "Rock" : "Jazz");
            lib.FieldByName("TitleReleaseYear").SetAsInteger(1960 + i % 60);
            lib.FieldByName("TitleDuration").SetAsDateTime((120 + i % 300) / SecondsPerDay);
            lib.FieldByName("LocalPathToFile")
                .SetAsString("/srv/music/band " + std::to_string(i % 997) + "/" + n + ".mp3");
            lib.FieldByName("LastPlayed").SetAsDateTime(46000.5 + i % 365);
            lib.FieldByName("TimesPlayed").SetAsInteger(i % 50);
            lib.Post();
        }
        lib.SaveToFile(file);
        PgConnection db(server);
        LibrarySchema::Migrate(db, columns);
        LibraryServer(db, columns).Upload(*lib.Snapshot(), false);
        db.Exec("VACUUM ANALYZE titles");
    }
};

Setup& Shared() {
    static Setup setup;
    return setup;
}

void BM_LoadFromFile(benchmark::State& state) {
    Setup& s = Shared();
    for (auto _ : state) {
        Table lib("cdsAudioLibrary", AudioLibraryFields());
        lib.LoadFromFile(s.file);
        if (lib.StoredRowCount() != Titles)
            state.SkipWithError("titles missing");
    }
}
BENCHMARK(BM_LoadFromFile)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LoadFromServer(benchmark::State& state) {
    Setup& s = Shared();
    for (auto _ : state) {
        Table lib("cdsAudioLibrary", AudioLibraryFields());
        PgConnection db(s.server);
        lib.LoadRows(std::move(LibraryServer(db, s.columns).Load().titles));
        if (lib.StoredRowCount() != Titles)
            state.SkipWithError("titles missing");
    }
}
BENCHMARK(BM_LoadFromServer)->Unit(benchmark::kMillisecond)->UseRealTime();

// A console on air with the whole library while another console adds 1,000
// titles, each a transaction of its own as an import makes them: the longest
// main-thread turn the replication takes (one slice), and the time until the last title
// is in the console's library.
void BM_ReplicationWhileAnotherConsoleImports(benchmark::State& state) {
    Setup& s = Shared();
    for (auto _ : state) {
        testing::TempFolder folder;
        StudioSeams seams;
        TdmQelData dm(folder.Path(), "bench", seams.studio.clock(), seams.prompter, seams.fileDialogs);
        dm.OpenTables();
        LibraryReplica replica(dm, seams.studio, seams.studio, s.server, [](const std::string&) {});
        replica.OpenFromServer();
        replica.Start();
        const int before = dm.cdsAudioLibrary.StoredRowCount();

        PgConnection other(s.server);
        LibraryServer importer(other, s.columns);
        const std::vector<int64_t> ids = importer.TakeTitleIds(1000);
        // Each run is another console, whose changes are numbered from 1.
        const std::string importerId = "bench-importer-" + std::to_string(ids.front());
        const auto start = std::chrono::steady_clock::now();
        for (size_t i = 0; i < ids.size(); ++i) {
            TitleChange change;
            change.seq = i + 1;
            change.kind = TitleChange::Kind::Insert;
            change.titleId = ids[i];
            change.editedAt = 46100;
            change.fields = {
                {"TitleName", std::nullopt, "Imported " + std::to_string(i)},
                {"LocalPathToFile", std::nullopt, "/srv/new/" + std::to_string(ids[i]) + ".mp3"}};
            importer.Apply(importerId, change);
            // The console's main thread runs between the importer's titles.
            seams.studio.RunPending();
        }
        while (dm.cdsAudioLibrary.StoredRowCount() < before + 1000) {
            replica.WaitForArrivals(std::chrono::milliseconds(10));
            seams.studio.RunPending();
        }
        state.counters["longest_slice_ms"] = replica.LongestSliceMs();
        state.counters["all_in_ms"] =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        PgConnection(s.server).Exec("DELETE FROM titles WHERE \"TitleID\" > " + std::to_string(Titles));
    }
}
BENCHMARK(BM_ReplicationWhileAnotherConsoleImports)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

} // namespace
} // namespace corvane

BENCHMARK_MAIN();
