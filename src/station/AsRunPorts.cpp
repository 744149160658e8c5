#include "station/AsRunPorts.h"

namespace corvane {

std::optional<AsRunChannel> AsRunPorts::ChannelOf(int port) {
    if (port == JinglePort)
        return AsRunChannel::Cart;
    if (port == CommercialPort)
        return AsRunChannel::Break;
    return std::nullopt;
}

bool AsRunPorts::LoadPort(int port, const std::string& path) {
    const bool loaded = playout_.LoadPort(port, path);
    const auto channel = ChannelOf(port);
    if (loaded && channel && hooks_.recorder())
        loaded_[static_cast<size_t>(port)] =
            hooks_.describe(path, playout_.PortLengthMs(port),
                            *channel == AsRunChannel::Cart ? AsRunSource::Cart : AsRunSource::Break);
    return loaded;
}

void AsRunPorts::HoldPort(int port, bool hold) {
    playout_.HoldPort(port, hold);
    // A port released on a playing output is mixed into what is written next.
    if (!hold && playout_.OutputPlaying())
        BeginLoaded(port, playout_.WrittenMs());
}

void AsRunPorts::StartOutput() {
    playout_.StartOutput();
    // A stopped output starts its time line afresh with what is loaded.
    for (int port = 0; port < static_cast<int>(loaded_.size()); ++port)
        BeginLoaded(port, 0);
}

void AsRunPorts::FadeOutPort(int port, int fadeMs) {
    playout_.FadeOutPort(port, fadeMs);
    const auto channel = ChannelOf(port);
    if (AsRunRecorder* recorder = hooks_.recorder(); recorder && channel)
        recorder->Leaving(*channel, EndedBy::Faded);
}

void AsRunPorts::BeginLoaded(int port, int64_t fromMs) {
    auto& loaded = loaded_[static_cast<size_t>(port)];
    const auto channel = ChannelOf(port);
    AsRunRecorder* recorder = hooks_.recorder();
    if (loaded && channel && recorder)
        recorder->Begin(*channel, std::move(*loaded), fromMs);
    loaded.reset();
}

} // namespace corvane
