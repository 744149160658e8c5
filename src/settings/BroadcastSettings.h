#pragma once

#include <cstdint>
#include <string>

namespace corvane {

// "[Corvane_NowPlaying]": what the console announces when an item is heard.
struct NowPlayingSettings {
    // The text file web pages and RDS encoders read ("" writes none).
    std::string File;
    // What the file holds and the UDP line carries: placeholders such as
    // %title% and %artist%, optional parts in braces, "\n" for a line break.
    std::string Template = "{%artist% - }%title%";
    // "host:port" of the RDS encoder taking one UDP line per item ("" sends none).
    std::string UdpTarget;
    // The categories announced, separated by ';' ("" is every category).
    std::string AnnounceCategories;
    // Categories never announced (commercials, jingles), separated by ';';
    // the station text goes out in their place, and during commercial breaks.
    std::string SilentCategories = "Commercial;Jingle;Cart";
    // What listeners read while an item is not announced ("" keeps the last).
    std::string StationText;
    friend bool operator==(const NowPlayingSettings&, const NowPlayingSettings&) = default;
};

// "[Corvane_Stream]": the air sent to an Icecast server.
struct StreamSettings {
    bool Enabled = false;
    std::string Host = "127.0.0.1";
    int32_t Port = 8000;
    std::string Mount = "/corvane";
    std::string User = "source";
    std::string Password;
    // "mp3", "opus" or "vorbis".
    std::string Format = "mp3";
    // kbit/s.
    int32_t Bitrate = 128;
    friend bool operator==(const StreamSettings&, const StreamSettings&) = default;
};

// "[Corvane_Silence]": the alarm when the air goes silent while on air.
struct SilenceSettings {
    // The air is silent while its peaks stay below this level (dBFS).
    double ThresholdDbfs = -50;
    // How long the air may stay silent before the alarm (ms); a title's own
    // quiet passage shorter than this is never an alarm.
    int32_t DelayMs = 5000;
    friend bool operator==(const SilenceSettings&, const SilenceSettings&) = default;
};

} // namespace corvane
