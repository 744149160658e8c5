#include "playout/PlayoutFixture.h"
#include "playout/PlayoutKeys.h"
#include "rack/CartRack.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace corvane::testing {
namespace {

constexpr double MusicHz = 440;
constexpr double CartHz = 1000;

// The rack on the console's playout engine in the virtual studio; the rack
// list and the console's own LoadRack steps are recorded.
class AudioRackTest : public PlayoutFixture, private RackConsole {
protected:
    void SetUp() override {
        PlayoutFixture::SetUp();
        rack = std::make_unique<CartRack>(data, *console, static_cast<RackConsole&>(*this));
    }
    void EnableRackButtons(bool up, bool down) override { buttons = {up, down}; }
    void SetRackCaption(const std::string& caption) override { captions.push_back(caption); }
    void UseRack(const std::string& path) override {
        currentRack = path;
        rack->LoadRack(path);
    }
    std::string CurrentRackFile() const override { return currentRack; }

    // A rack file of these audio files, saved as the rack manager does.
    std::string RackFile(const std::string& name, const std::vector<std::string>& files) {
        Table& list = data.cdsFileList;
        list.CreateDataSet();
        for (const std::string& file : files) {
            list.Append();
            list.FieldByName("LocalPathToFile").SetAsString(file);
            list.Post();
        }
        const std::string path = (folder / name).string();
        list.SaveToFile(path);
        list.Close();
        return path;
    }
    std::vector<std::string> Shown() {
        std::vector<std::string> shown(CartRack::Carts);
        Table& display = data.cdsAudioRackDisplay;
        EXPECT_EQ(display.RecordCount(), CartRack::DisplayRows);
        for (display.First(); !display.Eof(); display.Next()) {
            shown[static_cast<size_t>(display.FieldByName("Num1").AsInteger())] =
                display.FieldByName("Desc1").AsString();
            shown[static_cast<size_t>(display.FieldByName("Num2").AsInteger())] =
                display.FieldByName("Desc2").AsString();
        }
        return shown;
    }
    void AddRackListRow(const std::string& file, const std::string& description) {
        Table& list = data.cdsRackList;
        list.Tag = TdmQelData::RackListFileSupplied;
        list.Append();
        list.FieldByName("FileList").SetAsString(file);
        list.FieldByName("Description").SetAsString(description);
        list.Post();
        list.Tag = 0;
    }
    // The first moment from `fromMs` at which the cart's tone is heard (ms), or -1.
    int64_t CartHeardFrom(int64_t fromMs, int64_t toMs) {
        for (int64_t t = fromMs; t < toMs; t += 2)
            if (ToneLevel(Heard(), {t, t + 10}, CartHz) > 0.15)
                return t;
        return -1;
    }

