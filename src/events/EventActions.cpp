#include "events/EventActions.h"

#include "data/AtomicFile.h"
#include "data/TdmQelData.h"
#include "events/EventHost.h"
#include "events/EventParams.h"
#include "events/EventRepeat.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <stdexcept>

namespace corvane {
namespace {

namespace fs = std::filesystem;

// The keys every type takes: how an event repeats.
const std::vector<std::string> RepeatKeys{"Repeat"};

// The event's parameters, refusing any key the type does not take.
EventParams ParamsOf(const DueEvent& event, std::vector<std::string> keys = {}) {
    EventParams params(event.params);
    keys.insert(keys.end(), RepeatKeys.begin(), RepeatKeys.end());
    params.AllowOnly(keys);
    ReadRepeat(params);
    return params;
}

// The event's file name with its date-time pattern written out for the
// event's own time (so a late tick still names the show it was meant for),
// taken from the program folder when relative.
fs::path EventPath(const DueEvent& event, const EventHost& host) {
    if (event.fileName.empty())
        throw std::runtime_error("no file name is given");
    const fs::path path = ExpandDateTimePattern(event.fileName, event.start);
    return path.is_absolute() ? path : host.ProgramFolder() / path;
}

// The broadcast types acted before parameters meant anything, so stored
// events may hold any text there: only a Repeat is read from parameters that
// are in the Key=Value form, and must then be one this console knows.
void CheckBroadcastParams(const DueEvent& event) {
    std::optional<EventParams> params;
    try {
        params.emplace(event.params);
    } catch (const std::invalid_argument&) {
        return;
    }
    ReadRepeat(*params);
}

} // namespace

EventActions::EventActions(TdmQelData& data, Seams seams, EventHost& host)
    : data_(data), seams_(seams), host_(host), schedule_(data, seams, host),
      programs_(seams.dispatcher, [this](const std::string& line) { host_.AddMessage(line); }),
      verification_(seams.dispatcher,
                    {[this](const std::string& line) { verificationLines_.push_back(line); },
                     {},
                     [this] { VerificationFinished(); }}),
      cacheRefresh_(seams.dispatcher,
                    [this](const AudioCacheRefresh::Outcome& outcome) { RefreshFinished(outcome); }) {}

void EventActions::Carry(const EventType& type, const DueEvent& event) {
    switch (type.action) {
    case EventAction::StartBroadcast:
        CheckBroadcastParams(event);
        host_.StartBroadcast();
        return;
    case EventAction::StopBroadcast:
        CheckBroadcastParams(event);
        host_.StopBroadcast();
        return;
    case EventAction::PauseBroadcast:
        CheckBroadcastParams(event);
        host_.PauseBroadcast();
        return;
    case EventAction::DelayPauseBroadcast:
        CheckBroadcastParams(event);
        host_.DelayPauseBroadcast();
        return;
    case EventAction::StartCommercial:
        ParamsOf(event);
        host_.StartCommercialBreak();
        return;
    case EventAction::StopCommercial:
        ParamsOf(event);
        host_.StopCommercialBreak();
        return;
    case EventAction::RefreshCommercials:
        ParamsOf(event);
        RefreshCommercials();
        return;
    case EventAction::StartRecording:
        StartRecording(event);
        return;
    case EventAction::StopRecording:
        ParamsOf(event);
        host_.StopRecording();
        return;
    case EventAction::PauseRecording:
        ParamsOf(event);
        host_.AddMessage(host_.PauseRecording() ? "Recording paused" : "Recording resumed");
        return;
    case EventAction::LoadPlaylist:
        LoadPlaylist(event);
        return;
    case EventAction::ShufflePlaylist:
        ShufflePlaylist(event);
        return;
    case EventAction::Reset:
        ParamsOf(event);
        Reset();
        return;
    case EventAction::FullReset:
        FullReset(event);
        return;
    case EventAction::ExecuteFile:
        ExecuteFile(event);
        return;
    case EventAction::VerifyAudioCache:
        ParamsOf(event);
        VerifyAudioCache();
        return;
    case EventAction::RefreshAudioCache:
        ParamsOf(event);
        RefreshAudioCache();
        return;
    }
    throw std::runtime_error("no action for \"" + type.name + "\"");
}

void EventActions::StartRecording(const DueEvent& event) {
    const EventParams params = ParamsOf(event, {"Length"});
    const fs::path path = EventPath(event, host_);
    // A pattern such as "{yyyy-mm}/show-{dd}.wav" may name a folder that the
    // month has not made yet.
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    host_.StartRecording(path.string(), params.LengthMs("Length").value_or(-1));
    host_.AddMessage("Recording into " + path.string());
}

void EventActions::LoadPlaylist(const DueEvent& event) {
    const EventParams params = ParamsOf(event, {"Play"});
    const bool play = params.Flag("Play", false);
    const fs::path path = EventPath(event, host_);
    const bool wasOnAir = host_.OnAir();
    const fs::path aside = schedule_.Load(path, AsideFolder(), seams_.clock.Now());
    if (!aside.empty())
        host_.AddMessage("The unsaved schedule was written to " + aside.string());
    host_.AddMessage("Schedule loaded from " + path.string());
    if (play && wasOnAir)
        host_.StartBroadcast();
}

void EventActions::ShufflePlaylist(const DueEvent& event) {
    ParamsOf(event);
    const int rows = schedule_.ShuffleAfter(host_.OnAir() ? host_.OnAirItem() : 0);
    host_.AddMessage("Shuffled " + std::to_string(rows) + " schedule rows");
}

void EventActions::Reset() {
    host_.StopBroadcast();
    schedule_.CursorToFirstRow();
}

void EventActions::FullReset(const DueEvent& event) {
    ParamsOf(event);
    Reset();
    const std::string last = host_.LastScheduleFile();
    if (last.empty())
        throw std::runtime_error("no schedule file was loaded before");
    const fs::path aside = schedule_.Load(last, AsideFolder(), seams_.clock.Now());
    if (!aside.empty())
        host_.AddMessage("The unsaved schedule was written to " + aside.string());
    host_.AddMessage("Schedule loaded from " + last);
    schedule_.CursorToFirstRow();
    host_.ReloadTodaysCommercials();
}

void EventActions::ExecuteFile(const DueEvent& event) {
    const EventParams params = ParamsOf(event, {"Args", "Limit"});
    const fs::path program = EventPath(event, host_);
    const std::vector<std::string> arguments = SplitArguments(params.Get("Args").value_or(""));
    const int limit = params.Seconds("Limit").value_or(DefaultProgramLimitSeconds);
    programs_.Start(program, arguments, host_.ProgramFolder(), std::chrono::seconds(limit));
    host_.AddMessage("Execute File: " + program.string() + " started");
}

void EventActions::VerifyAudioCache() {
    if (verification_.Running())
        throw std::runtime_error("a verification of the audio cache is still running");
    verificationLines_.clear();
    verification_.RunVerificationReport(data_.cdsAudioLibrary);
    host_.AddMessage("Verify Audio Cache: started");
}

void EventActions::VerificationFinished() {
    const auto count = [this](const char* prefix) {
        return std::count_if(verificationLines_.begin(), verificationLines_.end(),
                             [prefix](const std::string& line) { return line.rfind(prefix, 0) == 0; });
    };
    const auto missing = count("Missing File: ");
    const auto problems = count("Problem File: ");
    try {
        const fs::path report = WriteReport("audio-verification", verificationLines_);
        host_.AddMessage("Verify Audio Cache: " + std::to_string(missing) + " missing, " +
                         std::to_string(problems) + " problem files; report in " + report.string());
    } catch (const std::exception& e) {
        host_.AddMessage(std::string("Verify Audio Cache: the report could not be written: ") + e.what());
    }
}

void EventActions::RefreshAudioCache() {
    cacheRefresh_.Start(data_.cdsAudioLibrary);
    host_.AddMessage("Refresh Audio Cache: started");
}

void EventActions::RefreshFinished(const AudioCacheRefresh::Outcome& outcome) {
    std::vector<std::string> lines;
    for (const std::string& copied : outcome.copied)
        lines.push_back("Copied: " + copied);
    for (const std::string& failed : outcome.failed)
        lines.push_back("Failed: " + failed);
    std::string summary = "Refresh Audio Cache: " + std::to_string(outcome.copied.size()) + " copied, " +
                          std::to_string(outcome.upToDate) + " up to date, " +
                          std::to_string(outcome.failed.size()) + " failed";
    try {
        summary += "; report in " + WriteReport("audio-cache-refresh", lines).string();
    } catch (const std::exception& e) {
        summary += std::string("; the report could not be written: ") + e.what();
    }
    host_.AddMessage(summary);
    // The first failures in the message list too, where the operator looks first.
    for (size_t i = 0; i < outcome.failed.size() && i < ProgramRunner::ErrorLinesReported; ++i)
        host_.AddMessage("  Failed: " + outcome.failed[i]);
}

fs::path EventActions::WriteReport(const std::string& stem, const std::vector<std::string>& lines) {
    const fs::path path =
        host_.ProgramFolder() / ExpandDateTimePattern(stem + "-{yyyymmdd-hhnnss}.txt", seams_.clock.Now());
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    WriteFileAtomically(path.string(), [&](const std::string& temp) { WriteNewFile(temp, text); });
    return path;
}

void EventActions::RefreshCommercials() {
    // The bookings arrive from the uplink program on its own time; the list
    // the breaks air from is today's commercial list, loaded again here.
    host_.AddMessage(host_.StartAdScheduleImport() ? "Ad schedule import started"
                                                   : "No ad schedule import: the importer is not installed");
    host_.ReloadTodaysCommercials();
}

fs::path EventActions::AsideFolder() const {
    const fs::path last = host_.LastScheduleFile();
    std::error_code ec;
    if (!last.empty() && fs::is_directory(last.parent_path(), ec))
        return last.parent_path();
    return host_.ProgramFolder();
}

} // namespace corvane
