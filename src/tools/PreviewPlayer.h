#pragma once

#include "audio/decks/TMMAudioFile.h"
#include "audio/meters/TMMLevel.h"
#include "audio/meters/TMMSpectrum.h"
#include "audio/output/TMMConnector.h"
#include "audio/output/TMMWaveOut.h"
#include "platform/Seams.h"

#include <functional>
#include <memory>
#include <string>

namespace corvane {

class WaveDevice;

// The operator's message when a previewed file cannot be played.
inline constexpr const char* PreviewProblemMessage =
    "Vantor Corvane has encountered a problem with the audio file.  This can be caused by corrupt audio "
    "files.";

// The previewer's own chain, apart from the broadcast chain: the file deck
// MMAudioFile1 → wave output MMWaveOut1 (on its own device, 64 buffers of
// 4096 bytes, ms positions) → MMConnector1 feeding a left and a right level
// meter. A 30 ms timer drives the remaining time and the meters while the
// output plays. Main thread.
class PreviewPlayer {
public:
    static constexpr int TickMs = 30;
    static constexpr int LabelWidth = 28;

    // What the previewer window shows; every callback is optional.
    struct View {
        std::function<void(int minutes, int seconds)> ShowRemaining;
        // The level meters changed; repaint them (the spectrum tells its
        // own drawing through its OnChange).
        std::function<void()> RefreshMeters;
        // The output failed: close the window (the message follows).
        std::function<void()> Close;
    };

    // `deviceId` is the preview output (WaveMapperId for the system default).
    PreviewPlayer(WaveDevice& device, const Seams& seams, int deviceId);
    ~PreviewPlayer();
    PreviewPlayer(const PreviewPlayer&) = delete;
    PreviewPlayer& operator=(const PreviewPlayer&) = delete;

    void SetView(View view) { view_ = std::move(view); }

    // Loads the file and returns its playing time (ms). A file the deck cannot
    // read raises the deck's error; a missing file leaves the deck empty and
    // gives 0.
    int32_t Load(const std::string& path);
    bool Loaded() const { return !deck_.IsEmpty(); }
    int32_t TotalMs() const { return totalMs_; }
    int32_t RemainingMs() const { return remainingMs_; }
    // The file name without folder, upper-cased, at most LabelWidth characters.
    const std::string& Label() const { return label_; }

    // The buttons: "Stop"; "Play" (resume when paused, start when stopped,
    // start again from the top when playing); "Pause".
    void Stop();
    void Play();
    void Pause();
    bool Playing() const;
    bool Paused() const;

    // One tick of the display timer.
    void Tick();

    TMMWaveOut& MMWaveOut1() { return out_; }
    TMMLevel& LevelLeft() { return left_; }
    TMMLevel& LevelRight() { return right_; }
    TMMSpectrum& Spectrum() { return spectrum_; }

private:
    void ShowRemaining();
    void Failed();

    Seams seams_;
    // The displays outlive the connector, which clears them as it goes.
    TMMLevel left_;
    TMMLevel right_;
    TMMSpectrum spectrum_;
    TMMAudioFile deck_{"MMAudioFile1"};
    TMMWaveOut out_;
    TMMConnector connector_;
    std::unique_ptr<Timer> hiTimer_;
    View view_;
    int32_t totalMs_ = 0;
    int32_t remainingMs_ = 0;
    int shownMinutes_ = -1;
    int shownSeconds_ = -1;
    std::string label_;
    bool failed_ = false;
};

} // namespace corvane
