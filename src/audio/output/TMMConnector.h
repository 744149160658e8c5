#pragma once

#include "audio/chain/TMMDSPComponent.h"
#include "audio/meters/MeterTypes.h"
#include "audio/output/MMTypes.h"
#include "platform/Clock.h"
#include "platform/Timer.h"

#include <array>
#include <memory>
#include <mutex>
#include <vector>

namespace corvane {

enum class TMMTriggerMode { tmNone, tmUpFlank, tmDownFlank };

// The kinds of display a connector feeds, with their displays (Level1, Level2,
// Spectrum1..Spectrum4, …).
enum class ConnectorDisplayKind { Level, Meter, Oscope, Light, Spectrum, Spectrogram };

// Takes the buffers the wave output has played and hands them to level
// meters, spectrum displays and the like, paced by the play time of the data
// so that a display shows what is heard. The copy of each buffer is taken in
// the thread of the driver's buffer processing; hand-overs to the displays
// run on the main thread: with AutoTrigger, from a main-thread timer of the
// connector's own, otherwise when Trigger is called (the console's 30 ms
// tick). Times are read from the Clock in ms.
class TMMConnector : public TMMDSPComponent {
public:
    // How often the connector's own timer hands over with AutoTrigger (ms).
    static constexpr int AutoTriggerIntervalMs = 10;

    TMMConnector(Clock& clock, TimerFactory& timers, std::string name = {});
    ~TMMConnector() override;

    TMMNotifyEvent OnTrigger;

    // Attaching a display already attached to another slot of its kind is
    // ignored; the display is told the data format at once.
    void SetDisplay(ConnectorDisplayKind kind, int slot, MeterDisplay* display);
    MeterDisplay* Display(ConnectorDisplayKind kind, int slot) const;

    void SetEnabled(bool enabled);
    bool Enabled() const { return enabled_; }
    // Non-PCM data is not shown; kept for the form description.
    void SetAutoConvert(bool convert) { autoConvert_ = convert; }
    void SetAutoTrigger(bool autoTrigger);
    bool AutoTrigger() const { return autoTrigger_; }
    void SetSynchronize(bool synchronize) { synchronize_ = synchronize; }
    bool Synchronize() const { return synchronize_; }
    // 1..5000; kept for the form description (the own timer's pace is fixed).
    void SetSpeed(int speed);
    int Speed() const { return speed_; }
    void SetTriggerMode(TMMTriggerMode mode) { triggerMode_ = mode; }
    // Percent of full scale.
    void SetTriggerLevel(int percent) { triggerLevel_ = percent; }
    void SetRefreshOnStop(bool refresh) { refreshOnStop_ = refresh; }
    // May not change while running ("Change to property while device was open").
    void SetRealTime(bool realTime);
    bool RealTime() const { return realTime_; }

    bool Running() const { return running_; }
    // Hands collected data to the displays now; does nothing with
    // AutoTrigger, while disabled or while not running. Main thread.
    void Trigger();

    void SetWaveFormat(const WaveFormat* format) override;
    void Started() override;
    void Paused() override;
    void Restarted() override;
    void Stopped() override;
    void Reset() override;
    void BufferReady(BufferHeader* header) override;
    void BufferLoad(BufferHeader* header, bool& moreBuffers) override;

private:
    struct Group {
        std::vector<MeterDisplay*> displays;
        bool pending = false;
        uint32_t offset = 0;
    };

    Group& GroupOf(ConnectorDisplayKind kind) { return groups_[static_cast<size_t>(kind)]; }
    void TellFormat(MeterDisplay& display);
    void TakeBuffer(const BufferHeader& header);
    void HandOver();
    // Where an oscilloscope's chunk starts: the first crossing of the
    // trigger level at or after `from`, or `from`.
    uint32_t TriggerPoint(uint32_t from, uint32_t chunk) const;
    void FillSilence();
    void ClearDisplays();

    Clock& clock_;
    std::unique_ptr<Timer> timer_;
    std::array<Group, 6> groups_;
    bool enabled_ = true;
    bool autoConvert_ = true;
    bool autoTrigger_ = true;
    bool synchronize_ = true;
    int speed_ = 5000;
    TMMTriggerMode triggerMode_ = TMMTriggerMode::tmNone;
    int triggerLevel_ = 0;
    bool refreshOnStop_ = true;
    bool realTime_ = true;

    mutable std::mutex lock_;
    std::vector<uint8_t> copy_;
    uint32_t valid_ = 0;
    int64_t stampMs_ = 0;
    bool running_ = false;
    bool paused_ = false;
};

} // namespace corvane
