#include "PlayoutFixture.h"
#include "playout/HeardItemDisplay.h"

namespace corvane::testing {
namespace {

// What the displays were told, in order.
struct ShownLog {
    std::vector<std::string> items;
    int remaining = -1;
    int gauge = -1;
    HeardItemDisplay::View View() {
        return {[this](const HeardItemDisplay::Item& item) { items.push_back(item.file); },
                [this](int ms) { remaining = ms; }, [this](int percent) { gauge = percent; }};
    }
};

TEST(HeardItemDisplay, ChangesOnAirAreShownWhenTheyAreHeard) {
    ShownLog log;
    HeardItemDisplay display(log.View());
    // A tick gives how far the output has been heard and where the deck on
    // air is, ahead of that by the output's queue.
    // From a stopped output the item shows at once, full length until heard.
    display.ItemStarted({"", "a", 60000}, 0, 0);
    display.Tick(0, 1500);
    EXPECT_EQ(log.items, std::vector<std::string>{"a"});
    EXPECT_EQ(log.remaining, 60000);
    display.Tick(30000, 31500);
    EXPECT_EQ(log.remaining, 30000);
    EXPECT_EQ(log.gauge, 50);

    // A cross-fade 5 s before a's end: b comes on air when 56.5 s are written
    // and 55 s heard, so a goes on counting down until b is heard.
    display.ItemStarted({"", "b", 20000}, 0, 56500);
    display.Tick(56000, 1000);
    EXPECT_EQ(log.items.size(), 1u);
    EXPECT_EQ(log.remaining, 4000);
    display.Tick(56500, 1500);
    EXPECT_EQ(log.items.back(), "b");
    EXPECT_EQ(log.remaining, 20000);

    // A one-second jingle and the next song both come on air within one
    // queue: each is shown in its turn.
    display.ItemStarted({"", "jingle", 1000}, 0, 76500);
    display.ItemStarted({"", "song", 9000}, 0, 77500);
    display.Tick(76400, 400);
    EXPECT_EQ(log.remaining, 100);
    display.Tick(77000, 1000);
    EXPECT_EQ(log.items.back(), "jingle");
    EXPECT_EQ(log.remaining, 500);
    display.Tick(77600, 1600);
    EXPECT_EQ(log.items.back(), "song");
    EXPECT_EQ(log.remaining, 8900);

    // The transport moves the song to 6 s: heard after the queue before it.
    display.Repositioned(6000, 79000);
    display.Tick(78900, 6000);
    EXPECT_EQ(log.remaining, 7600);
    display.Tick(79500, 7000);
    EXPECT_EQ(log.remaining, 2500);
    EXPECT_EQ(log.items.size(), 4u) << "a move shows no new item";

    // A commercial break fades the song out at 8 s: its countdown stops
    // there while the break plays on.
    display.Tick(81000, 8000);
    display.Tick(90000, 8000);
    EXPECT_EQ(log.remaining, 1000);

    // After a stop the next item shows at once.
    display.Clear();
    display.ItemStarted({"", "e", 9000}, 0, 0);
    EXPECT_EQ(log.items.back(), "e");
}

class HeardOnAir : public PlayoutFixture {
protected:
    struct Shown {
        int64_t atMs;
        std::string file;
    };
    std::vector<Shown> shown;
    std::vector<std::pair<int64_t, int>> remaining;
    // When the status text and the grid's lit on-air row changed (0: none lit).
    std::vector<Shown> statusShown;
    std::vector<std::pair<int64_t, int>> rowsLit;

