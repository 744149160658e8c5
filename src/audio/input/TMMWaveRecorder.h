#pragma once

#include "audio/input/TMMWaveIn.h"
#include "audio/readers/TMMWaveFile.h"

#include <string>

namespace corvane {

// A ready-made recording unit: a wave input with a wave file writer behind
// it, so that starting it records the device's input into a wave file. Most
// properties forward to the input; TimeFormat also to the file. Its own
// output receives what was written. Main thread, as its input.
class TMMWaveRecorder final : public TMMDSPComponent {
public:
    TMMWaveRecorder(WaveInDevice& device, Dispatcher& dispatcher, Prompter& prompter, std::string name = {});
    ~TMMWaveRecorder() override;

    TMMNotifyEvent OnStart, OnStop, OnPause, OnRestart, OnChange;
    TMMBufferEvent OnData;

    TMMWaveIn& Input() { return waveIn_; }
    // The writer's wave file.
    TMMWave& Wave() { return writer_.Wave(); }

    void SetBufferSize(int value) override { waveIn_.SetBufferSize(value); }
    int GetBufferSize() const override { return waveIn_.GetBufferSize(); }
    void SetNumBuffers(int value) { waveIn_.SetNumBuffers(value); }
    int NumBuffers() const { return waveIn_.NumBuffers(); }
    void SetDeviceID(int id) { waveIn_.SetDeviceID(id); }
    int DeviceID() const { return waveIn_.DeviceID(); }
    const std::string& ProductName() const { return waveIn_.ProductName(); }
    void SetTimeFormat(TMMTimeFormats format);
    TMMTimeFormats TimeFormat() const { return waveIn_.TimeFormat(); }
    void SetCallBackMode(TMMCBMode mode) { waveIn_.SetCallBackMode(mode); }
    TMMCBMode CallBackMode() const { return waveIn_.CallBackMode(); }
    void SetMaxRecordTime(int64_t value) { waveIn_.SetMaxRecordTime(value); }
    int64_t MaxRecordTime() const { return waveIn_.MaxRecordTime(); }
    void SetMode(TMMMode mode) { waveIn_.SetMode(mode); }
    TMMMode Mode() const { return waveIn_.Mode(); }
    void SetBitLength(TMMBits bits) { waveIn_.SetBitLength(bits); }
    TMMBits BitLength() const { return waveIn_.BitLength(); }
    void SetSampleRate(int rate) { waveIn_.SetSampleRate(rate); }
    int SampleRate() const { return waveIn_.SampleRate(); }
    // False: a recording is added to the end of an existing file of the
    // same format.
    void SetOverwriteExisting(bool overwrite) { writer_.SetOverwriteExisting(overwrite); }
    bool OverwriteExisting() const { return writer_.OverwriteExisting(); }
    // "Unknown", or the input format's name and details.
    std::string InputFormat() const;
    // The property is read-only: setting it only tells the operator so.
    void SetInputFormat(const std::string& value);

    void SetRecordFileName(const std::string& path);
    void StartRecording();
    void StopRecording();
    void PauseRecording();
    void RestartRecording();
    // In TimeFormat units: the input's position while it is open (plus what
    // the file held before, when adding to it); otherwise 0, or the file's
    // length when adding.
    int64_t GetRecordPosition();

    // A format offered by the writer becomes the input's (ignored while the
    // file is being changed).
    void SetWaveFormat(const WaveFormat* format) override;

private:
    void StopAndCloseInput();

    Prompter& prompter_;
    TMMWaveFile writer_;
    TMMWaveIn waveIn_;
    bool changing_ = false;
    int64_t base_ = 0;
};

} // namespace corvane
