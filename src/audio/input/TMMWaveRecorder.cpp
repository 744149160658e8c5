#include "audio/input/TMMWaveRecorder.h"

#include "audio/readers/WaveFormatNames.h"

namespace corvane {

TMMWaveRecorder::TMMWaveRecorder(WaveInDevice& device, Dispatcher& dispatcher, Prompter& prompter,
                                 std::string name)
    : TMMDSPComponent(std::move(name), PublishedLinks::Output), prompter_(prompter), writer_("WaveFile"),
      waveIn_(device, dispatcher, prompter, "WaveIn") {
    writer_.Wave().SetFileMustExist(false);
    waveIn_.SetOutput(&writer_);
    writer_.SetHiddenInput(true);
    writer_.SetOutput(this);
    SetHiddenInput(true);

    waveIn_.OnOpen = [this](TMMComponent*) {
        if (OnStart)
            OnStart(this);
    };
    waveIn_.OnStop = [this](TMMComponent*) {
        waveIn_.Close();
        if (OnStop)
            OnStop(this);
    };
    waveIn_.OnPause = [this](TMMComponent*) {
        if (OnPause)
            OnPause(this);
    };
    waveIn_.OnRestart = [this](TMMComponent*) {
        if (OnRestart)
            OnRestart(this);
    };
    waveIn_.OnBufferReady = [this](TMMDSPComponent*, BufferHeader* header) {
        if (OnData)
            OnData(this, header);
    };
    writer_.OnChange = [this](TMMCustomWaveFile*) {
        changing_ = true;
        StopAndCloseInput();
        if (OnChange)
            OnChange(this);
    };
    writer_.OnChanged = [this](TMMCustomWaveFile*) { changing_ = false; };
    writer_.OnClose = [this](TMMCustomWaveFile*) { StopAndCloseInput(); };
}

TMMWaveRecorder::~TMMWaveRecorder() {
    MarkDestroying();
    waveIn_.OnStop = nullptr;
    waveIn_.OnOpen = nullptr;
    writer_.OnClose = nullptr;
    writer_.OnChange = nullptr;
    try {
        StopAndCloseInput();
    } catch (...) {
        // The input has told through OnError; nobody is left to tell now.
    }
    Unlink();
}

void TMMWaveRecorder::StopAndCloseInput() {
    waveIn_.Stop();
    waveIn_.Close();
}

void TMMWaveRecorder::SetTimeFormat(TMMTimeFormats format) {
    waveIn_.SetTimeFormat(format);
    writer_.Wave().SetTimeFormat(format);
}

std::string TMMWaveRecorder::InputFormat() const {
    const WaveFormat* f = waveIn_.GetWaveFormat();
    if (f == nullptr)
        return "Unknown";
    return WaveFormatTagName(f->formatTag) + " " + WaveFormatDescription(f);
}

void TMMWaveRecorder::SetInputFormat(const std::string&) {
    prompter_.Show("This is a read-only property, please use SelectFormat.", MessageType::Information,
                   MessageButtons::Ok);
}

void TMMWaveRecorder::SetRecordFileName(const std::string& path) {
    writer_.SetFileName(path);
}

void TMMWaveRecorder::StartRecording() {
    if (waveIn_.State().started || writer_.Wave().FileName().empty())
        return;
    base_ = writer_.Wave().DataSize();
    waveIn_.Start();
}

void TMMWaveRecorder::StopRecording() {
    StopAndCloseInput();
}

void TMMWaveRecorder::PauseRecording() {
    if (waveIn_.State().paused || writer_.Wave().FileName().empty())
        return;
    waveIn_.Pause();
}

void TMMWaveRecorder::RestartRecording() {
    waveIn_.Restart();
}

int64_t TMMWaveRecorder::GetRecordPosition() {
    if (waveIn_.State().open)
        return waveIn_.Position() + (OverwriteExisting() ? 0 : base_);
    return OverwriteExisting() ? 0 : writer_.Wave().DataSize();
}

void TMMWaveRecorder::SetWaveFormat(const WaveFormat* format) {
    if (changing_)
        return;
    const WaveFormat* own = waveIn_.GetWaveFormat();
    if (format != nullptr && (own == nullptr || !(*own == *format)) && !waveIn_.State().open)
        waveIn_.SetWaveFormat(format);
    TMMDSPComponent::SetWaveFormat(format);
}

} // namespace corvane
