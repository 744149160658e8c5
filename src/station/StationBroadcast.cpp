#include "data/DateTimeText.h"
#include "station/Station.h"

#include <utility>

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
    told_ = {item, file};
    nowPlaying_.ItemHeard(heard);
}

void Station::ShowItemInfo(const std::string& title, const std::string& file, int lengthMs) {
    view_->ShowItemHeard(title, file, lengthMs);
    // While the sound device is missing nothing is heard, however often
    // playout tries the item again; once it is back the item heard is shown
    // again, and told (and recorded as run) only when it is not the one told
    // before the loss, which goes on airing.
    if (playout_.WaitingForDevice()) {
        deviceLostSinceTold_ = true;
        return;
    }
    if (std::exchange(deviceLostSinceTold_, false) && told_ == std::pair{playout_.HeardItem(), file})
        return;
    AnnounceHeardItem(title, file, lengthMs);
    RecordHeardItem(file, lengthMs);
}

// A break's spots are never announced: listeners are told of the break when
// its first spot is heard, after what the output still held of the music.
// When it ends nothing is told: the interrupted item does not come back, and
// the item after the break is told when it is heard.
void Station::AnnounceBreak(bool active) {
    if (active == breakAnnounced_)
        return;
    breakAnnounced_ = active;
    breakHeardFromMs_.reset();
    if (!active)
        return;
    if (!playout_.OutputPlaying()) {
        nowPlaying_.BreakStarted();
        return;
    }
    breakHeardFromMs_ = playout_.WrittenMs();
}

void Station::TellBreakWhenHeard() {
    if (!breakHeardFromMs_ || playout_.HeardMs() < *breakHeardFromMs_)
        return;
    breakHeardFromMs_.reset();
    nowPlaying_.BreakStarted();
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
