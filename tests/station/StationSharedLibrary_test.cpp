#include "data/QelTableSchemas.h"
#include "libraryserver/LibrarySchema.h"
#include "libraryserver/LibraryServer.h"
#include "station/StartedStation.h"
#include "support/PostgresCluster.h"
#include "support/TempFolder.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace corvane::testing {
namespace {

// The station takes its library from the server named in its settings, keeps
// its own copy of it, and starts on that copy when the server is away.
TEST(StationSharedLibrary, StartsFromTheServerAndOnItsCopyWhenTheServerIsAway) {
    PostgresCluster cluster;
    TempFolder folder;
    // The password makes the settings file its owner's alone.
    const std::string server = cluster.CreateDatabase("station") + " password=unused";
    {
        Table library("cdsAudioLibrary", AudioLibraryFields());
        library.CreateDataSet();
        for (int i = 1; i <= 3; ++i) {
            library.Append();
            library.FieldByName("TitleID").SetAsInteger(i);
            library.FieldByName("TitleName").SetAsString("Shared " + std::to_string(i));
            library.Post();
        }
        const TitleColumns columns(AudioLibraryFields());
        PgConnection db(server);
        LibrarySchema::Migrate(db, columns);
        LibraryServer(db, columns).Upload(*library.Snapshot(), false);
    }
    std::ofstream(folder / "corvane.ini")
        << "[Corvane_General]\nWelcomeDone=1\n[Corvane_Library]\nServer=" << server << "\n";
    ::chmod((folder / "corvane.ini").c_str(), 0644);
    struct stat st {};
    {
        StartedStation s(folder.Path());
        // Taken at start-up already, before any save.
        ASSERT_EQ(::stat((folder / "corvane.ini").c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0077, 0u) << "a password written by hand is for the owner's eyes only";
        ASSERT_NE(s.station.SharedLibrary(), nullptr);
        EXPECT_EQ(s.station.Data().cdsAudioLibrary.StoredRowCount(), 3);
        EXPECT_EQ(s.station.Data().cdsAudioLibrary.Lookup("TitleID", int64_t{2}, "TitleName"),
                  Value(std::string("Shared 2")));
        s.station.Close();
    }
    ASSERT_EQ(::stat((folder / "corvane.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0077, 0u) << "a password in the settings is for the owner's eyes only";

    cluster.Stop();
    StartedStation again(folder.Path());
    EXPECT_EQ(again.station.Data().cdsAudioLibrary.StoredRowCount(), 3);
    EXPECT_EQ(again.station.SharedLibrary()->Status().link, LibraryLink::Offline);
    const auto& lines = again.station.Playout().Memo1.Lines();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& l) {
        return l.find("cannot be reached") != std::string::npos;
    }));
}

TEST(StationSharedLibrary, WithoutAServerTheLibraryIsTheConsolesOwn) {
    TempFolder folder;
    StartedStation s(folder.Path());
    EXPECT_EQ(s.station.SharedLibrary(), nullptr);
    EXPECT_FALSE(std::filesystem::exists(folder / "AudioLibrary.journal"));
}

} // namespace
} // namespace corvane::testing
