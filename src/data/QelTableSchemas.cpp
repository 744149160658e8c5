#include "data/QelTableSchemas.h"

#include <algorithm>

namespace corvane {
namespace {

constexpr int Absent = 0;

// One field of the title row with its 1-based position in the library and in
// the schedule (Absent where the table has no such field).
struct TitleField {
    const char* name;
    FieldType type;
    int size;
    int libraryPosition;
    int schedulePosition;
};

constexpr TitleField TitleFields[] = {
    {"ItemPlayOrder", FieldType::AutoInc, 0, Absent, 1},
    {"ObjectID", FieldType::Integer, 0, 1, 2},
    {"TitleID", FieldType::Integer, 0, 2, 3},
    {"TitleName", FieldType::String, 50, 3, 4},
    {"TitleDescription", FieldType::Memo, 0, 4, 5},
    {"TitleComposer", FieldType::String, 100, 5, 6},
    {"TitleArtistName", FieldType::String, 80, 6, 7},
    {"TitleDiscID", FieldType::String, 30, 7, 8},
    {"TitleAlbum", FieldType::String, 80, 8, 19},
    {"TitleGenre", FieldType::String, 100, 9, 16},
    {"TitleTrackNo", FieldType::String, 10, 10, 15},
    {"TitleReleaseYear", FieldType::Integer, 0, 11, 9},
    {"TitlePublisher", FieldType::String, 80, 12, 17},
    {"TitleLabel", FieldType::String, 100, 13, 18},
    {"TitleHighestChartPosition", FieldType::Integer, 0, 14, 10},
    {"TitleChartYear", FieldType::Integer, 0, 15, 11},
    {"TitleIntroDuration", FieldType::DateTime, 0, 16, 12},
    {"TitleOutroDuration", FieldType::DateTime, 0, 17, 13},
    {"TitleDuration", FieldType::DateTime, 0, 18, 14},
    {"NetworkPathToFile", FieldType::String, 256, 19, 20},
    {"LocalPathToFile", FieldType::String, 256, 20, 21},
    {"Category", FieldType::String, 50, 21, 22},
    {"Tempo", FieldType::String, 20, 22, 23},
    {"LastPlayed", FieldType::DateTime, 0, 23, 24},
    {"TimesPlayed", FieldType::Integer, 0, 24, 25},
    {"Rating", FieldType::Integer, 0, 25, 26},
    {"Notes", FieldType::Memo, 0, 26, 27},
    {"Status", FieldType::String, 50, 27, 28},
    {"UploadDate", FieldType::DateTime, 0, 28, 29},
    {"UploadUser", FieldType::String, 50, 29, 30},
    {"PathToLocalFile", FieldType::String, 256, Absent, 31},
    {"ScheduleStart", FieldType::DateTime, 0, Absent, 32},
    {"ScheduleFinish", FieldType::DateTime, 0, Absent, 33},
    {"ScheduleDuration", FieldType::Integer, 0, Absent, 34},
    {"Interpret", FieldType::String, 80, 30, 35},
    {"OutroType", FieldType::String, 10, 31, 36},
    {"ObjectType", FieldType::String, 20, Absent, 37},
    {"Reserved1", FieldType::String, 100, 32, 38},
    {"Reserved2", FieldType::String, 100, 33, 39},
    {"Reserved3", FieldType::String, 100, 34, 40},
    {"Reserved4", FieldType::String, 100, 35, 41},
    {"Reserved5", FieldType::String, 100, 36, 42},
    {"ItemPlayOrderAbsolute", FieldType::Float, 0, Absent, 43},
    {"TitleDurationInteger", FieldType::Integer, 0, Absent, 44},
    // Added last, so that a library file or server written before it still
    // loads (rows are fitted to the fields by name) and the schedule's layout
    // stays as the console's files have it.
    {"SchedulerCodes", FieldType::String, 100, 37, Absent},
};

enum class TitleTable { Library, Schedule };

FieldDefs TitleRowFields(TitleTable table) {
    std::vector<std::pair<int, FieldDef>> placed;
    for (const TitleField& f : TitleFields) {
        const int position = table == TitleTable::Library ? f.libraryPosition : f.schedulePosition;
        if (position == Absent)
            continue;
        FieldDef def = MakeField(f.name, f.type, f.size);
        if (def.name.rfind("Reserved", 0) == 0)
            def.Hide();
        if (def.name == "TitleDuration")
            def.Format(table == TitleTable::Library ? "hh:mm:ss" : "nn:ss");
        if (def.name == "ScheduleStart" || def.name == "ScheduleFinish")
            def.Format("hh:nn:ss");
        placed.emplace_back(position, std::move(def));
    }
    std::sort(placed.begin(), placed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    FieldDefs defs;
    for (auto& [position, def] : placed)
        defs.push_back(std::move(def));
    return defs;
}

enum class CampaignDetails { AfterAudioNumber, BeforeAudioNumber };

FieldDefs AdListFieldsInOrder(CampaignDetails place) {
    FieldDefs defs{MakeField("UniqueID", FieldType::AutoInc),
                   MakeField("BOOK_NO", FieldType::Integer).Label("Book #"),
                   MakeField("BOOK_TIME", FieldType::String, 5).Label("Break Time"),
                   MakeField("CART", FieldType::Float).Label("Cart #")};
    FieldDef audio = MakeField("AUDIO_NO", FieldType::Integer).Label("Vantor Audio ID");
    FieldDef campaign = MakeField("Campaign_Details", FieldType::String, 255);
    if (place == CampaignDetails::BeforeAudioNumber) {
        defs.push_back(std::move(campaign));
        defs.push_back(std::move(audio));
    } else {
        defs.push_back(std::move(audio));
        defs.push_back(std::move(campaign));
    }
    defs.push_back(MakeField("CUST_NO", FieldType::Integer).Label("Customer #"));
    defs.push_back(MakeField("NAME", FieldType::String, 50).Label("Customer"));
    defs.push_back(MakeField("DURATION", FieldType::Integer).Label("Duration"));
    defs.push_back(MakeField("NetworkPathToFile", FieldType::String, 255));
    defs.push_back(MakeField("ImageIndex", FieldType::String, 20).Calculated());
    return defs;
}

FieldDefs TitleListFields(Table& library) {
    return {
        MakeField("TitleID", FieldType::Integer).Hide(), MakeField("PlayOrder", FieldType::Integer),
        MakeField("ObjectID", FieldType::Integer).Hide(),
        MakeField("TitleName", FieldType::String, 50).LookupFrom("TitleID", library, "TitleID", "TitleName")};
}

// The recently used files of one kind.
FieldDefs FileHistoryFields(const char* fileField) {
    return {MakeField(fileField, FieldType::String, 255), MakeField("DateCreated", FieldType::DateTime),
            MakeField("ID", FieldType::AutoInc)};
}

} // namespace

FieldDefs AudioLibraryFields() {
    return TitleRowFields(TitleTable::Library);
}
FieldDefs ScheduleFields() {
    return TitleRowFields(TitleTable::Schedule);
}

FieldDefs ClipScheduleFields() {
    FieldDefs defs = ScheduleFields();
    defs.erase(
        std::remove_if(defs.begin(), defs.end(), [](const FieldDef& d) { return d.name == "ItemPlayOrder"; }),
        defs.end());
    return defs;
}

FieldDefs FileScanFields() {
    return {MakeField("PathToFile", FieldType::String, 256)};
}

FieldDefs PlayListFields(Table& library) {
    FieldDefs defs = TitleListFields(library);
    defs.push_back(MakeField("LocalPathToFile", FieldType::String, 255)
                       .LookupFrom("TitleID", library, "TitleID", "LocalPathToFile"));
    defs.push_back(MakeField("lkDuration", FieldType::DateTime)
                       .LookupFrom("TitleID", library, "TitleID", "TitleDuration"));
    return defs;
}

FieldDefs AudioRackFields(Table& library) {
    return TitleListFields(library);
}

FieldDefs PlayListHistoryFields() {
    return FileHistoryFields("PlayListFile");
}
FieldDefs CommercialHistoryFields() {
    return FileHistoryFields("CommercialFile");
}

FieldDefs AdTimesFields() {
    return {MakeField("BreakTime", FieldType::String, 5), MakeField("BreakDuration", FieldType::Integer),
            MakeField("ID", FieldType::AutoInc).Hide()};
}

FieldDefs EventLogFields() {
    return {
        MakeField("EventID", FieldType::AutoInc),        MakeField("EventStart", FieldType::DateTime),
        MakeField("EventStatus", FieldType::String, 20), MakeField("EventDescription", FieldType::String, 80),
        MakeField("EventType", FieldType::String, 50),   MakeField("EventFileName", FieldType::String, 255),
        MakeField("EventParams", FieldType::String, 255)};
}

FieldDefs VantorAdListFields() {
    return AdListFieldsInOrder(CampaignDetails::AfterAudioNumber);
}
FieldDefs AdListFields() {
    return AdListFieldsInOrder(CampaignDetails::BeforeAudioNumber);
}

FieldDefs RackListFields() {
    return {MakeField("FileList", FieldType::String, 100),
            MakeField("Description", FieldType::String, 100).Hide(),
            MakeField("DateCreated", FieldType::DateTime).Hide()};
}

FieldDefs FileListFields() {
    return {MakeField("LocalPathToFile", FieldType::String, 255),
            MakeField("Description", FieldType::String, 100)};
}

FieldDefs AudioRackDisplayFields() {
    return {MakeField("Num1", FieldType::Integer), MakeField("Desc1", FieldType::String, 100),
            MakeField("Num2", FieldType::Integer), MakeField("Desc2", FieldType::String, 100)};
}

} // namespace corvane
