#include "data/DataErrors.h"
#include "libraryserver/LibraryReplica.h"
#include "libraryserver/LibraryServer.h"
#include "studio/StudioSeams.h"
#include "support/FakeTcpServer.h"
#include "support/PostgresCluster.h"
#include "support/TempFolder.h"

#include <chrono>
#include <gtest/gtest.h>

namespace corvane {
namespace {

using testing::PostgresCluster;
using testing::TempFolder;

// One console's data module on its own program folder and virtual studio,
// with its library shared on `server`.
struct Console {
    explicit Console(std::string server) : server(std::move(server)) { Start(); }

    void Start() {
        dm = std::make_unique<TdmQelData>(folder.Path(), "corvane", seams.studio.clock(), seams.prompter,
                                          seams.fileDialogs);
        dm->OpenTables();
        replica =
            std::make_unique<LibraryReplica>(*dm, seams.studio, seams.studio, server,
                                             [this](const std::string& line) { messages.push_back(line); });
        fromServer = replica->OpenFromServer();
        replica->Start();
    }
    // Ends as the program does (the tables write their files) and starts again.
    void Restart() {
        replica.reset();
        dm.reset();
        Start();
    }

    Table& Library() { return dm->cdsAudioLibrary; }
    int64_t AddTitle(const std::string& name) {
        Library().Append();
        Library().FieldByName("TitleName").SetAsString(name);
        Library().FieldByName("LocalPathToFile").SetAsString("/music/" + name + ".mp3");
        Library().Post();
        return Library().FieldByName("TitleID").AsInteger();
    }
    Value Get(int64_t titleId, const std::string& field) {
        return Library().Lookup("TitleID", titleId, field);
    }
    void Set(int64_t titleId, const std::string& field, const std::string& text) {
        ASSERT_TRUE(Library().Locate("TitleID", titleId));
        Library().Edit();
        Library().FieldByName(field).SetAsString(text);
        Library().Post();
    }
    bool Told(const std::string& part) const {
        return std::any_of(messages.begin(), messages.end(),
                           [&](const std::string& line) { return line.find(part) != std::string::npos; });
    }

    std::string server;
    TempFolder folder;
    StudioSeams seams;
    std::vector<std::string> messages;
    std::unique_ptr<TdmQelData> dm;
    std::unique_ptr<LibraryReplica> replica;
    bool fromServer = false;
};

class SharedLibrary : public ::testing::Test {
protected:
    static void SetUpTestSuite() { cluster = new PostgresCluster(); }
    static void TearDownTestSuite() { delete cluster; }
    static PostgresCluster* cluster;

    void SetUp() override {
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::string database = "db";
        for (char c : name)
            database += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        server = cluster->CreateDatabase(database.substr(0, 60));
    }

    // Runs the consoles' main threads until `done` holds; waits for the
    // replication threads in between, at most 60 s in all.
    template <class Done> bool Settle(std::initializer_list<Console*> consoles, Done done) {
        const auto bound = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        for (;;) {
            for (Console* c : consoles)
                c->seams.studio.RunPending();
            if (done())
                return true;
            if (std::chrono::steady_clock::now() > bound)
                return false;
            for (Console* c : consoles)
                c->replica->WaitForArrivals(std::chrono::milliseconds(20));
        }
    }
    static bool Connected(Console& c) {
        return c.replica->Status() == LibraryStatus{LibraryLink::Connected, 0} &&
               c.replica->TitlesWaiting() == 0;
    }
    // What the server holds of one title.
    std::string OnServer(int64_t titleId, const std::string& field) {
        PgConnection db(server);
        const PgResult row =
            db.Exec("SELECT " + QuoteIdentifier(field) + " FROM titles WHERE \"TitleID\" = $1",
                    {std::to_string(titleId)});
        return row.Rows() == 0 || row.IsNull(0, 0) ? std::string("(none)") : std::string(row.Text(0, 0));
    }

