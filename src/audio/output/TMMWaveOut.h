#pragma once

#include "audio/device/WaveDevice.h"
#include "audio/device/WaveDeviceState.h"
#include "audio/output/MMTypes.h"
#include "audio/output/TMMWaveDeviceComponent.h"
#include "platform/Dispatcher.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace corvane {

// Where the error being reported came from: the sound device (a failed
// device call, no device, a stream that stopped by itself), the output's own
// rules, or the chain it plays (a deck that cannot decode).
enum class TMMWaveOutErrorSource { None, Device, Output, Chain };

// Plays its chain on a wave device: opens the device in its input's format,
// keeps NumBuffers buffers of BufferSize bytes queued, refills each from the
// chain (BufferLoad) as soon as the device has played it, and hands every
// played buffer to its output (BufferReady). It drives the state of its chain
// and reports its own changes through events, in the order open, start,
// pause/restart, stop, close.
//
// Everything runs on the main thread: the device posts each completion to the
// main thread, where the refill, and so all chain processing and all chain
// events, take place (the console's callback mode, cmWindow, is the one mode
// offered). A Stop requested inside buffer processing (from OnClosePort, say)
// completes once the processing has unwound.
//
// Errors never recurse: OnError fires once per fault, and an error raised
// while the output is already stopping, closing or reporting an error drops
// the device and ends there, so a handler that stops the output on a dead
// device cannot start the error over again.
class TMMWaveOut : public TMMWaveDeviceComponent<TMMWaveOut> {
public:
    TMMWaveOut(WaveDevice& device, Dispatcher& dispatcher, std::string name = {});
    ~TMMWaveOut() override;

    TMMNotifyEvent OnLooping;
    TMMBufferEvent OnBufferFilled;
    // The device rides out something the operator should know of (a slow
    // sound server it waits for); playback goes on. Main thread.
    std::function<void(const std::string& text)> OnDeviceNotice;

    // BufferSize, NumBuffers, DeviceID and CallBackMode may not change while
    // the device is open ("Change to property while device was open").
    // WaveMapperId is the default device.
    void SetDeviceID(int id);
    // The device's name, or "No wave audio playing device found".
    std::string ProductName() const;
    void SetTimeFormat(TMMTimeFormats format) { timeFormat_ = format; }
    // Only cmWindow is offered; other modes are refused and the mode stays.
    void SetCallBackMode(TMMCBMode mode);
    TMMCBMode CallBackMode() const { return TMMCBMode::cmWindow; }
    void SetLooping(bool looping) { looping_ = looping; }
    bool Looping() const { return looping_; }
    void SetLoopCount(uint16_t count) { loopCount_ = count; }
    uint16_t LoopCount() const { return loopCount_; }

    WaveDeviceState State() const { return state_; }
    // Where playback is, in TimeFormat units; 0 while closed or closing.
    int64_t Position();
    // Bytes played since the last Start.
    uint64_t BytesPlayed() const { return bytesPlayed_; }
    // What the device still holds of the audio handed to it (ms): the chain
    // has delivered it, nobody has heard it yet. 0 while not playing or when
    // the device cannot say.
    int64_t HeldMs() const;
    // The audio handed to the device since the last Start (ms); less HeldMs,
    // what has been heard of it.
    int64_t WrittenMs() const;

    void Open();
    void Close();
    void Start();
    void Pause();
    void Restart();
    void Stop();
    // Restarts the stream from the chain's current state (a source was
    // repositioned while playing).
    void ResetPlayback();
    // Fires OnError, then throws EMMWaveOutError with the message.
    [[noreturn]] void Error(const std::string& message);
    // Where the error being reported (or the last one) came from, and its
    // message; valid inside OnError and after the error.
    TMMWaveOutErrorSource ErrorSource() const { return errorSource_; }
    const std::string& ErrorMessage() const { return errorMessage_; }

    void SetWaveFormat(const WaveFormat* format) override;
    void BufferReady(BufferHeader* header) override;

private:
    struct Slot;

    WaveDeviceFormat DeviceFormat() const;
    // Runs a device call, turning its failure into "Call:\n\r" + its text.
    template <typename F> auto DeviceCall(const char* call, F&& f) -> decltype(f());
    // An error inside one of the operations: OnError (unless Error already
    // fired it), close, and on with the exception.
    [[noreturn]] void FailOperation();
    // Runs the body of Open, Start, Pause, Restart, Stop or ResetPlayback,
    // failing the operation on any error.
    template <typename F> void RunOperation(F&& operation);
    [[noreturn]] void Raise(const std::string& message, TMMWaveOutErrorSource source);
    // OnError, unless it is already being fired for this fault.
    void FireError();
    // OnError for an error that is not the output's own (those fired it when raised).
    void FireErrorUnlessRaised(const std::exception_ptr& error);
    // The device failed while the output was already stopping, closing or
    // reporting an error: let go of it without another device call.
    void DropDevice();
    // The stream failed by itself (the sound system went away).
    void OnDeviceFault(const std::string& call, const std::string& text);
    // Ends a fault met outside any operation: OnError, close, and the error
    // to the application's handler under the output's name.
    void EndFault(const std::exception_ptr& error);

    Slot& SlotAt(int index);
    // Returns the chain's MoreBuffers answer.
    bool FillBuffer(Slot& slot);
    void QueueBuffer(Slot& slot);
    // Queues up to NumBuffers filled buffers; returns how many.
    int QueueInitialBuffers();
    void OnDeviceDone(WaveDeviceBuffer& buffer);
    void ProcessCompletion();
    void PostStop();
    void FreeSlots();
    // Normal closing honours a close already under way or deferred; forced
    // closing (after a failed operation) also undoes a half-done open.
    enum class CloseMode { Normal, Forced };
    void CloseWith(CloseMode mode);
    void CloseDevice();

    WaveDevice& device_;
    Dispatcher& dispatcher_;
    std::shared_ptr<TMMWaveOut*> self_; // lets posted work find out the component is gone
    std::unique_ptr<WaveDeviceStream> stream_;
    WaveDeviceState state_;
    bool looping_ = false;
    uint16_t loopCount_ = 0;

    std::vector<std::unique_ptr<Slot>> slots_;
    int completionIndex_ = 0;
    int buffersInUse_ = 0;
    int queued_ = 0;
    bool moreData_ = true;
    bool stopRequested_ = false;
    bool deferredStop_ = false;
    bool deferredClose_ = false;
    bool closing_ = false;
    bool resetting_ = false;
    bool stopping_ = false;
    bool failing_ = false;        // a failed operation is closing the output
    bool reportingError_ = false; // OnError is running
    TMMWaveOutErrorSource errorSource_ = TMMWaveOutErrorSource::None;
    std::string errorMessage_;
    int processingDepth_ = 0;
    uint64_t bytesPlayed_ = 0;
    uint64_t framesWritten_ = 0; // handed to the device since its position was last 0
    uint64_t lastDevicePosition_ = 0;
    uint64_t wrapCount_ = 0;
    uint64_t wrapSize_ = 0;
    uint64_t samplesBeforeReset_ = 0;
    uint64_t loopStart_ = 0;
    int32_t loopsLeft_ = 0;
};

} // namespace corvane
