#pragma once

#include "audio/chain/TMMDSPComponent.h"
#include "audio/plugins/TMMCriticalSection.h"
#include "audio/plugins/TPlugInDSP.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace corvane {

// A chain component that passes the audio through an effect plug-in loaded
// from a shared library. Without a plug-in, while disabled or before the
// chain opened in 16-bit PCM it passes the audio on unchanged. Every access
// to the loaded plug-in, both buffer paths included, holds the component's
// critical section, so a plug-in is never unloaded, initialised or
// restarted while a buffer is inside it.
//
// Pulling through it keeps an internal buffer of twice the buffer size: a
// module may hand back more than it was given (a Winamp module may double
// the sample count), and what does not fit the request waits there for the
// next one.
class TMMDSPPlugin final : public TMMDSPComponent {
public:
    explicit TMMDSPPlugin(std::string name = {});
    ~TMMDSPPlugin() override;

    void SetEnabled(bool enabled) { enabled_ = enabled; }
    bool Enabled() const { return enabled_; }

    // Unloads any plug-in, then reads the library's description and modules;
    // true when a plug-in is now loaded.
    bool LoadPlugin(const std::string& path);
    bool PluginLoaded() const { return plugIn_ != nullptr; }
    const TPlugInDSP* PlugIn() const { return plugIn_.get(); }
    int ModuleCount() const { return plugIn_ ? plugIn_->moduleCount : 0; }
    // Opens the modules (loading the library again); raises "Unable to open
    // Module" when that fails.
    void OpenModules();
    // Raises "Invalid Module index" for an index not below the module count.
    void SelectModule(int index);
    int CurrentModule() const { return current_; }
    // The current module's own configuration (errors ignored); a LADSPA
    // plug-in has none of its own: OnConfigureControls shows its controls.
    void ConfigureModule();
    std::function<void(TMMDSPPlugin& sender)> OnConfigureControls;
    // The control inputs of a loaded LADSPA plug-in (none for other plug-ins).
    std::vector<LadspaControl> Controls();
    void SetControl(size_t index, float value);
    // Opens the modules and initialises the current one for the chain's
    // format and buffer size ("Unable to initialise Module"), then restarts it.
    void InitModule();
    // Empties the internal buffer and restarts the current module ("Unable
    // to restart Module").
    void RestartModule();
    // Quits the modules and unloads the library (errors ignored).
    void UnloadPlugin();
    // The buffers the module failed on: it raised an error or answered a
    // count it could not have produced (cut to what the buffer holds; with
    // nothing left, the audio passes on unprocessed).
    int Failures() const { return failures_; }
    // What the modules see as their parent window.
    void SetParentWindow(void* window) { parentWindow_ = window; }

    // Only none or 16-bit PCM; anything else raises "Invalid WaveFormat".
    void SetWaveFormat(const WaveFormat* format) override;
    void Opened() override;
    void Closed() override;
    void Started() override;
    void Stopped() override;
    void Reset() override;
    void BufferReady(BufferHeader* header) override;
    void BufferLoad(BufferHeader* header, bool& moreBuffers) override;

private:
    bool Active() const;
    TDSPModule* Current();
    // Processes `bytes` bytes in the internal buffer; returns the bytes left.
    // `raw` holds the same audio unprocessed, for a module that fails on it.
    uint32_t Process(uint8_t* data, uint32_t bytes, uint32_t capacity, const uint8_t* raw);
    // Copies what the internal buffer holds into the request.
    void CopyOut(BufferHeader& request, uint32_t& copied);
    void ResetBufferState();

    TMMCriticalSection lock_;
    std::unique_ptr<TPlugInDSP> plugIn_;
    int current_ = 0;
    bool enabled_ = true;
    bool opened_ = false;
    bool started_ = false;
    void* parentWindow_ = nullptr;
    std::vector<uint8_t> buffer_;
    uint32_t capacity_ = 0;
    uint32_t held_ = 0;
    uint32_t readOffset_ = 0;
    bool inputEnded_ = false;
    // A module may keep back what it is given for a while, but pulling on for
    // a module that never answers would hold the chain's thread for good.
    static constexpr int MaxEmptyPulls = 16;
    std::vector<uint8_t> raw_;
    int failures_ = 0;
};

} // namespace corvane
