#pragma once

#include "asrun/AsRunRecorder.h"
#include "playout/PlayoutPorts.h"

#include <array>
#include <functional>
#include <optional>

namespace corvane {

// Playout's ports as the commercial breaks and the cart rack see them, with
// the as-run log listening in: every call goes to playout unchanged, and a
// file loaded on the jingle or commercial port becomes a record when its
// port is released on a playing output, from what the output has written by
// then (a file loaded on a stopped output is heard from the output's new
// start). A fade of the port ends its record as faded. Main thread.
class AsRunPorts final : public PlayoutPorts {
public:
    struct Hooks {
        // The recorder; nullptr while the station writes no as-run log.
        std::function<AsRunRecorder*()> recorder;
        // The record of a file a port plays (the library's title, if any).
        std::function<AsRunRecord(const std::string& path, int lengthMs, AsRunSource source)> describe;
    };
    AsRunPorts(PlayoutPorts& playout, Hooks hooks) : playout_(playout), hooks_(std::move(hooks)) {}

    bool OnAir() const override { return playout_.OnAir(); }
    int CurrentItem() const override { return playout_.CurrentItem(); }
    void ResetPlayout() override { playout_.ResetPlayout(); }
    void AdvanceSchedule() override { playout_.AdvanceSchedule(); }
    void FadeOutOnAir(int fadeMs) override { playout_.FadeOutOnAir(fadeMs); }
    bool CommercialBreak() const override { return playout_.CommercialBreak(); }
    void SetCommercialBreak(bool on) override { playout_.SetCommercialBreak(on); }
    void SetDirectCommercialPlayout(bool on) override { playout_.SetDirectCommercialPlayout(on); }
    bool DirectJinglePlayout() const override { return playout_.DirectJinglePlayout(); }
    void SetDirectJinglePlayout(bool on) override { playout_.SetDirectJinglePlayout(on); }
    void HoldPort(int port, bool hold) override;
    bool LoadPort(int port, const std::string& path) override;
    bool PortDone(int port) const override { return playout_.PortDone(port); }
    void FadeOutPort(int port, int fadeMs) override;
    std::string PortFile(int port) const override { return playout_.PortFile(port); }
    int PortLengthMs(int port) const override { return playout_.PortLengthMs(port); }
    void StopOutput() override { playout_.StopOutput(); }
    void StartOutput() override;
    bool OutputPlaying() const override { return playout_.OutputPlaying(); }
    int64_t WrittenMs() const override { return playout_.WrittenMs(); }
    int64_t HeardMs() const override { return playout_.HeardMs(); }
    void WriteArchiveLine(const std::string& file, const std::string& text) override {
        playout_.WriteArchiveLine(file, text);
    }
    void AddMessage(const std::string& line) override { playout_.AddMessage(line); }

private:
    static std::optional<AsRunChannel> ChannelOf(int port);
    // Hands the port's loaded file to the recorder, heard from `fromMs`.
    void BeginLoaded(int port, int64_t fromMs);

    PlayoutPorts& playout_;
    Hooks hooks_;
    // Files loaded on a port and not yet released to play (by port).
    std::array<std::optional<AsRunRecord>, 4> loaded_;
};

} // namespace corvane
