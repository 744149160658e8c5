#include "broadcast/NowPlayingAnnouncer.h"

#include "broadcast/AnnouncementRule.h"
#include "data/AtomicFile.h"

#include <exception>

namespace corvane {

void NowPlayingAnnouncer::ItemHeard(const NowPlayingItem& item) {
    if (IsAnnounced(settings_, item.category))
        Publish(RenderNowPlaying(settings_.Template, item));
    else
        Publish(settings_.StationText);
}

void NowPlayingAnnouncer::BreakStarted() {
    Publish(settings_.StationText);
}

// An empty text (no station text set) leaves the last announcement standing.
void NowPlayingAnnouncer::Publish(const std::string& text) {
    if (OneLine(text).empty())
        return;
    announced_ = text;
    if (!settings_.File.empty()) {
        try {
            WriteFileAtomically(settings_.File,
                                [&](const std::string& temp) { WriteNewFile(temp, text + "\n"); });
            fileError_.clear();
        } catch (const std::exception& e) {
            Report(fileError_, std::string("Now playing: ") + e.what());
        }
    }
    const std::string line = OneLine(text);
    const std::string error = udp_.Send(settings_.UdpTarget, line);
    if (error.empty())
        udpError_.clear();
    else
        Report(udpError_, "Now playing: " + error);
    if (outlets_.title)
        outlets_.title(line);
}

void NowPlayingAnnouncer::Report(std::string& last, const std::string& error) {
    if (error == last)
        return;
    last = error;
    if (outlets_.report)
        outlets_.report(error);
}

} // namespace corvane
