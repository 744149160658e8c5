#include "broadcast/AnnouncementRule.h"
#include "broadcast/NowPlayingAnnouncer.h"
#include "broadcast/NowPlayingText.h"
#include "broadcast/UdpLineSender.h"
#include "broadcast/UdpListener.h"
#include "support/FakeTcpServer.h"
#include "support/GatedNameServer.h"
#include "support/TempFolder.h"

#include <arpa/inet.h>
#include <atomic>
#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>
#include <netinet/in.h>
#include <vector>

namespace corvane::testing {
namespace {

NowPlayingItem Song() {
    NowPlayingItem item;
    item.title = "Blue Monday";
    item.artist = "New Order";
    item.album = "Power, Corruption & Lies";
    item.category = "Pop";
    item.file = "/music/blue monday.mp3";
    item.durationMs = 448'000;
    item.nextTitle = "Heroes";
    item.nextArtist = "David Bowie";
    item.startTime = "09:41:07";
    return item;
}

TEST(NowPlayingText, TemplatesFillEveryPlaceholderAndHandleMissingTagsAndUnsafeCharacters) {
    NowPlayingItem noArtist = Song();
    noArtist.artist.clear();
    NowPlayingItem noTitle = Song();
    noTitle.title = "  ";
    NowPlayingItem unsafe = Song();
    unsafe.title = "Line\r\nBreak\tTab";
    unsafe.artist = "Caf\xE9 \xC3\xA9t\xC3\xA9"; // a Latin-1 byte, then valid UTF-8
    NowPlayingItem noNext = Song();
    noNext.nextTitle.clear();
    noNext.nextArtist.clear();
    noNext.durationMs = 0;
    const struct {
        const char* name;
        const char* textTemplate;
        NowPlayingItem item;
        const char* expected;
    } cases[] = {
        {"every placeholder",
         "%title%|%artist%|%album%|%duration%|%category%|%nexttitle%|%nextartist%|%start%", Song(),
         "Blue Monday|New Order|Power, Corruption & Lies|7:28|Pop|Heroes|David Bowie|09:41:07"},
        {"line breaks of the template", "%artist%\\n%title%", Song(), "New Order\nBlue Monday"},
        {"percent sign and unknown names", "100%% %mood% %title%", Song(), "100% %mood% Blue Monday"},
        {"an unclosed percent", "%title% 50%", Song(), "Blue Monday 50%"},
        {"optional part kept", "{%artist% - }%title%", Song(), "New Order - Blue Monday"},
        {"optional part dropped without its tag", "{%artist% - }%title%", noArtist, "Blue Monday"},
        {"missing title is the file's name", "%title%", noTitle, "blue monday"},
        {"no next item, no duration", "%title%{ (%duration%)}{ next: %nexttitle%}", noNext, "Blue Monday"},
        {"tags never break a line or the encoding", "%artist%: %title%", unsafe,
         "Caf? \xC3\xA9t\xC3\xA9: Line  Break Tab"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RenderNowPlaying(c.textTemplate, c.item), c.expected) << c.name;
}

// What is not UTF-8 never reaches a listener's line, however it is spelt:
// each byte of it becomes '?'; the C1 controls become blanks like the others.
TEST(NowPlayingText, ByteSequencesThatAreNotCharactersNeverPassThrough) {
    const struct {
        const char* what;
        std::string bytes;
        std::string shown;
    } cases[] = {
        {"a surrogate", "\xED\xA0\x80", "???"},
        {"a surrogate pair, spelt as UTF-8 never may be", "\xED\xA0\xBD\xED\xB8\x80", "??????"},
        {"an overlong slash (2 bytes)", "\xC0\xAF", "??"},
        {"an overlong slash (3 bytes)", "\xE0\x80\xAF", "???"},
        {"an overlong slash (4 bytes)", "\xF0\x80\x80\xAF", "????"},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", "????"},
        {"a lead byte beyond any", "\xF8\x88\x80\x80\x80", "?????"},
        {"a cut sequence", "\xE2\x82", "??"},
        {"a C1 control (CSI)", "\xC2\x9B", ""},
        {"the largest character", "\xF4\x8F\xBF\xBF", "\xF4\x8F\xBF\xBF"},
        {"the last before the surrogates", "\xED\x9F\xBF", "\xED\x9F\xBF"},
        {"a euro sign", "\xE2\x82\xAC", "\xE2\x82\xAC"},
    };
    for (const auto& c : cases) {
        NowPlayingItem item = Song();
        item.title = "a" + c.bytes + "b";
        const std::string expected = "a" + (c.shown.empty() ? std::string(" ") : c.shown) + "b";
        EXPECT_EQ(OneLine(RenderNowPlaying("%title%", item)), expected) << c.what;
        EXPECT_EQ(OneLine("a" + c.bytes + "b"), expected) << c.what << " (in the template)";
    }
}

TEST(NowPlayingText, OneLineJoinsLinesAndDropsEmptyOnes) {
    EXPECT_EQ(OneLine("New Order\nBlue Monday\n"), "New Order - Blue Monday");
    EXPECT_EQ(OneLine("\n  \n"), "");
}

TEST(AnnouncementRule, SilentCategoriesAndTheAnnouncedListDecide) {
    const struct {
        const char* announce;
        const char* silent;
        const char* category;
        bool announced;
    } cases[] = {
        {"", "Commercial;Jingle;Cart", "Pop", true},
        {"", "Commercial;Jingle;Cart", "", true},
        {"", "Commercial;Jingle;Cart", " commercial ", false},
        {"", "Commercial; Jingle ;Cart", "JINGLE", false},
        {"Pop;Rock", "", "rock", true},
        {"Pop;Rock", "", "Jazz", false},
        {"Pop;Rock", "", "", false},
        {"Pop", "Pop", "Pop", false},
        {"", "Commercial", "Commercials", true},
    };
    for (const auto& c : cases) {
        NowPlayingSettings settings;
        settings.AnnounceCategories = c.announce;
        settings.SilentCategories = c.silent;
        EXPECT_EQ(IsAnnounced(settings, c.category), c.announced)
            << "[" << c.announce << "] [" << c.silent << "] " << c.category;
    }
}

// The file, the UDP line and the title carry the same announcement; a
// commercial and a break carry the station text; a bad target is reported
// once, and the rest goes on.
TEST(NowPlayingAnnouncer, WritesTheFileSendsTheLineAndFollowsTheRule) {
    TempFolder folder;
    UdpListener rds;
    NowPlayingSettings settings;
    settings.File = folder.File("now.txt");
    settings.Template = "%artist%\\n%title%";
    settings.UdpTarget = rds.Target();
    settings.StationText = "Radio Corvane";
    std::vector<std::string> titles, reports;
    NowPlayingAnnouncer announcer(settings, {[&](const std::string& line) { reports.push_back(line); },
                                             [&](const std::string& title) { titles.push_back(title); }});

    announcer.ItemHeard(Song());
    EXPECT_EQ(folder.Read("now.txt"), "New Order\nBlue Monday\n");
    EXPECT_EQ(rds.Receive(), "New Order - Blue Monday\n");

    NowPlayingItem spot = Song();
    spot.category = "Commercial";
    announcer.ItemHeard(spot);
    EXPECT_EQ(folder.Read("now.txt"), "Radio Corvane\n");
    EXPECT_EQ(rds.Receive(), "Radio Corvane\n");
    announcer.ItemHeard(Song());
    announcer.BreakStarted();
    EXPECT_EQ(rds.Receive(), "New Order - Blue Monday\n");
    EXPECT_EQ(rds.Receive(), "Radio Corvane\n");
    EXPECT_EQ(titles, (std::vector<std::string>{"New Order - Blue Monday", "Radio Corvane",
                                                "New Order - Blue Monday", "Radio Corvane"}));

    // Without a station text a commercial leaves the song standing.
    settings.StationText.clear();
    announcer.ItemHeard(Song());
    announcer.ItemHeard(spot);
    EXPECT_EQ(announcer.Announced(), "New Order\nBlue Monday");

    settings.UdpTarget = "no port here";
    settings.File = folder.File("missing/now.txt");
    announcer.ItemHeard(Song());
    announcer.ItemHeard(Song());
    ASSERT_EQ(reports.size(), 2u) << "each failing outlet is reported once";
    EXPECT_NE(reports[0].find("missing/now.txt"), std::string::npos) << reports[0];
    EXPECT_NE(reports[1].find("Bad UDP target"), std::string::npos) << reports[1];
    EXPECT_EQ(titles.back(), "New Order - Blue Monday") << "the stream still gets its title";
}

// The RDS encoder's name, looked up by a name server that answers only when
// the test lets it: sending the line returns at once (the air and the main
// thread never wait for a lookup), the line goes out when the name is found,
// and the name is kept for the lines after it.
TEST(UdpLineSender, ANameStillBeingLookedUpNeverHoldsTheSenderAndItsLineFollows) {
    struct Setup {
        UdpListener rds;
        // Kept alive by the lookups' threads, which hold it.
        std::shared_ptr<GatedNameServer> server = std::make_shared<GatedNameServer>();
        NameLookup names{server->Resolver()};
        UdpLineSender sender{names};
        std::string error = "not sent";
    };
    // Left behind on purpose if sending hangs: the lookup's thread uses it.
    auto* setup = new Setup;
    const std::string target = "rds.example" + setup->rds.Target().substr(setup->rds.Target().rfind(':'));
    const bool returned = FinishesWithin(std::chrono::milliseconds(1000), [setup, target] {
        setup->error = setup->sender.Send(target, "Song A");
    });
    ASSERT_TRUE(returned) << "sending waits for the name server";
    EXPECT_EQ(setup->error, "");
    setup->server->Release();
    EXPECT_EQ(setup->rds.Receive(), "Song A\n");
    EXPECT_EQ(setup->sender.Send(target, "Song B"), "");
    EXPECT_EQ(setup->rds.Receive(), "Song B\n");
    EXPECT_EQ(setup->server->lookups.load(), 1);
    EXPECT_NE(setup->sender.Send("rds.example:70000", "Song C").find("Bad UDP target"), std::string::npos);
    delete setup;
}

} // namespace
} // namespace corvane::testing
