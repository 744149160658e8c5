#pragma once

#include "audio/device/WaveDeviceState.h"
#include "audio/device/WaveInDevice.h"
#include "audio/input/BufferDoneQueue.h"
#include "audio/meters/MeterTypes.h"
#include "audio/output/MMTypes.h"
#include "audio/output/TMMWaveDeviceComponent.h"
#include "platform/Dispatcher.h"
#include "platform/Prompter.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace corvane {

class TMMWaveInThread;

// The device id stored for an id outside the devices present.
inline constexpr int InvalidWaveInDeviceId = -2;

// The engine's recording source: opens an input device in its PCM format,
// keeps NumBuffers buffers of BufferSize bytes queued in it, and pushes every
// filled buffer down its chain (BufferReady). It drives the state of its
// chain and reports its own changes through events.
//
// Buffers are handled, by CallBackMode, on the main thread (cmWindow: posted
// through the Dispatcher) or on the input's own thread (cmThread). A stop the
// handling asks for (the byte limit reached) runs on the main thread. All
// operations and property changes are main thread.
class TMMCustomWaveIn : public TMMWaveDeviceComponent<TMMCustomWaveIn> {
public:
    static constexpr int MinSampleRate = 8000;
    static constexpr int MaxSampleRate = 100000;

    // `prompter` shows why a callback mode is refused.
    TMMCustomWaveIn(WaveInDevice& device, Dispatcher& dispatcher, Prompter& prompter, std::string name = {});
    ~TMMCustomWaveIn() override;

    // DeviceID, SampleRate, BitLength, Mode, BufferSize, NumBuffers and
    // CallBackMode may not change while the device is open ("Change to
    // property while device was open").
    void SetDeviceID(int id);
    const std::string& ProductName() const { return productName_; }
    void SetSampleRate(int rate);
    int SampleRate() const { return sampleRate_; }
    void SetBitLength(TMMBits bits);
    TMMBits BitLength() const { return bitLength_; }
    void SetMode(TMMMode mode);
    TMMMode Mode() const { return mode_; }
    // cmCallback is refused with a message: the device's callbacks run on
    // its own thread, which must never wait for the chain.
    void SetCallBackMode(TMMCBMode mode);
    TMMCBMode CallBackMode() const { return callBackMode_; }
    // Changing the unit re-expresses a set limit in it.
    void SetTimeFormat(TMMTimeFormats format);
    // Recording limit in TimeFormat units; negative: none.
    void SetMaxRecordTime(int64_t value);
    int64_t MaxRecordTime() const { return maxRecordTime_; }

    WaveDeviceState State() const { return state_; }
    // Bytes handed down the chain since the last Start.
    uint64_t BytesRecorded() const { return bytesRecorded_.load(); }
    // The recorded position in TimeFormat units, at most MaxRecordTime.
    int64_t Position();

    void Open();
    void Close();
    void Start();
    void Pause();
    void Restart();
    void Stop();
    // Fires OnError, then throws EMMWaveInError with the message.
    [[noreturn]] void Error(const std::string& message);

    // Only the input's own format (built from its properties) or none.
    void SetWaveFormat(const WaveFormat* format) override;

private:
    struct Block;

    void RebuildFormat();
    int64_t ComputeByteLimit() const;
    template <typename F> auto DeviceCall(const char* call, F&& f) -> decltype(f());
    template <typename F> void RunOperation(F&& operation);
    [[noreturn]] void FailOperation();

    // From the device's thread: routes a filled buffer to its handler.
    void DeviceDone(WaveInBuffer& buffer);
    // The handler of one filled buffer, in the handling context.
    void HandleDone(WaveInBuffer& buffer);
    void HandleDoneGuarded(WaveInBuffer& buffer);
    void DrainOnMainThread();
    void Deliver(Block& block);
    void PostStop();
    void FinishStop();
    enum class CloseMode { Normal, Forced };
    void CloseWith(CloseMode mode);
    void StopThread();

    WaveInDevice& device_;
    Dispatcher& dispatcher_;
    Prompter& prompter_;
    std::shared_ptr<TMMCustomWaveIn*> self_; // lets posted work find out the component is gone
    std::unique_ptr<WaveInStream> stream_;
    WaveDeviceState state_;
    int deviceCount_ = 0;
    std::string productName_;
    uint32_t formatBits_ = 0;
    int sampleRate_ = 11025;
    TMMBits bitLength_ = TMMBits::b8Bit;
    TMMMode mode_ = TMMMode::mMono;
    TMMCBMode callBackMode_ = TMMCBMode::cmWindow;
    int64_t maxRecordTime_ = -1;

    std::vector<std::unique_ptr<Block>> blocks_;
    BufferDoneQueue done_;
    std::unique_ptr<TMMWaveInThread> thread_;
    // Guards the requeueing against a stop: a handler queues its buffer
    // again only while no reset is under way.
    std::mutex cs_;
    std::atomic<uint64_t> bytesRecorded_{0};
    int64_t byteLimit_ = INT64_MAX;
    int bufferIndex_ = 0;
    // Whether handlers deliver: read on the input's thread, so not the state.
    std::atomic<bool> accepting_{false};
    std::atomic<bool> resetting_{false};
    std::atomic<bool> limitReached_{false};
    std::atomic<bool> stopPosted_{false};
    std::atomic<bool> handlerFailed_{false};
    bool deviceStopped_ = false;
    bool stopPending_ = false;
    bool closing_ = false;
    bool closePending_ = false;
};

// The wave input as the forms place it, on the platform's input device.
class TMMWaveIn final : public TMMCustomWaveIn {
public:
    using TMMCustomWaveIn::TMMCustomWaveIn;
};

} // namespace corvane
