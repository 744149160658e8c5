#include "ScheduleRender.h"

#include "RenderWaveFile.h"
#include "playlists/ScheduleEditor.h"
#include "settings/CorvaneSettings.h"
#include "station/HeadlessStationView.h"
#include "station/Station.h"
#include "studio/StudioSeams.h"
#include "studio/VirtualWaveDevice.h"

#include <algorithm>
#include <ctime>
#include <stdexcept>
#include <utility>

namespace corvane {

namespace {

// Virtual time run between checks for the end (ms).
constexpr int64_t RenderStepMs = 1000;
// Output buffers that must play silent after the schedule's end: the whole
// queue of the output, so that nothing of the last item is left in it.
constexpr int SilentBuffersAtEnd = 64;
// A schedule that stays on air in silence (a row left empty while resuming
// on audio errors is off) would never end: a minute of it ends the render,
// unless the item on air is still playing (its deck moves on): an item may be
// silent for minutes of its own (a gap in a long recording).
constexpr int SilentBuffersStalled = 60 * 44100 * 4 / 4096;
constexpr int64_t StandingStillMs = 60000;

bool IsPlayList(const std::filesystem::path& path) {
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext == ".ply";
}

// The local time now: the render's virtual studio starts there, so that the
// archive lines carry the day the render was made.
TDateTime LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return EncodeDateTime({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                           local.tm_sec, 0});
}

bool Silent(const uint8_t* data, uint32_t bytes) {
    return std::all_of(data, data + bytes, [](uint8_t b) { return b == 0; });
}

// A play list's rows go into the schedule as they are; a schedule file is
// loaded by the station's own schedule editor.
void LoadSchedule(Station& station, const std::filesystem::path& path) {
    TdmQelData& data = station.Data();
    if (IsPlayList(path)) {
        std::string reason;
        Table* list = data.LoadPlayListFile(path.string(), &reason);
        if (list == nullptr)
            throw std::runtime_error("Cannot load the play list " + path.string() + ": " + reason);
        for (list->First(); !list->Eof(); list->Next())
            ScheduleEditor::CopyRowToTable(*list, data.cdsSchedule);
    } else {
        station.Schedule().LoadScheduleFile(path.string());
    }
    data.cdsSchedule.First();
}

// What a render hears of the station: every buffer the output played goes to
// the file; every item heard is counted.
class RenderView final : public HeadlessStationView {
public:
    RenderView(RenderWaveFile& out, RenderResult& result) : out_(out), result_(result) {}
    void BufferPlayed(const uint8_t* bytes, uint32_t length) override {
        out_.Write(bytes, length);
        result_.bytesWritten += length;
        silentBuffers = Silent(bytes, length) ? silentBuffers + 1 : 0;
    }
    void ShowItemHeard(const std::string&, const std::string&, int) override { ++result_.itemsStarted; }
    // Output buffers in a row that played silence.
    int silentBuffers = 0;

private:
    RenderWaveFile& out_;
    RenderResult& result_;
};

} // namespace

RenderResult RenderSchedule(const RenderRequest& request, const std::function<void(int64_t)>& progress) {
    StudioSeams seams(LocalNow());
    VirtualWaveDevice device(seams.studio, KeepSamples::No);
    const std::filesystem::path folder = std::filesystem::absolute(request.programFolder);
    // Offline the station reads the folder's tables and settings as the
    // console does (the output's buffers, loudness, cue points) and saves
    // nothing into the folder, which a console may be running on.
    Station station(seams.seams(), {device, {}}, {folder, "corvane-render", {}});
    station.Start(StationMode::Offline);
    TdmQelData& data = station.Data();
    // A render ends, and hears no plays.
    CorvaneSettings& settings = station.Core().MutableSettings();
    settings.LoopScheduleContinuously = false;
    settings.StatisticsTracking = false;

    RenderResult result;
    for (const ScriptedPrompter::Shown& shown : seams.prompter.Messages())
        result.messages.push_back(shown.text);
    LoadSchedule(station, request.schedule);
    result.rows = data.cdsSchedule.RecordCount();
    if (result.rows == 0)
        throw std::runtime_error("The schedule " + request.schedule.string() + " has no rows");

    RenderWaveFile out(request.output.string());
    RenderView view(out, result);
    station.Attach(view);
    PlayoutEngine& playout = station.Playout();
    playout.StartItem();
    // How long the deck on air has not moved (ms): silence from a playing
    // item is the item, not a schedule standing still.
    int64_t stillMs = 0;
    const auto onAirPosition = [&playout] {
        return playout.OnAir() ? std::pair<int, int32_t>{playout.CurrentPort(),
                                                         playout.Deck(playout.CurrentPort()).Position()}
                               : std::pair<int, int32_t>{-1, 0};
    };
    for (;;) {
        const bool waiting = playout.DeviceRefresh() || playout.tmrHardwareDelay().Enabled();
        const bool ended = playout.ScheduleEnded() || !playout.OnAir();
        if (!waiting && ended && (view.silentBuffers >= SilentBuffersAtEnd || !playout.OutputPlaying()))
            break;
        if (view.silentBuffers >= SilentBuffersStalled && stillMs >= StandingStillMs) {
            result.stalled = true;
            break;
        }
        const auto before = onAirPosition();
        seams.studio.Run(RenderStepMs);
        stillMs = onAirPosition() == before ? stillMs + RenderStepMs : 0;
        result.renderedMs += RenderStepMs;
        if (progress)
            progress(result.renderedMs);
    }
    playout.ResetPlayout();
    station.Detach();
    out.Close();
    return result;
}

} // namespace corvane
