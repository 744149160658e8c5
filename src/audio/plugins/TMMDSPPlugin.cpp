#include "audio/plugins/TMMDSPPlugin.h"

#include "audio/chain/EMMError.h"

#include <algorithm>
#include <cfenv>
#include <cstring>
#include <mutex>

namespace corvane {
namespace {

bool Pcm16(const WaveFormat* f) {
    return f != nullptr && f->IsPcm() && f->bitsPerSample == 16;
}

} // namespace

TMMDSPPlugin::TMMDSPPlugin(std::string name) : TMMDSPComponent(std::move(name), PublishedLinks::Both) {}

TMMDSPPlugin::~TMMDSPPlugin() {
    UnloadPlugin();
    Unlink();
}

bool TMMDSPPlugin::Active() const {
    // A module that is not initialised would give silence: on air the audio
    // rather passes on unchanged.
    if (!enabled_ || !opened_ || plugIn_ == nullptr || current_ >= plugIn_->moduleCount)
        return false;
    return plugIn_->modules[static_cast<size_t>(current_)].initialised;
}

TDSPModule* TMMDSPPlugin::Current() {
    if (!plugIn_ || current_ >= plugIn_->moduleCount)
        return nullptr;
    return &plugIn_->modules[static_cast<size_t>(current_)];
}

bool TMMDSPPlugin::LoadPlugin(const std::string& path) {
    std::lock_guard guard(lock_);
    UnloadPlugin();
    auto read = ReadPlugIn(path);
    if (!read)
        return false;
    plugIn_ = std::move(*read);
    plugIn_->parentWindow = parentWindow_;
    current_ = 0;
    return true;
}

void TMMDSPPlugin::OpenModules() {
    std::lock_guard guard(lock_);
    if (!plugIn_ || plugIn_->opened)
        return;
    if (!OpenPlugInModules(*plugIn_))
        throw EMMPlugInError(MMString::UnableToOpenModule);
}

void TMMDSPPlugin::SelectModule(int index) {
    if (!plugIn_ || index < 0 || index >= plugIn_->moduleCount)
        throw EMMPlugInError(MMString::InvalidModuleIndex);
    current_ = index;
}

void TMMDSPPlugin::ConfigureModule() {
    TDSPModule* m = Current();
    if (m == nullptr)
        return;
    if (plugIn_->isLadspa) {
        if (OnConfigureControls)
            OnConfigureControls(*this);
        return;
    }
    try {
        if (m->engine && m->engine->Config)
            m->engine->Config(m->engine);
        else if (m->winamp && m->winamp->Config)
            m->winamp->Config(m->winamp);
    } catch (...) {
        // The module's own dialog; what it raises is its own business.
    }
}

std::vector<LadspaControl> TMMDSPPlugin::Controls() {
    std::lock_guard guard(lock_);
    if (!plugIn_ || !plugIn_->ladspaEffect)
        return {};
    return plugIn_->ladspaEffect->Controls();
}

void TMMDSPPlugin::SetControl(size_t index, float value) {
    std::lock_guard guard(lock_);
    if (plugIn_ && plugIn_->ladspaEffect)
        plugIn_->ladspaEffect->SetControl(index, value);
}

void TMMDSPPlugin::InitModule() {
    if (!plugIn_)
        return;
    std::lock_guard guard(lock_);
    OpenModules();
    TDSPModule* m = Current();
    if (m == nullptr || !InitPlugInModule(*m, GetWaveFormat(), GetBufferSize(), false))
        throw EMMPlugInError(MMString::UnableToInitModule);
    RestartModule();
}

void TMMDSPPlugin::RestartModule() {
    if (!plugIn_)
        return;
    std::lock_guard guard(lock_);
    TDSPModule* m = Current();
    if (m == nullptr || !m->initialised)
        return;
    ResetBufferState();
    if (!InitPlugInModule(*m, GetWaveFormat(), GetBufferSize(), true))
        throw EMMPlugInError(MMString::UnableToRestartModule);
}

void TMMDSPPlugin::UnloadPlugin() {
    std::lock_guard guard(lock_);
    if (plugIn_)
        QuitPlugIn(*plugIn_);
    plugIn_.reset();
    current_ = 0;
}

void TMMDSPPlugin::ResetBufferState() {
    held_ = 0;
    readOffset_ = 0;
    inputEnded_ = false;
}

void TMMDSPPlugin::SetWaveFormat(const WaveFormat* format) {
    if (format != nullptr && !Pcm16(format))
        throw EMMPlugInError(MMString::InvalidWaveFormat);
    TMMDSPComponent::SetWaveFormat(format);
}

void TMMDSPPlugin::Opened() {
    TMMDSPComponent::Opened();
    std::lock_guard guard(lock_);
    if (!opened_ && Pcm16(GetWaveFormat())) {
        capacity_ = static_cast<uint32_t>(GetBufferSize());
        buffer_.assign(static_cast<size_t>(capacity_) * 2, 0);
        raw_.assign(capacity_, 0);
        ResetBufferState();
        opened_ = true;
        try {
            OpenModules();
        } catch (const EMMPlugInError&) {
            // A library gone since it was loaded must not keep the output
            // from opening; the audio passes on unprocessed.
        }
    }
}

void TMMDSPPlugin::Closed() {
    {
        std::lock_guard guard(lock_);
        buffer_.clear();
        buffer_.shrink_to_fit();
        raw_.clear();
        raw_.shrink_to_fit();
        capacity_ = 0;
        ResetBufferState();
        opened_ = false;
    }
    TMMDSPComponent::Closed();
}

void TMMDSPPlugin::Started() {
    if (!started_) {
        started_ = true;
        ResetBufferState();
        RestartModule();
    }
    TMMDSPComponent::Started();
}

void TMMDSPPlugin::Stopped() {
    started_ = false;
    TMMDSPComponent::Stopped();
}

void TMMDSPPlugin::Reset() {
    RestartModule();
    TMMDSPComponent::Reset();
}

uint32_t TMMDSPPlugin::Process(uint8_t* data, uint32_t bytes, uint32_t capacity, const uint8_t* raw) {
    TDSPModule* m = Current();
    if (m == nullptr || GetWaveFormat() == nullptr)
        return 0;
    bool failed = false;
    const uint32_t result = ProcessWithPlugInModule(*m, *GetWaveFormat(), data, bytes, capacity, failed);
    if (!failed)
        return result;
    ++failures_;
    if (result > 0)
        return result;
    std::memcpy(data, raw, bytes);
    return bytes;
}

void TMMDSPPlugin::BufferReady(BufferHeader* header) {
    {
        std::lock_guard guard(lock_);
        if (Active() && header->bufferLength <= capacity_) {
            // The module works in the internal buffer, which has room for what
            // it may add; the header carries on with what fits its own buffer.
            std::memcpy(buffer_.data(), header->data, header->bufferLength);
            const uint32_t result =
                Process(buffer_.data(), header->bufferLength, capacity_ * 2, header->data);
            const uint32_t kept = std::min(result, header->bufferLength);
            std::memcpy(header->data, buffer_.data(), kept);
            header->bufferLength = kept;
        }
    }
    TMMDSPComponent::BufferReady(header);
}

void TMMDSPPlugin::CopyOut(BufferHeader& request, uint32_t& copied) {
    const uint32_t n = std::min(request.bufferLength - copied, held_ - readOffset_);
    if (n == 0)
        return;
    std::memcpy(request.data + copied, buffer_.data() + readOffset_, n);
    copied += n;
    readOffset_ += n;
}

void TMMDSPPlugin::BufferLoad(BufferHeader* header, bool& moreBuffers) {
    std::unique_lock guard(lock_);
    if (!Active()) {
        guard.unlock();
        TMMDSPComponent::BufferLoad(header, moreBuffers);
        return;
    }
    uint32_t copied = 0;
    CopyOut(*header, copied);
    int emptyPulls = 0;
    while (copied < header->bufferLength && !inputEnded_) {
        do {
            // Plug-ins may leave the floating-point unit set their own way.
            std::fesetenv(FE_DFL_ENV);
            BufferHeader in;
            in.data = buffer_.data();
            in.bufferLength = capacity_;
            in.looping = header->looping;
            in.loopCount = header->loopCount;
            in.loopsLeft = header->loopsLeft;
            in.loopRestarted = 0;
            bool more = false;
            TMMDSPComponent::BufferLoad(&in, more);
            header->loopsLeft = in.loopsLeft;
            if (in.loopRestarted != 0)
                header->loopRestarted = in.loopRestarted;
            const uint32_t got = std::min(in.bytesFilled, capacity_);
            if (got == 0 || !more)
                inputEnded_ = true;
            std::memcpy(raw_.data(), buffer_.data(), got);
            held_ = got > 0 ? Process(buffer_.data(), got, capacity_ * 2, raw_.data()) : 0;
            readOffset_ = 0;
            if (held_ == 0 && got > 0 && ++emptyPulls >= MaxEmptyPulls) {
                ++failures_;
                std::memcpy(buffer_.data(), raw_.data(), got);
                held_ = got;
            }
        } while (held_ == 0 && !inputEnded_);
        CopyOut(*header, copied);
    }
    header->bytesFilled = copied;
    moreBuffers = !inputEnded_ || readOffset_ < held_;
}

} // namespace corvane
