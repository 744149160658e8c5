#pragma once

#include "settings/BroadcastSettings.h"
#include "settings/GridAppearance.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace corvane {

class IniFile;

// The file name of the settings in the program folder.
inline constexpr const char* SettingsFileName = "corvane.ini";

// Every value of the settings file, held in memory for the whole run; other
// parts of the console read these, never the file. Fades are in ms.
struct CorvaneSettings {
    bool WelcomeDone = false;
    bool AutoLoadLastSchedule = false;
    std::string LastScheduleLocation;
    bool AutoStartSchedule = false;
    bool ExternalAudioPreviewer = false;
    bool StatisticsTracking = true;
    std::string AudioRackPlayList;
    GridAppearance Grid;
    bool AutoGetCommercials = true;
    bool AutoCrossFade = false;
    bool DisplayClock = true;
    bool LoopScheduleContinuously = false;
    bool AttemptResumeOnAudioError = true;
    int32_t FadeOutDefault = 5000;
    int32_t FadeInDefault = 5000;
    int32_t FadeOutCommercial = 500;
    std::string FileBrowseDefaultDirectory;
    std::string PlayListDefaultDirectory;
    // The output previews play on, by device name; "" is the system's default.
    std::string PreviewDevice;
    // How many 4096-byte buffers the console's output keeps queued, read at
    // start-up: fewer answer carts and commands sooner, more ride out a busy
    // machine longer (64 ≈ 1.49 s of CD-quality stereo, 8 ≈ 0.19 s).
    int32_t OutputBuffers = 64;
    NowPlayingSettings NowPlaying;
    StreamSettings Stream;
    SilenceSettings Silence;

    // Loudness and cue points, each off until a station chooses it. A title
    // plays with the gain that brings it to LoudnessTarget (LUFS), lowered so
    // that its true peak stays at or below TruePeakCeiling (dBTP); commercials
    // and carts follow their own target when one is set, else LoudnessTarget.
    bool LoudnessNormalise = false;
    double LoudnessTarget = -23;
    double TruePeakCeiling = -1;
    std::optional<double> CommercialLoudnessTarget;
    std::optional<double> CartLoudnessTarget;
    // Items start at cue-in, end at cue-out, and the automatic cross-fade
    // begins at the segue point where a title has one.
    bool UseCuePoints = false;
    // Where the analysis places the cue points: the sample level of cue-in and
    // cue-out (dBFS) and the segue's level below the title's loudness (LU).
    double CueLevel = -40;
    double SegueLevel = -15;

    // [Corvane_Library] Server: the PostgreSQL server the audio library is
    // shared on (a libpq connection string or URI); "" keeps the library in
    // the program's own files. Written only once set.
    std::string LibraryServer;

    // The defaults; two of them depend on where the program lives.
    static CorvaneSettings Defaults(const std::filesystem::path& programFolder);
    // A new station's (no settings file yet): loudness normalising and cue
    // points on, so the files' own silences and levels do not reach the air.
    // A settings file that exists keeps its values, also where it is silent
    // on them (the defaults above, off).
    void UseNewStationDefaults() { LoudnessNormalise = UseCuePoints = true; }
    friend bool operator==(const CorvaneSettings&, const CorvaneSettings&) = default;
};

// Reads every key in the file's order; a missing or unreadable value keeps the
// one in `current`. The grid keys read with the grid's current appearance as
// default, and a font-style key only adds a style: one reading false leaves
// the current style as it is.
CorvaneSettings ReadSettings(const IniFile& ini, const CorvaneSettings& current);

// Writes every key, each replacing only its own line.
void WriteSettings(IniFile& ini, const CorvaneSettings& settings);

// Whether a server's connection string or URI carries a password, so that
// the settings file holding it must be readable by its owner only.
bool ServerTextHasPassword(std::string_view server);

// Whether the settings hold a password (the stream's, or one in the library
// server's text): the file that holds them is its owner's alone.
bool SettingsHoldPassword(const CorvaneSettings& settings);

} // namespace corvane
