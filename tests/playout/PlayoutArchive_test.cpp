// The archive log and the play statistics: one "Start Playout Event" and one
// count for every item that goes on air, however it got there.
#include "PlayoutFixture.h"

#include <algorithm>

namespace corvane::testing {
namespace {

class PlayoutArchive : public PlayoutFixture {
protected:
    // The archive lines that start `file` ("… file Start Playout Event").
    size_t Starts(const std::string& file) {
        const std::vector<std::string> lines = ArchiveLines();
        return static_cast<size_t>(std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
            return line.find("/" + file + " Start Playout Event") != std::string::npos;
        }));
    }
    // A library title for a row: its TimesPlayed is what the console counted.
    int Title() {
        Table& library = data.cdsAudioLibrary;
        library.Append();
        library.FieldByName("LocalPathToFile").SetAsString("x");
        library.Post();
        library.Last();
        return library.FieldByName("TitleID").AsInteger();
    }
    int TimesPlayed(int title) {
        EXPECT_TRUE(data.cdsAudioLibrary.Locate("TitleID", int64_t{title}));
        return data.cdsAudioLibrary.FieldByName("TimesPlayed").AsInteger();
    }
};

TEST_F(PlayoutArchive, ACrossFadedItemWritesItsStartLikeAnyOther) {
    settings.AutoCrossFade = true;
    settings.FadeOutDefault = 500;
    const int a = AddRow(Tone("a.wav", 3, 1000));
    AddRow(Tone("b.wav", 3, 2000));
    AddRow(Tone("c.wav", 3, 3000));
    Cursor(a);
    console->StartItem();
    Run(10000);
    EXPECT_EQ(Starts("a.wav"), 1u);
    EXPECT_EQ(Starts("b.wav"), 1u);
    EXPECT_EQ(Starts("c.wav"), 1u);
}

} // namespace
} // namespace corvane::testing