    std::unique_ptr<CartRack> rack;
    std::pair<bool, bool> buttons{false, false};
    std::vector<std::string> captions;
    std::string currentRack;
};

TEST_F(AudioRackTest, ACartOverThePlayingItemIsMixedInAndItsEndDoesNotAdvance) {
    const int music = AddRow(Tone("music.wav", 8, MusicHz, 0.3));
    AddRow(Tone("next.wav", 4, 660, 0.3));
    const std::string cart = Tone("cart.wav", 1, CartHz, 0.4);
    Cursor(music);
    console->StartItem();
    Run(1000);
    ASSERT_TRUE(console->OnAir());
    const int64_t fired = seams.studio.NowMs();
    rack->PlayCart(cart);
    EXPECT_FALSE(console->DirectJinglePlayout());
    Run(4000);
    const int64_t heard = CartHeardFrom(fired, fired + 3000);
    ASSERT_GE(heard, fired);
    EXPECT_GT(Tone(heard + 100, heard + 900, CartHz), 0.3);
    EXPECT_GT(Tone(heard + 100, heard + 900, MusicHz), 0.2);
    EXPECT_LT(Tone(heard + 1200, heard + 2000, CartHz), 0.02);
    EXPECT_GT(Tone(heard + 1200, heard + 2000, MusicHz), 0.2);
    EXPECT_EQ(console->CurrentItem(), music);
    EXPECT_TRUE(Gaps(20, fired - 500, heard + 2000).empty());
    const auto& lines = console->Memo1.Lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Broadcasting Live=True"), lines.end());
}

TEST_F(AudioRackTest, ACartOffAirPlaysAloneThenSilenceWithoutAdvancing) {
    const int music = AddRow(Tone("music.wav", 5, MusicHz, 0.3));
    const std::string cart = Tone("cart.wav", 1, CartHz, 0.4);
    Cursor(music);
    rack->PlayCart(cart);
    EXPECT_TRUE(console->DirectJinglePlayout());
    Run(4000);
    const int64_t origin = Heard().OriginMs();
    EXPECT_GT(Tone(origin + 50, origin + 950, CartHz), 0.3);
    EXPECT_LT(Tone(origin + 50, origin + 950, MusicHz), 0.02);
    EXPECT_LT(Level(origin + 1100, origin + 3500), 1e-4);
    EXPECT_FALSE(console->OnAir());
    EXPECT_EQ(console->CurrentItem(), 0);
    EXPECT_TRUE(ArchiveLines().empty());
    // Firing it again while it plays on its own starts it over, still alone.
    rack->PlayCart(cart);
    Run(500);
    EXPECT_GT(Tone(Heard().OriginMs() + 50, Heard().OriginMs() + 450, CartHz), 0.3);
}

// With the output's queue at 8 buffers of 4096 bytes (about 186 ms of
// 44.1 kHz stereo), a cart fired on air sounds within 200 ms of the key.
TEST_F(AudioRackTest, WithEightBuffersACartIsHeardWithin200ms) {
    console->mmAudioOut().SetNumBuffers(8);
    const int music = AddRow(Tone("music.wav", 10, MusicHz, 0.2));
    const std::string cart = Tone("cart.wav", 1, CartHz, 0.4);
    Cursor(music);
    console->StartItem();
    Run(1000);
    // Several moments within a buffer's time, so that every phase of the
    // device's buffer cycle is met.
    int64_t worst = 0;
    for (int shot = 0; shot < 6; ++shot) {
        Run(1500 + 7 * shot);
        const int64_t fired = seams.studio.NowMs();
        rack->PlayCart(cart);
        Run(400);
        const int64_t heard = CartHeardFrom(fired - 20, fired + 400);
        ASSERT_GE(heard, fired - 10) << "shot " << shot;
        worst = std::max(worst, heard - fired);
    }
    EXPECT_LE(worst, 200);
    EXPECT_TRUE(Heard().Underruns().empty());
}

// The rack shows the cart playing, lit with its time left, until its end is
// heard (not when its deck has been read, a queue earlier); a stop puts it out.
TEST_F(AudioRackTest, ThePlayingCartIsShownWithItsTimeLeftUntilItsEndIsHeard) {
    const int music = AddRow(Tone("music.wav", 10, MusicHz, 0.2));
    const std::string cart = Tone("cart.wav", 2, CartHz, 0.4);
    rack->LoadRack(RackFile("carts.rck", {Tone("other.wav", 1, 660), cart}));
    Cursor(music);
    console->StartItem();
    Run(1000);
    EXPECT_EQ(rack->PlayingCart(), std::nullopt);

    const int64_t fired = seams.studio.NowMs();
    rack->PlayCart(cart);
    EXPECT_EQ(rack->PlayingCart(), (CartOnAir{1, 2000})) << "lit at the key, its whole length to come";
    std::vector<std::pair<int64_t, std::optional<CartOnAir>>> seen;
    for (int64_t t = 0; t < 5000; t += 10) {
        Run(10);
        seen.emplace_back(seams.studio.NowMs(), rack->PlayingCart());
    }
    const int64_t heard = CartHeardFrom(fired, fired + 3000);
    ASSERT_GT(heard, fired + 500) << "the default queue delays the cart";
    int64_t lastLit = -1;
    for (const auto& [at, shown] : seen) {
        if (!shown)
            continue;
        lastLit = at;
        EXPECT_EQ(shown->cart, 1);
        // What is left to hear: all of it before its sound arrives.
        EXPECT_NEAR(shown->remainingMs, std::min<int64_t>(2000, heard + 2000 - at), 40) << "at " << at;
    }
    EXPECT_NEAR(lastLit, heard + 2000, 40) << "lit until its end is heard";
    EXPECT_EQ(rack->PlayingCart(), std::nullopt);

    // Fired again, then the console stops: the cart is out at once.
    rack->PlayCart(cart);
    Run(300);
    ASSERT_TRUE(rack->PlayingCart());
    console->StopBroadcast();
    EXPECT_EQ(rack->PlayingCart(), std::nullopt);
    // A file that is not on the rack lights no cart.
    rack->PlayCart(Tone("elsewhere.wav", 2, 660));
    EXPECT_EQ(rack->PlayingCart(), std::nullopt);
}

TEST_F(AudioRackTest, LoadRackTakesRackFilesInAnyCaseAndLeavesOtherFilesAlone) {
    const std::string a = Tone("a.wav", 0.2, CartHz), b = Tone("b.wav", 0.2, CartHz),
                      c = Tone("c.wav", 0.2, CartHz);
    const std::string rackFile = RackFile("JINGLES.Rck", {a, b, c});
    rack->LoadRack(rackFile);
    EXPECT_EQ(rack->RackFiles(), (std::vector<std::string>{a, b, c}));
    EXPECT_EQ(Shown(), (std::vector<std::string>{"a.wav", "b.wav", "c.wav", "", "", "", "", "", "", ""}));
    EXPECT_FALSE(data.cdsFileList.Active());
    WriteText(folder / "jingles.txt", "a.wav\n");
    for (const std::string& other : {(folder / "jingles.txt").string(), (folder / "gone.rck").string()}) {
        rack->LoadRack(other);
        EXPECT_EQ(rack->RackFiles().size(), 3u) << other;
    }
    // Keys are zero-based; beyond the rack's length nothing fires.
    EXPECT_EQ(HotKeyCart('1', rack->RackFiles()), b);
    EXPECT_FALSE(HotKeyCart('5', rack->RackFiles()));
}

TEST_F(AudioRackTest, TwelveEntriesShowTheFirstTenAndOnlyThoseFire) {
    std::vector<std::string> files;
    for (int i = 0; i < 12; ++i)
        files.push_back(Tone("cart" + std::to_string(i) + ".wav", 0.1, CartHz));
    rack->LoadRack(RackFile("twelve.rck", files));
    ASSERT_EQ(rack->RackFiles().size(), 12u);
    const std::vector<std::string> shown = Shown();
    EXPECT_EQ(shown.front(), "cart0.wav");
    EXPECT_EQ(shown.back(), "cart9.wav");
    for (char key = '0'; key <= '9'; ++key)
        EXPECT_EQ(HotKeyCart(key, rack->RackFiles()), files[static_cast<size_t>(key - '0')]);
}

TEST_F(AudioRackTest, APlayListRackSkipsTitlesNoLongerInTheLibrary) {
    Table& library = data.cdsAudioLibrary;
    std::vector<int64_t> ids;
    for (const char* name : {"one.wav", "two.wav"}) {
        library.Append();
        library.FieldByName("LocalPathToFile").SetAsString(Tone(name, 0.1, CartHz));
        library.Post();
        ids.push_back(library.FieldByName("TitleID").AsInteger());
    }
    // Saved as the play-list manager saves its lists.
    Table& list = data.cdsPlayList;
    list.CreateDataSet();
    for (const int64_t id : {ids[1], int64_t{999}, ids[0]}) {
        list.Append();
        list.FieldByName("TitleID").SetAsInteger(id);
        list.Post();
    }
    const std::string ply = (folder / "hour.PLY").string();
    list.SaveToFile(ply);
    list.EmptyDataSet();
    rack->LoadRack(ply);
    EXPECT_EQ(rack->RackFiles(),
              (std::vector<std::string>{(folder / "two.wav").string(), (folder / "one.wav").string()}));
    EXPECT_EQ(Shown()[1], "one.wav");
}

TEST_F(AudioRackTest, TheRackButtonsStepThroughTheRackList) {
    const std::string cart = Tone("cart.wav", 0.1, CartHz);
    const std::string first = RackFile("first.rck", {cart});
    const std::string second = RackFile("second.rck", {cart, cart});
    const std::string third = RackFile("third.rck", {cart, cart, cart});
    AddRackListRow(first, "Morning");
    AddRackListRow(second, "");
    AddRackListRow(third, "Evening");
    currentRack = second;
    rack->LoadRack(second);
    EXPECT_EQ(buttons, std::make_pair(true, true));
    rack->btnRackDownClick();
    EXPECT_EQ(captions.back(), "Evening");
    EXPECT_EQ(currentRack, third);
    EXPECT_EQ(rack->RackFiles().size(), 3u);
    EXPECT_EQ(buttons, std::make_pair(true, false));
    rack->btnRackDownClick();
    EXPECT_EQ(currentRack, third);
    rack->btnRackUpClick();
    EXPECT_EQ(captions.back(), "Cart Rack - No Description Available");
    rack->btnRackUpClick();
    EXPECT_EQ(currentRack, first);
    EXPECT_EQ(buttons, std::make_pair(false, true));
}

TEST(CartRackKeys, DigitsFireExistingCarts) {
    TempFolder folder;
    WriteText(folder / "cart.wav", "x");
    const std::vector<std::string> rack{"", (folder / "gone.wav").string(), (folder / "cart.wav").string()};
    EXPECT_EQ(HotKeyCart('2', rack), (folder / "cart.wav").string());
    EXPECT_FALSE(HotKeyCart('1', rack)) << "file gone";
    EXPECT_FALSE(HotKeyCart('5', rack)) << "no entry";
    EXPECT_FALSE(HotKeyCart('a', rack));
}

} // namespace
} // namespace corvane::testing
