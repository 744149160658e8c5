#pragma once

#include "broadcast/NowPlayingText.h"
#include "broadcast/UdpLineSender.h"
#include "settings/BroadcastSettings.h"

#include <functional>
#include <string>

namespace corvane {

// Announces what listeners hear: the station's template filled for the item
// heard, written as a file (replaced atomically, so a reader never sees half
// of it), sent as one UDP line and handed on as the stream's title. Items
// the station does not announce (commercials, jingles) and commercial breaks
// announce the station text instead. The settings are read at each
// announcement, so a change in Properties holds from the next item. A file or
// UDP target that fails is reported once, until it works again. Main thread.
class NowPlayingAnnouncer {
public:
    struct Outlets {
        // A line for the message list.
        std::function<void(const std::string& line)> report;
        // The one-line text announced, for the stream's title.
        std::function<void(const std::string& title)> title;
    };

    NowPlayingAnnouncer(const NowPlayingSettings& settings, Outlets outlets)
        : settings_(settings), outlets_(std::move(outlets)) {}

    // An item is heard now (the moment the item display names it).
    void ItemHeard(const NowPlayingItem& item);
    // A commercial break is on air: only the station text.
    void BreakStarted();

    // The text last announced ("" before the first).
    const std::string& Announced() const { return announced_; }

private:
    void Publish(const std::string& text);
    void Report(std::string& last, const std::string& error);

    const NowPlayingSettings& settings_;
    Outlets outlets_;
    UdpLineSender udp_;
    std::string announced_;
    std::string fileError_;
    std::string udpError_;
};

} // namespace corvane
