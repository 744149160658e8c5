#pragma once

#include "audio/chain/TMMDSPComponent.h"
#include "audio/output/Gains.h"
#include "audio/output/MMTypes.h"
#include "audio/output/MixerPortConversion.h"

#include <array>
#include <memory>
#include <mutex>
#include <vector>

namespace corvane {

// A port event: the mixer and the port index (0..3).
using TMMMixerNotifyEvent = std::function<void(TMMDSPComponent* sender, int index)>;

// Mixes up to four input chains ("ports", properties Input1..Input4) into
// one stream of 16-bit stereo PCM at SampleRate. A port opens its chain when
// it becomes active, converts the chain's format to the mixer's when they
// differ, and closes the chain when its data ends, raising OnClosePort. The
// mixer is a source: it never ends by itself and delivers silence while no
// port plays.
//
// Mixing, the port events and HoldPort run in the thread of the driver's
// buffer processing (the main thread for the console); the lock keeps a port
// from being closed while it is read. Port events run inside the lock and may
// call HoldPort and load files into decks.
class TMMWaveMixer : public TMMDSPComponent {
public:
    static constexpr int PortCount = 4;
    // How often one port may open a new source within one buffer (a source
    // ended and the close event gave the port the next one).
    static constexpr int MaxOpensPerBuffer = 4;

    explicit TMMWaveMixer(std::string name = {});
    ~TMMWaveMixer() override;

    TMMMixerNotifyEvent OnOpenPort;
    TMMMixerNotifyEvent OnClosePort;

    // Input1..Input4 as port 0..3.
    void SetPortInput(int index, TMMDSPComponent* input);
    TMMDSPComponent* PortInput(int index) const;
    void SetLoop(int index, bool loop);
    bool Loop(int index) const;
    void SetLoopCount(int index, int count);
    int LoopCount(int index) const;

    // 8000..100000 Hz; rebuilds the mixer's format and hands it downstream.
    void SetSampleRate(int rate);
    int SampleRate() const { return sampleRate_; }
    void SetVolume(int32_t volume);
    int32_t Volume() const { return volume_; }
    void SetPanning(int32_t panning);
    int32_t Panning() const { return panning_; }
    // Stored only: mixing does not depend on it.
    void SetEnabled(bool enabled) { enabled_ = enabled; }
    bool Enabled() const { return enabled_; }
    void SetTimeFormat(TMMTimeFormats format) { timeFormat_ = format; }
    TMMTimeFormats TimeFormat() const { return timeFormat_; }
    // Mixer frames to TimeFormat units and back.
    int64_t FramesToTime(int64_t frames) const;
    int64_t TimeToFrames(int64_t time) const;

    // Holding closes a playing port at once (OnClosePort fires inside this
    // call) and keeps it closed; releasing lets it open at the next mix.
    void HoldPort(int index, bool hold);
    // True when the port has finished: held, with no converted data waiting.
    // True for an index outside 0..3, false for a port without input.
    bool PortDone(int index) const;
    // Set when the mix had to be clipped.
    bool Overflow() const { return overflow_; }
    // Frames mixed since the mixer started.
    int64_t MixPosition() const { return position_; }

    bool PublishesLink(std::string_view property) const override;
    TMMDSPComponent* PublishedLink(std::string_view property) const override;
    bool CanConnectOutput(TMMDSPComponent* candidate) override;
    void LinkChanged(TMMDSPComponent* component, LinkSide side, std::string_view partnerProperty) override;
    void InputFormatChanged(const WaveFormat* format) override;
    void SetWaveFormat(const WaveFormat* format) override;
    void Opened() override;
    void Closed() override;
    void Started() override;
    void Stopped() override;
    void Reset() override;
    void BufferReady(BufferHeader* header) override;
    void BufferLoad(BufferHeader* header, bool& moreBuffers) override;

protected:
    void FreeNotification(TMMDSPComponent* freed) override;

private:
    struct Port {
        TMMDSPComponent* input = nullptr;
        int64_t startFrame = 0;
        int64_t framesPlayed = 0;
        bool loop = false;
        int16_t loopCount = 0;
        int32_t loopsLeft = 0;
        bool held = true;
        bool openedNotified = false;
        bool needsConversion = false;
        bool conversionOk = false;
        std::unique_ptr<MixerPortConversion> conversion;
        std::vector<uint8_t> buffer;
        uint32_t length = 0; // bytes of this pass
    };

    bool ValidPort(int index) const { return index >= 0 && index < PortCount; }
    static std::string PortProperty(int index);
    int PortOf(std::string_view property) const;
    bool CanConnectPort(int index, TMMDSPComponent* input);
    void OpenPort(int index);
    void ClosePort(int index);
    void CloseAllPorts();
    // Walks a port's chain from its top down to the mixer.
    void ForEachInPortChain(int index, const std::function<void(TMMDSPComponent&)>& op);
    void FillPorts(uint32_t frames);
    uint32_t ReadPort(int index, uint8_t* out, uint32_t bytes);
    uint32_t ReadConvertedPort(int index, uint8_t* out, uint32_t bytes);
    void PullInto(Port& port, BufferHeader& header, bool& more);
    void NotifyOpened(int index);
    void Mix(uint8_t* out, uint32_t frames);
    void RebuildFormat();

    std::array<Port, PortCount> ports_;
    int sampleRate_ = 44100;
    int32_t volume_ = UnityGain;
    int32_t panning_ = 0;
    StereoGains gains_;
    bool enabled_ = true;
    TMMTimeFormats timeFormat_ = TMMTimeFormats::tfMillisecond;
    int64_t position_ = 0;
    int64_t endPosition_ = INT64_MAX;
    std::vector<int32_t> accumulator_;
    bool overflow_ = false;
    mutable std::recursive_mutex lock_;
};

} // namespace corvane
