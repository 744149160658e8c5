#include "audio/plugins/LadspaEffect.h"

#include "audio/plugins/DynamicLibrary.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <ladspa.h>

namespace corvane {
namespace {

// The default a port's hints give, within its bounds; `rate` scales bounds
// that are fractions of the sample rate.
float DefaultOf(const LADSPA_PortRangeHint& hint, float rate) {
    const LADSPA_PortRangeHintDescriptor h = hint.HintDescriptor;
    float low = hint.LowerBound;
    float high = hint.UpperBound;
    if (LADSPA_IS_HINT_SAMPLE_RATE(h)) {
        low *= rate;
        high *= rate;
    }
    const bool log = LADSPA_IS_HINT_LOGARITHMIC(h) && low > 0 && high > 0;
    const auto between = [&](float lowWeight) {
        return log ? std::exp(std::log(low) * lowWeight + std::log(high) * (1 - lowWeight))
                   : low * lowWeight + high * (1 - lowWeight);
    };
    float value = 0;
    switch (h & LADSPA_HINT_DEFAULT_MASK) {
    case LADSPA_HINT_DEFAULT_MINIMUM:
        value = low;
        break;
    case LADSPA_HINT_DEFAULT_LOW:
        value = between(0.75f);
        break;
    case LADSPA_HINT_DEFAULT_MIDDLE:
        value = between(0.5f);
        break;
    case LADSPA_HINT_DEFAULT_HIGH:
        value = between(0.25f);
        break;
    case LADSPA_HINT_DEFAULT_MAXIMUM:
        value = high;
        break;
    case LADSPA_HINT_DEFAULT_1:
        value = 1;
        break;
    case LADSPA_HINT_DEFAULT_100:
        value = 100;
        break;
    case LADSPA_HINT_DEFAULT_440:
        value = 440;
        break;
    default: // none or 0
        value = LADSPA_IS_HINT_BOUNDED_BELOW(h) && low > 0 ? low : 0;
        break;
    }
    if (LADSPA_IS_HINT_INTEGER(h))
        value = std::round(value);
    return value;
}

} // namespace

const LADSPA_Descriptor* LadspaEffect::FindPlugin(const DynamicLibrary& library) {
    auto* get = reinterpret_cast<LADSPA_Descriptor_Function>(library.Symbol("ladspa_descriptor"));
    if (get == nullptr)
        return nullptr;
    for (unsigned long i = 0;; ++i) {
        const LADSPA_Descriptor* d = get(i);
        if (d == nullptr)
            return nullptr;
        int ins = 0, outs = 0;
        for (unsigned long p = 0; p < d->PortCount; ++p) {
            const LADSPA_PortDescriptor pd = d->PortDescriptors[p];
            if (LADSPA_IS_PORT_AUDIO(pd))
                ++(LADSPA_IS_PORT_INPUT(pd) ? ins : outs);
        }
        if ((ins == 1 || ins == 2) && outs == ins && d->instantiate && d->run && d->connect_port)
            return d;
    }
}

LadspaEffect::LadspaEffect(const LADSPA_Descriptor& descriptor) : d_(descriptor) {
    for (unsigned long p = 0; p < d_.PortCount; ++p) {
        const LADSPA_PortDescriptor pd = d_.PortDescriptors[p];
        if (LADSPA_IS_PORT_AUDIO(pd)) {
            (LADSPA_IS_PORT_INPUT(pd) ? audioIn_ : audioOut_).push_back(p);
        } else if (LADSPA_IS_PORT_INPUT(pd)) {
            controlIn_.push_back(p);
            const LADSPA_PortRangeHint& hint = d_.PortRangeHints[p];
            LadspaControl c;
            c.name = d_.PortNames[p] ? d_.PortNames[p] : "";
            c.bounded = LADSPA_IS_HINT_BOUNDED_BELOW(hint.HintDescriptor) &&
                        LADSPA_IS_HINT_BOUNDED_ABOVE(hint.HintDescriptor);
            c.minimum = hint.LowerBound;
            c.maximum = hint.UpperBound;
            c.integer = LADSPA_IS_HINT_INTEGER(hint.HintDescriptor);
            c.toggled = LADSPA_IS_HINT_TOGGLED(hint.HintDescriptor);
            c.value = DefaultOf(hint, 44100);
            controls_.push_back(c);
        } else {
            controlOut_.push_back(p);
        }
    }
    controlValues_.resize(controls_.size());
    for (size_t i = 0; i < controls_.size(); ++i)
        controlValues_[i] = controls_[i].value;
}

LadspaEffect::~LadspaEffect() {
    Quit();
}

std::string LadspaEffect::Name() const {
    return d_.Name ? d_.Name : (d_.Label ? d_.Label : "");
}

void LadspaEffect::SetControl(size_t index, float value) {
    if (index >= controls_.size())
        return;
    LadspaControl& c = controls_[index];
    if (c.bounded)
        value = std::clamp(value, std::min(c.minimum, c.maximum), std::max(c.minimum, c.maximum));
    c.value = value;
    controlValues_[index] = value;
}

void LadspaEffect::ConnectPorts(size_t instance) {
    void* h = instances_[instance];
    for (size_t i = 0; i < controlIn_.size(); ++i)
        d_.connect_port(h, controlIn_[i], &controlValues_[i]);
    for (size_t i = 0; i < controlOut_.size(); ++i)
        d_.connect_port(h, controlOut_[i], &controlOutputs_[instance * controlOut_.size() + i]);
    for (size_t i = 0; i < audioIn_.size(); ++i) {
        d_.connect_port(h, audioIn_[i], in_[instance * audioIn_.size() + i].data());
        d_.connect_port(h, audioOut_[i], out_[instance * audioIn_.size() + i].data());
    }
}

bool LadspaEffect::Init(const WaveFormat& format, int bufferBytes) {
    Quit();
    if (!format.IsPcm() || format.bitsPerSample != 16 || format.channels < 1 || format.channels > 2 ||
        bufferBytes <= 0)
        return false;
    const size_t perPlugin = audioIn_.size();
    if (perPlugin > static_cast<size_t>(format.channels))
        return false; // a stereo plug-in on a mono chain
    channels_ = format.channels;
    // Winamp-style hosts may hand twice a buffer at once.
    frames_ = static_cast<unsigned long>(bufferBytes / (2 * channels_) * 2);
    const size_t count = static_cast<size_t>(channels_) / perPlugin;
    in_.assign(static_cast<size_t>(channels_), std::vector<float>(frames_));
    out_.assign(static_cast<size_t>(channels_), std::vector<float>(frames_));
    controlOutputs_.assign(count * controlOut_.size(), 0.0f);
    for (size_t i = 0; i < count; ++i) {
        void* h = d_.instantiate(&d_, format.samplesPerSec);
        if (h == nullptr) {
            Quit();
            return false;
        }
        instances_.push_back(h);
        ConnectPorts(i);
        if (d_.activate)
            d_.activate(h);
    }
    return true;
}

bool LadspaEffect::Restart() {
    if (instances_.empty())
        return false;
    for (void* h : instances_) {
        if (d_.deactivate)
            d_.deactivate(h);
        if (d_.activate)
            d_.activate(h);
    }
    return true;
}

uint32_t LadspaEffect::Process(uint8_t* data, uint32_t bytes) {
    if (instances_.empty())
        return 0;
    const auto channels = static_cast<size_t>(channels_);
    const size_t total = bytes / (2 * channels);
    auto* samples = reinterpret_cast<int16_t*>(data);
    for (size_t done = 0; done < total;) {
        const size_t n = std::min<size_t>(frames_, total - done);
        for (size_t f = 0; f < n; ++f)
            for (size_t c = 0; c < channels; ++c) {
                int16_t s;
                std::memcpy(&s, samples + (done + f) * channels + c, 2);
                in_[c][f] = static_cast<float>(s) / 32768.0f;
            }
        for (void* h : instances_)
            d_.run(h, n);
        for (size_t f = 0; f < n; ++f)
            for (size_t c = 0; c < channels; ++c) {
                const float raw = out_[c][f];
                // A plug-in gone wrong must not put noise or worse on air.
                const float v = std::isfinite(raw) ? std::clamp(raw * 32768.0f, -32768.0f, 32767.0f) : 0.0f;
                const auto s = static_cast<int16_t>(std::lrint(v));
                std::memcpy(samples + (done + f) * channels + c, &s, 2);
            }
        done += n;
    }
    return static_cast<uint32_t>(total * 2 * channels);
}

void LadspaEffect::Quit() {
    for (void* h : instances_) {
        if (d_.deactivate)
            d_.deactivate(h);
        if (d_.cleanup)
            d_.cleanup(h);
    }
    instances_.clear();
}

} // namespace corvane
