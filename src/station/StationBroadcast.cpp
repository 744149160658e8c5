#include "data/DateTimeText.h"
#include "station/Station.h"

namespace corvane {
namespace {

// The text of a schedule row's field, "" when the row or the value is missing.
std::string ScheduleText(Table& schedule, int item, const char* field) {
    if (item == 0 || !schedule.Active())
        return {};
    const Value value = schedule.Lookup("ItemPlayOrder", Value(int64_t{item}), field);
    return std::holds_alternative<std::string>(value) ? std::get<std::string>(value) : std::string();
}

} // namespace

void Station::AnnounceHeardItem(const std::string& title, const std::string& file, int lengthMs) {
    Table& schedule = data_.cdsSchedule;
    const int item = playout_.HeardItem();
    const int next = playout_.HeardNextItem();
    NowPlayingItem heard;
    heard.title = title;
    heard.file = file;
    heard.durationMs = lengthMs;
    heard.artist = ScheduleText(schedule, item, "TitleArtistName");
    heard.album = ScheduleText(schedule, item, "TitleAlbum");
    heard.category = ScheduleText(schedule, item, "Category");
    heard.nextTitle = ScheduleText(schedule, next, "TitleName");
    heard.nextArtist = ScheduleText(schedule, next, "TitleArtistName");
    heard.startTime = FormatLocalTime(seams_.clock.Now()).substr(0, 8);
    nowPlaying_.ItemHeard(heard);
}

// A break's spots are never announced; when it ends the item heard is again.
void Station::AnnounceBreak(bool active) {
    if (active == breakAnnounced_)
        return;
    breakAnnounced_ = active;
    if (active) {
        nowPlaying_.BreakStarted();
        return;
    }
    if (const auto& shown = playout_.HeardItemShown())
        AnnounceHeardItem(shown->title, shown->file, shown->lengthMs);
}

void Station::BufferPlayed(const uint8_t* bytes, uint32_t length) {
    if (stream_)
        stream_->Air(bytes, length, playout_.mmAudioOut().GetWaveFormat());
    view_->BufferPlayed(bytes, length);
    WatchForSilence(bytes, length);
    if (asRun_)
        asRun_->Heard(playout_.HeardMs());
}

void Station::FollowStreamSettings(IcecastStream::Timing timing) {
    const StreamSettings& wanted = core_.Settings().Stream;
    if (!wanted.Enabled) {
        if (stream_) {
            stream_.reset();
            view_->ShowStreamState(StreamState::Off);
        }
        return;
    }
    if (stream_ && stream_->Settings() == wanted)
        return;
    stream_.reset();
    stream_ = std::make_unique<IcecastStream>(
        wanted, seams_.dispatcher,
        IcecastStream::Events{[this](StreamState state) { view_->ShowStreamState(state); },
                              [this](const std::string& line) { AddMessage(line); }},
        timing);
    stream_->SetTitle(streamTitle_);
    view_->ShowStreamState(stream_->State());
}

} // namespace corvane
