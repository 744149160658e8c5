#pragma once

#include "audio/chain/TMMDSPComponent.h"
#include "audio/readers/TMMWave.h"

#include <functional>
#include <string>

namespace corvane {

class TMMCustomWaveFile;
using TMMWaveFileEvent = std::function<void(TMMCustomWaveFile* sender)>;

// The wave file component. Without an input it is a source that plays its
// wave file; with an input it writes what it is handed (BufferReady) into the
// file, as the recorder does. Its format is the file's (reading) or the
// input's (writing). Chain operations run in the driver's thread; OnOpen and
// OnClose are fired on the main thread through the synchronize routine.
class TMMCustomWaveFile : public TMMDSPComponent {
public:
    explicit TMMCustomWaveFile(std::string name = {});
    ~TMMCustomWaveFile() override;

    TMMWave& Wave() { return wave_; }
    const TMMWave& Wave() const { return wave_; }
    // Loads a file to play (or names the file to write); the reader's format
    // follows. OnChange fires before, OnChanged after.
    void SetFileName(const std::string& name);
    const std::string& FileName() const { return wave_.FileName(); }

    // A disabled reader delivers silence; a disabled writer writes nothing.
    void SetEnabled(bool enabled) { enabled_ = enabled; }
    bool Enabled() const { return enabled_; }
    void SetOverwriteExisting(bool overwrite) { overwriteExisting_ = overwrite; }
    bool OverwriteExisting() const { return overwriteExisting_; }

    // Reading position in the wave's TimeFormat units.
    void Seek(int64_t position);
    int64_t Position() const { return wave_.Position(); }

    TMMWaveFileEvent OnOpen, OnClose, OnChange, OnChanged, OnLooping;

    void Opened() override;
    void Closed() override;
    void Started() override;
    void BufferLoad(BufferHeader* header, bool& moreBuffers) override;
    void BufferReady(BufferHeader* header) override;

private:
    bool Writing() const { return Input() != nullptr; }
    void PublishFormat();
    void FillSilence(BufferHeader* header) const;

    // How much audio a writer writes between bringing the file's header up
    // to date: a crash loses at most this much of a recording.
    static constexpr int64_t RefreshEveryMs = 2000;

    TMMWave wave_;
    int64_t bytesSinceRefresh_ = 0;
    bool enabled_ = true;
    bool overwriteExisting_ = true;
    bool endMarkerSent_ = false;
    int64_t savedPosition_ = 0; // sample frames, kept while closed
};

// The wave file component as the forms place it.
class TMMWaveFile final : public TMMCustomWaveFile {
public:
    using TMMCustomWaveFile::TMMCustomWaveFile;
};

} // namespace corvane