    std::string server;
};
PostgresCluster* SharedLibrary::cluster = nullptr;

TEST_F(SharedLibrary, TwoConsolesSeeEachOthersNewTitlesEditsAndDeletions) {
    Console a(server), b(server);
    ASSERT_TRUE(a.fromServer && b.fromServer);
    const int64_t first = a.AddTitle("First");
    const int64_t second = b.AddTitle("Second");
    EXPECT_NE(first, second) << "the server hands out each TitleID once";
    ASSERT_TRUE(Settle({&a, &b}, [&] {
        return b.Get(first, "TitleName") == Value(std::string("First")) &&
               a.Get(second, "TitleName") == Value(std::string("Second"));
    }));

    b.Set(first, "TitleArtistName", "Edited in B");
    ASSERT_TRUE(Settle({&a, &b},
                       [&] { return a.Get(first, "TitleArtistName") == Value(std::string("Edited in B")); }));

    ASSERT_TRUE(a.Library().Locate("TitleID", second));
    a.Library().Delete();
    ASSERT_TRUE(
        Settle({&a, &b}, [&] { return b.Library().StoredRowCount() == 1 && Connected(a) && Connected(b); }));
    EXPECT_EQ(OnServer(first, "TitleArtistName"), "Edited in B");
    EXPECT_TRUE(a.messages.empty()) << a.messages.front();
}

// Two studios playing the same title add their plays; LastPlayed keeps the
// later time.
TEST_F(SharedLibrary, PlaysFromTwoConsolesAddUp) {
    Console a(server), b(server);
    const int64_t id = a.AddTitle("Hit");
    ASSERT_TRUE(Settle({&a, &b}, [&] { return !IsNull(b.Get(id, "TitleName")); }));
    b.seams.studio.Run(60'000); // B's clock a minute ahead
    for (int i = 0; i < 100; ++i) {
        ASSERT_TRUE(a.dm->MarkTitlePlayed(static_cast<int>(id)));
        ASSERT_TRUE(b.dm->MarkTitlePlayed(static_cast<int>(id)));
    }
    ASSERT_TRUE(Settle({&a, &b}, [&] {
        return Connected(a) && Connected(b) && a.Get(id, "TimesPlayed") == Value(int64_t{200}) &&
               b.Get(id, "TimesPlayed") == Value(int64_t{200});
    }));
    EXPECT_EQ(OnServer(id, "TimesPlayed"), "200");
    EXPECT_EQ(a.Get(id, "LastPlayed"), Value(b.seams.studio.clock().Now()));
}

// The later edit wins each field both edited; a field only one console
// edited keeps that edit; the console whose edit lost is told.
TEST_F(SharedLibrary, ConflictingEditsTheLaterWinsFieldByFieldAndTheLoserIsTold) {
    Console a(server), b(server);
    const int64_t id = a.AddTitle("Original");
    ASSERT_TRUE(Settle({&a, &b}, [&] { return !IsNull(b.Get(id, "TitleName")); }));
    b.seams.studio.Run(1000); // B edits later
    a.Set(id, "TitleName", "Name from A");
    a.Set(id, "TitleGenre", "Genre from A");
    b.Set(id, "TitleName", "Name from B");
    ASSERT_TRUE(Settle({&a, &b}, [&] {
        return Connected(a) && Connected(b) && a.Get(id, "TitleName") == Value(std::string("Name from B")) &&
               b.Get(id, "TitleGenre") == Value(std::string("Genre from A")) && a.Told("TitleName");
    }));
    EXPECT_EQ(OnServer(id, "TitleName"), "Name from B");
    EXPECT_EQ(b.Get(id, "TitleName"), Value(std::string("Name from B")));
    EXPECT_FALSE(b.Told("lost"));
}

// A title read from the server before the console's own plays reached it
// (here: they never can, the server is gone) still counts them: the play
// count shown never goes back.
TEST_F(SharedLibrary, ATitleReadBeforeTheConsolesOwnPlaysStillCountsThem) {
    Console a(server), b(server);
    const int64_t id = a.AddTitle("Song");
    ASSERT_TRUE(Settle({&a, &b}, [&] { return Connected(a) && !IsNull(b.Get(id, "TitleName")); }));
    b.dm->MarkTitlePlayed(static_cast<int>(id));
    // Something read from the server waits for a's main thread: its own
    // title, or the title with b's play.
    ASSERT_TRUE(a.replica->WaitForArrivals(std::chrono::seconds(60)));
    cluster->Kill();
    for (int i = 0; i < 5; ++i)
        a.dm->MarkTitlePlayed(static_cast<int>(id));
    ASSERT_TRUE(Settle({&a}, [&] {
        return a.replica->Status().link == LibraryLink::Offline && a.replica->TitlesWaiting() == 0;
    }));
    const Value shown = a.Get(id, "TimesPlayed");
    EXPECT_TRUE(shown == Value(int64_t{5}) || shown == Value(int64_t{6})) << shown.index();

    cluster->Start();
    ASSERT_TRUE(Settle({&a, &b}, [&] {
        return Connected(a) && Connected(b) && a.Get(id, "TimesPlayed") == Value(int64_t{6}) &&
               b.Get(id, "TimesPlayed") == Value(int64_t{6});
    }));
    EXPECT_EQ(OnServer(id, "TimesPlayed"), "6");
}

// The server killed mid-session: the console plays on from its copy, its
// plays wait in the journal (also across a restart of the console) and reach
// the server once each when it is back.
TEST_F(SharedLibrary, PlaysWhileTheServerIsAwayAreReplayedOnceWhenItReturns) {
    Console a(server), b(server);
    const int64_t id = a.AddTitle("Song");
    for (int i = 0; i < 10; ++i)
        a.dm->MarkTitlePlayed(static_cast<int>(id));
    ASSERT_TRUE(
        Settle({&a, &b}, [&] { return Connected(a) && b.Get(id, "TimesPlayed") == Value(int64_t{10}); }));

    cluster->Kill();
    for (int i = 0; i < 100; ++i) {
        a.dm->MarkTitlePlayed(static_cast<int>(id));
        b.dm->MarkTitlePlayed(static_cast<int>(id));
    }
    ASSERT_TRUE(Settle({&a, &b}, [&] {
        return a.replica->Status() == LibraryStatus{LibraryLink::Offline, 100} &&
               b.replica->Status().link == LibraryLink::Offline;
    }));
    EXPECT_EQ(LibraryReplica::StatusText(a.replica->Status()), "Library: offline, 100 changes waiting");
    EXPECT_THROW(a.AddTitle("Refused while away"), EDatabaseError);
    EXPECT_EQ(a.Get(id, "TimesPlayed"), Value(int64_t{110}));
    a.Restart(); // its journal keeps what the server has not confirmed
    EXPECT_FALSE(a.fromServer);
    EXPECT_EQ(a.Get(id, "TimesPlayed"), Value(int64_t{110}));

    cluster->Start();
    ASSERT_TRUE(Settle({&a, &b}, [&] {
        return Connected(a) && Connected(b) && a.Get(id, "TimesPlayed") == Value(int64_t{210}) &&
               b.Get(id, "TimesPlayed") == Value(int64_t{210});
    }));
    a.Restart();
    EXPECT_TRUE(a.fromServer);
    ASSERT_TRUE(Settle({&a}, [&] { return Connected(a); }));
    EXPECT_EQ(OnServer(id, "TimesPlayed"), "210");
}

TEST_F(SharedLibrary, AConsoleStartedWhileTheServerIsDownRunsOnItsLastCopy) {
    auto a = std::make_unique<Console>(server);
    const int64_t id = a->AddTitle("Kept");
    ASSERT_TRUE(Settle({a.get()}, [&] { return Connected(*a); }));
    a->dm->SaveAllTables();
    cluster->Stop();
    a->Restart();
    cluster->Start();
    EXPECT_FALSE(a->fromServer);
    EXPECT_EQ(a->Get(id, "TitleName"), Value(std::string("Kept")));
    EXPECT_TRUE(a->Told("cannot be reached"));
    // Once the server is back, the copy follows it again.
    Console other(server);
    other.Set(id, "TitleName", "Renamed");
    ASSERT_TRUE(
        Settle({a.get(), &other}, [&] { return a->Get(id, "TitleName") == Value(std::string("Renamed")); }));
}

// A server frozen mid-session (its processes stopped; its system still
// acknowledges what is sent) is told from a live one by its answers: the
// status turns "offline" within seconds, and closing the console's library
// does not wait on the statement under way.
TEST_F(SharedLibrary, AFrozenServerIsOfflineWithinSecondsAndClosingDoesNotWaitForIt) {
    // Left behind on purpose when closing hangs, with the replication thread
    // still using it.
    auto* a = new Console(server);
    const int64_t id = a->AddTitle("Song");
    ASSERT_TRUE(Settle({a}, [&] { return Connected(*a); }));

    cluster->Freeze();
    struct ThawAtEnd {
        ~ThawAtEnd() { cluster->Thaw(); }
    } thaw;
    a->dm->MarkTitlePlayed(static_cast<int>(id));
    // Bounds that only turn a hang into a failure: the answer time is 5 s.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (a->replica->Status().link != LibraryLink::Offline && std::chrono::steady_clock::now() < until) {
        a->seams.studio.RunPending();
        a->replica->WaitForArrivals(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(a->replica->Status().link, LibraryLink::Offline);
    EXPECT_TRUE(a->Told("no answer within 5 s"));
    // The reason stays at hand for the status bar's tool tip.
    EXPECT_NE(a->replica->LastReason().find("no answer within 5 s"), std::string::npos)
        << a->replica->LastReason();
    const bool closed = testing::FinishesWithin(std::chrono::seconds(2), [a] { a->replica.reset(); });
    EXPECT_TRUE(closed) << "closing waits on the frozen server";
    if (closed)
        delete a;
}

// A server named by its host name (not an address) is looked up before
// libpq connects, and the connection works as with the address.
TEST_F(SharedLibrary, AServerNamedByItsHostNameIsReached) {
    std::string named = server;
    named.replace(named.find("host=127.0.0.1"), 14, "host=localhost");
    PgConnection db(named);
    EXPECT_EQ(std::string(db.Exec("SELECT 7").Text(0, 0)), "7");
}

} // namespace
} // namespace corvane