    void ShowItemInfo(const std::string&, const std::string& file, int) override {
        shown.push_back({seams.studio.NowMs(), file});
    }
    void SetStatusText(int panel, const std::string& text) override {
        if (panel == 0 && (statusShown.empty() || statusShown.back().file != text))
            statusShown.push_back({seams.studio.NowMs(), text});
    }
    // The grid lights the rows playout names when it asks for a repaint.
    void RepaintGrid() override {
        const int lit = console->HeardItem();
        if (lit != 0 && (rowsLit.empty() || rowsLit.back().second != lit))
            rowsLit.emplace_back(seams.studio.NowMs(), lit);
    }
    void ShowRemaining(int ms) override { remaining.emplace_back(seams.studio.NowMs(), ms); }
};

TEST_F(HeardOnAir, TheCountdownEndsWhenTheItemFallsSilentAndTheNextIsShownAsItIsHeard) {
    const int first = AddRow(Tone("first.wav", 4, 1000));
    const int second = AddRow(Tone("second.wav", 4, 2000));
    Cursor(first);
    console->StartItem();
    Run(2000);
    // The output keeps enough queued for the difference to matter.
    ASSERT_GT(console->mmAudioOut().HeldMs(), 500);
    Run(7000);

    // The two items are heard back to back from the stream's start.
    const int64_t origin = Heard().OriginMs();
    const int64_t secondHeard = origin + 4000;
    ASSERT_GT(Tone(secondHeard - 300, secondHeard - 50, 1000), 0.4);
    ASSERT_GT(Tone(secondHeard + 50, secondHeard + 300, 2000), 0.4);

    ASSERT_EQ(shown.size(), 2u);
    EXPECT_NE(shown[1].file.find("second.wav"), std::string::npos);
    EXPECT_GE(shown[1].atMs, secondHeard);
    EXPECT_LE(shown[1].atMs, secondHeard + 60);
    // While the first item is shown its digits count what is left to hear.
    for (const auto& [at, ms] : remaining) {
        if (at < origin + 100 || at >= shown[1].atMs)
            continue;
        EXPECT_NEAR(ms, secondHeard - at, 60) << "at " << at - origin << " ms";
    }

    // The status text and the grid's on-air row change at the same moment.
    ASSERT_GE(statusShown.size(), 2u);
    EXPECT_EQ(statusShown[0].file, "Playing: first.wav");
    EXPECT_EQ(statusShown[1].file, "Playing: second.wav");
    EXPECT_EQ(statusShown[1].atMs, shown[1].atMs);
    const std::vector<std::pair<int64_t, int>> rowsExpected{{origin, first}, {shown[1].atMs, second}};
    ASSERT_GE(rowsLit.size(), 2u);
    EXPECT_EQ(std::vector(rowsLit.begin(), rowsLit.begin() + 2), rowsExpected);
}

// Where a lost device's playout goes on: the place heard on the output's
// time line, even when items started since are still queued.
TEST(HeardItemDisplay, ThePlaceHeardFollowsTheTimeLineAcrossQueuedItems) {
    ShownLog log;
    HeardItemDisplay display(log.View());
    EXPECT_FALSE(display.PlaceAt(0));
    display.ItemStarted({"", "a", 3000, 1}, 0, 0);
    display.ItemStarted({"", "b", 9000, 2}, 0, 3000);
    display.Tick(1000, 2500);
    display.Repositioned(6000, 4000); // b moved by the transport, 1 s into it
    struct Case {
        int64_t heardMs;
        int item;
        int positionMs;
    };
    for (const Case& c : {Case{1000, 1, 1000}, Case{2921, 1, 2921}, Case{3000, 2, 0}, Case{3500, 2, 500},
                          Case{4200, 2, 6200}, Case{20000, 2, 9000}}) {
        SCOPED_TRACE(c.heardMs);
        const auto place = display.PlaceAt(c.heardMs);
        ASSERT_TRUE(place);
        EXPECT_EQ(place->item, c.item);
        EXPECT_EQ(place->positionMs, c.positionMs);
    }
    // Asking changes nothing shown.
    EXPECT_EQ(log.items, std::vector<std::string>{"a"});
    display.Clear();
    EXPECT_FALSE(display.PlaceAt(1000));
}

} // namespace
} // namespace corvane::testing
