#include "scheduling/SchedulingLibrary.h"

#include "data/Table.h"
#include "data/Value.h"

#include <charconv>

namespace corvane {
namespace {

bool ReadHour(std::string_view text, int& hour) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), hour);
    return error == std::errc() && end == text.data() + text.size() && hour >= 0 && hour <= 24;
}

std::string Text(Table& table, int field) {
    return field < 0 ? std::string() : table.FieldAt(field).AsString();
}

} // namespace

void ReadSchedulerCodes(std::string_view text, SchedulingTitle& title) {
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = std::min(text.find_first_of(" \t,", start), text.size());
        const std::string_view word = text.substr(start, end - start);
        start = end + 1;
        if (word.empty())
            continue;
        const size_t equals = word.find('=');
        const size_t dash = word.find('-', equals == std::string_view::npos ? 0 : equals);
        int first = 0, last = 0;
        if (equals != std::string_view::npos && SameTextIgnoringCase(word.substr(0, equals), "Hours") &&
            dash != std::string_view::npos && ReadHour(word.substr(equals + 1, dash - equals - 1), first) &&
            ReadHour(word.substr(dash + 1), last) && first < last) {
            title.firstHour = first;
            title.endHour = last;
            continue;
        }
        title.codes.emplace_back(word);
    }
}

std::vector<SchedulingTitle> SchedulingTitlesOf(Table& table, TDateTime dayZero) {
    const int id = table.FieldIndex("TitleID");
    const int name = table.FieldIndex("TitleName");
    const int artist = table.FieldIndex("TitleArtistName");
    const int album = table.FieldIndex("TitleAlbum");
    const int category = table.FieldIndex("Category");
    const int tempo = table.FieldIndex("Tempo");
    const int rating = table.FieldIndex("Rating");
    const int codes = table.FieldIndex("SchedulerCodes");
    const int duration = table.FieldIndex("TitleDuration");
    const int lastPlayed = table.FieldIndex("LastPlayed");
    std::vector<SchedulingTitle> titles;
    titles.reserve(static_cast<size_t>(table.StoredRowCount()));
    for (table.First(); !table.Eof(); table.Next()) {
        SchedulingTitle title;
        title.titleId = id < 0 ? 0 : table.FieldAt(id).AsLargeInt();
        title.name = Text(table, name);
        title.artist = Text(table, artist);
        title.album = Text(table, album);
        title.category = Text(table, category);
        title.tempo = Text(table, tempo);
        title.rating = rating < 0 ? 0 : table.FieldAt(rating).AsInteger();
        ReadSchedulerCodes(Text(table, codes), title);
        // Durations are kept as fractions of a day.
        title.lengthSeconds = duration < 0 ? 0 : table.FieldAt(duration).AsFloat() * SecondsPerDay;
        if (lastPlayed >= 0 && !table.FieldAt(lastPlayed).IsNull()) {
            title.played = true;
            title.lastPlayed = (table.FieldAt(lastPlayed).AsDateTime() - dayZero) * SecondsPerDay;
        }
        titles.push_back(std::move(title));
    }
    return titles;
}

} // namespace corvane
