#pragma once

#include <functional>
#include <thread>

namespace corvane {

// An opened PortAudio stream and the one thread that drives it: PortAudio
// streams are not to be driven from two threads, so the output's writer and
// the input's reader make every call on their stream after it is opened.
// The owner declares it after everything its loop uses, so that all of that
// exists before the loop starts.
class PortAudioStreamThread {
public:
    // Takes an opened, not yet started stream and runs `loop` on a thread of
    // its own; when no thread can be had, closes the stream and throws
    // WaveDeviceError.
    PortAudioStreamThread(void* paStream, const std::function<void()>& loop);
    PortAudioStreamThread(const PortAudioStreamThread&) = delete;
    PortAudioStreamThread& operator=(const PortAudioStreamThread&) = delete;

    // Waits for the loop, which its owner has told to end, and closes the
    // stream; throws WaveDeviceError with PortAudio's text when closing
    // fails. Once only.
    void JoinAndClose();

private:
    void* stream_;
    std::thread thread_;
};

} // namespace corvane
