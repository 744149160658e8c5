#pragma once

#include "audio/chain/WaveFormat.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct _LADSPA_Descriptor;

namespace corvane {

class DynamicLibrary;

// One control input of a LADSPA plug-in, as its "Configure Plugin" form shows it.
struct LadspaControl {
    std::string name;
    float minimum = 0;
    float maximum = 1;
    bool bounded = false; // both bounds given
    bool integer = false;
    bool toggled = false;
    float value = 0;
};

// A LADSPA plug-in run in the chain: the library's first plug-in with one or
// two audio inputs and as many outputs. A mono plug-in runs once per channel
// of a stereo chain. Control inputs start at the defaults the plug-in gives.
// Not thread-safe: the plug-in host's lock guards it.
class LadspaEffect {
public:
    // The plug-in's descriptor from a loaded library, or none when the
    // library exports no "ladspa_descriptor" or holds no usable plug-in.
    static const _LADSPA_Descriptor* FindPlugin(const DynamicLibrary& library);

    explicit LadspaEffect(const _LADSPA_Descriptor& descriptor);
    ~LadspaEffect();
    LadspaEffect(const LadspaEffect&) = delete;
    LadspaEffect& operator=(const LadspaEffect&) = delete;

    std::string Name() const;
    const std::vector<LadspaControl>& Controls() const { return controls_; }
    // Sets a control input (kept within its bounds); takes effect at once.
    void SetControl(size_t index, float value);

    // Instantiates for the format's rate and channels (16-bit PCM, 1 or 2
    // channels) and activates; false when the plug-in refuses.
    bool Init(const WaveFormat& format, int bufferBytes);
    // Deactivates and activates again: the plug-in forgets what it held.
    bool Restart();
    // Processes 16-bit PCM in place; returns the bytes left (all of them).
    uint32_t Process(uint8_t* data, uint32_t bytes);
    void Quit();
    bool Initialised() const { return !instances_.empty(); }

private:
    void ConnectPorts(size_t instance);

    const _LADSPA_Descriptor& d_;
    std::vector<unsigned long> audioIn_, audioOut_, controlIn_, controlOut_;
    std::vector<LadspaControl> controls_;
    std::vector<float> controlValues_;
    std::vector<float> controlOutputs_;
    std::vector<void*> instances_;
    int channels_ = 0;
    unsigned long frames_ = 0; // per run
    std::vector<std::vector<float>> in_, out_;
};

} // namespace corvane
