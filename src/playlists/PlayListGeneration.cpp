#include "playlists/PlayListGeneration.h"

#include "data/TdmQelData.h"
#include "playlists/TableScopes.h"

#include <charconv>
#include <chrono>
#include <random>

namespace corvane {
namespace {

constexpr int FallbackNumberOfSongs = 10;

// A fresh seed from the clock for every generation: two generations a moment
// apart draw differently.
std::mt19937_64 SeededFromClock() {
    const auto wall = std::chrono::system_clock::now().time_since_epoch().count();
    const auto fine = std::chrono::steady_clock::now().time_since_epoch().count();
    std::seed_seq seed{static_cast<uint64_t>(wall), static_cast<uint64_t>(fine),
                       static_cast<uint64_t>(wall) >> 32, static_cast<uint64_t>(fine) >> 32};
    return std::mt19937_64(seed);
}

} // namespace

std::optional<int> NumberOfSongs(const std::optional<std::string>& answer) {
    if (!answer)
        return std::nullopt;
    const std::string& text = *answer;
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return FallbackNumberOfSongs;
    const auto last = text.find_last_not_of(" \t\r\n");
    const char* begin = text.data() + first;
    const char* end = text.data() + last + 1;
    // A leading '+' is a decimal integer too; from_chars does not take it.
    if (*begin == '+' && end - begin > 1 && begin[1] != '-' && begin[1] != '+')
        ++begin;
    int n = 0;
    const auto [stop, error] = std::from_chars(begin, end, n);
    if (error != std::errc() || stop != end)
        return FallbackNumberOfSongs;
    return n;
}

void GeneratePlayList(TdmQelData& data, int count, const std::function<void()>& keepResponsive) {
    Table& library = data.cdsAudioLibrary;
    Table& playList = data.cdsPlayList;
    if (!playList.Active() || count <= 0)
        return;
    std::mt19937_64 random = SeededFromClock();
    ControlsSuspended librarySuspended(library);
    ControlsSuspended playListSuspended(playList);
    RememberedRow libraryRow(library);
    const int titles = library.Active() ? library.RecordCount() : 0;
    std::uniform_int_distribution<int> draw(0, titles > 0 ? titles - 1 : 0);
    for (int i = 0; i < count; ++i) {
        int64_t titleId = 0;
        if (titles > 0) {
            library.First();
            library.MoveBy(draw(random));
            titleId = library.FieldByName("TitleID").AsLargeInt();
        }
        playList.Append();
        try {
            playList.FieldByName("TitleID").SetAsInteger(titleId);
            playList.Post();
        } catch (...) {
            playList.Cancel();
            throw;
        }
        if (keepResponsive)
            keepResponsive();
    }
}

} // namespace corvane
