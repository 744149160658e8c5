// The station's as-run log: what playout, the breaks and the rack put on the
// air, recorded as it is heard (src/asrun). Main thread.

#include "asrun/AsRunJournal.h"
#include "station/Station.h"

#include <cmath>

namespace corvane {
namespace {

std::string ValueText(const Value& value) {
    if (const auto* text = std::get_if<std::string>(&value))
        return *text;
    if (const auto* number = std::get_if<int64_t>(&value))
        return *number == 0 ? std::string() : std::to_string(*number);
    return {};
}

// The title's identity from the row of `table` whose `key` is `keyValue`.
AsRunTitle TitleOf(Table& table, const char* key, const Value& keyValue) {
    AsRunTitle title;
    if (!table.Active())
        return title;
    const auto text = [&](const char* field) { return ValueText(table.Lookup(key, keyValue, field)); };
    title.titleId = text("TitleID");
    title.title = text("TitleName");
    title.artist = text("TitleArtistName");
    title.album = text("TitleAlbum");
    title.composer = text("TitleComposer");
    title.label = text("TitleLabel");
    title.year = text("TitleReleaseYear");
    title.category = text("Category");
    return title;
}

} // namespace

void Station::StartAsRunLog() {
    if (mode_ != StationMode::Console)
        return;
    asRunJournal_ = std::make_unique<AsRunJournal>(
        core_.ProgramFolder() / AsRunFolderName, seams_.dispatcher,
        [this, alive = std::weak_ptr<bool>(asRunAlive_)](const std::string& message) {
            if (alive.lock())
                AddMessage(message);
        });
    asRun_ = std::make_unique<AsRunRecorder>(*asRunJournal_, seams_.clock);
}

void Station::RecordHeardItem(const std::string& file, int lengthMs) {
    if (!asRun_)
        return;
    const int item = playout_.HeardItem();
    AsRunRecord record;
    record.source = AsRunSource::Schedule;
    record.playOrder = item;
    Table& schedule = data_.cdsSchedule;
    record.title = TitleOf(schedule, "ItemPlayOrder", Value(int64_t{item}));
    if (schedule.Active()) {
        const Value planned = schedule.Lookup("ItemPlayOrder", Value(int64_t{item}), "ScheduleStart");
        if (const auto* at = std::get_if<double>(&planned); at && *at != 0)
            // A time of day alone is today's.
            record.scheduledStart = *at < 1 ? std::floor(seams_.clock.Now()) + *at : *at;
    }
    record.title.file = file;
    record.title.durationMs = lengthMs;
    asRun_->Begin(AsRunChannel::Schedule, std::move(record), playout_.HeardItemSinceMs());
    asRun_->Heard(playout_.HeardMs());
}

AsRunRecord Station::PortRecord(const std::string& path, int lengthMs, AsRunSource source) {
    AsRunRecord record;
    record.source = source;
    record.title = TitleOf(data_.cdsAudioLibrary, "LocalPathToFile", Value(path));
    if (record.title.title.empty())
        record.title.title = std::filesystem::path(path).stem().string();
    record.title.file = path;
    record.title.durationMs = lengthMs;
    if (source == AsRunSource::Cart)
        record.sourceDetail = core_.CurrentRackFile();
    return record;
}

void Station::ItemLeaving(ItemExit exit) {
    if (asRun_)
        asRun_->Leaving(AsRunChannel::Schedule,
                        exit == ItemExit::Skipped ? EndedBy::Skipped : EndedBy::Faded);
}

void Station::ItemFailed(const std::string& path, const std::string& reason) {
    if (!asRun_)
        return;
    // The failed row is the one under the schedule's cursor.
    Table& schedule = data_.cdsSchedule;
    AsRunRecord record;
    record.source = AsRunSource::Schedule;
    if (schedule.Active() && !schedule.Eof()) {
        record.playOrder = static_cast<int>(schedule.FieldByName("ItemPlayOrder").AsInteger());
        record.title = TitleOf(schedule, "ItemPlayOrder", Value(int64_t{record.playOrder}));
    }
    record.title.file = path;
    record.actualStart = seams_.clock.Now();
    record.actualEnd = record.actualStart;
    record.endedBy = EndedBy::Failed;
    record.reason = reason;
    asRun_->WriteWhole(std::move(record));
}

} // namespace corvane
