#include "audio/output/TMMConnector.h"

#include "audio/chain/EMMError.h"

#include <algorithm>
#include <cstring>

namespace corvane {
namespace {

constexpr std::array<int, 6> SlotCounts = {2, 2, 2, 2, 4, 2};

} // namespace

TMMConnector::TMMConnector(Clock& clock, TimerFactory& timers, std::string name)
    : TMMDSPComponent(std::move(name)), clock_(clock),
      timer_(timers.CreateTimer(Name().empty() ? "TMMConnector" : Name().c_str(), AutoTriggerIntervalMs)) {
    for (size_t k = 0; k < groups_.size(); ++k)
        groups_[k].displays.assign(static_cast<size_t>(SlotCounts[k]), nullptr);
    timer_->SetOnTimer([this] { HandOver(); });
}

TMMConnector::~TMMConnector() {
    timer_->SetEnabled(false);
    Unlink();
}

void TMMConnector::SetDisplay(ConnectorDisplayKind kind, int slot, MeterDisplay* display) {
    Group& group = GroupOf(kind);
    if (slot < 0 || slot >= static_cast<int>(group.displays.size()))
        return;
    if (display != nullptr &&
        std::find(group.displays.begin(), group.displays.end(), display) != group.displays.end())
        return;
    std::lock_guard lock(lock_);
    group.displays[static_cast<size_t>(slot)] = display;
    if (display != nullptr)
        TellFormat(*display);
}

MeterDisplay* TMMConnector::Display(ConnectorDisplayKind kind, int slot) const {
    const Group& group = groups_[static_cast<size_t>(kind)];
    return slot >= 0 && slot < static_cast<int>(group.displays.size())
               ? group.displays[static_cast<size_t>(slot)]
               : nullptr;
}

void TMMConnector::TellFormat(MeterDisplay& display) {
    const WaveFormat* format = GetWaveFormat();
    if (format != nullptr && IsValidPcm(format))
        display.SetPcmFormat(*format);
}

void TMMConnector::SetWaveFormat(const WaveFormat* format) {
    TMMDSPComponent::SetWaveFormat(format);
    std::lock_guard lock(lock_);
    for (Group& group : groups_)
        for (MeterDisplay* display : group.displays)
            if (display != nullptr)
                TellFormat(*display);
}

void TMMConnector::SetEnabled(bool enabled) {
    enabled_ = enabled;
    if (!enabled)
        ClearDisplays();
}

void TMMConnector::SetAutoTrigger(bool autoTrigger) {
    autoTrigger_ = autoTrigger;
    timer_->SetEnabled(running_ && autoTrigger_);
}

void TMMConnector::SetSpeed(int speed) {
    speed_ = std::clamp(speed, 1, 5000);
}

void TMMConnector::SetRealTime(bool realTime) {
    if (running_ && realTime != realTime_)
        throw EMMConnectorError(MMString::ChangeWhileOpen);
    realTime_ = realTime;
}

void TMMConnector::Started() {
    TMMDSPComponent::Started();
    if (Input() == nullptr || GetWaveFormat() == nullptr || running_)
        return;
    {
        std::lock_guard lock(lock_);
        copy_.assign(static_cast<size_t>(GetBufferSize()), 0);
        valid_ = 0;
        for (Group& group : groups_) {
            group.pending = false;
            for (MeterDisplay* display : group.displays)
                if (display != nullptr)
                    TellFormat(*display);
        }
        running_ = true;
        paused_ = false;
    }
    timer_->SetEnabled(autoTrigger_);
}

void TMMConnector::Paused() {
    FillSilence();
    paused_ = true;
}

void TMMConnector::Restarted() {
    paused_ = false;
}

void TMMConnector::Stopped() {
    timer_->SetEnabled(false);
    {
        std::lock_guard lock(lock_);
        running_ = false;
        copy_.clear();
        valid_ = 0;
    }
    if (refreshOnStop_)
        ClearDisplays();
    TMMDSPComponent::Stopped();
}

void TMMConnector::Reset() {
    FillSilence();
}

void TMMConnector::FillSilence() {
    std::lock_guard lock(lock_);
    const WaveFormat* f = GetWaveFormat();
    std::fill(copy_.begin(), copy_.end(), f && f->bitsPerSample == 8 ? 128 : 0);
}

void TMMConnector::ClearDisplays() {
    for (Group& group : groups_)
        for (MeterDisplay* display : group.displays)
            if (display != nullptr)
                display->ResetData();
}

void TMMConnector::BufferReady(BufferHeader* header) {
    // The buffer that was just played has gone; the one after it is what
    // sounds from now on.
    const BufferHeader* shown = synchronize_ && header->nextQueued != nullptr && header->bytesFilled > 0
                                    ? header->nextQueued
                                    : header;
    TakeBuffer(*shown);
    TMMDSPComponent::BufferReady(header);
}

void TMMConnector::BufferLoad(BufferHeader* header, bool& moreBuffers) {
    TMMDSPComponent::BufferLoad(header, moreBuffers);
    TakeBuffer(*header);
}

void TMMConnector::TakeBuffer(const BufferHeader& header) {
    const WaveFormat* f = GetWaveFormat();
    if (Input() == nullptr || !enabled_ || paused_ || !running_ || f == nullptr || !IsValidPcm(f))
        return;
    {
        std::lock_guard lock(lock_);
        stampMs_ = clock_.MonotonicMs();
        valid_ = std::min<uint32_t>(header.bytesFilled, static_cast<uint32_t>(copy_.size()));
        std::memcpy(copy_.data(), header.data, valid_);
        for (Group& group : groups_) {
            group.pending = std::any_of(group.displays.begin(), group.displays.end(),
                                        [](auto* d) { return d != nullptr; });
            group.offset = 0;
        }
    }
    if (!realTime_ && autoTrigger_)
        HandOver();
}

void TMMConnector::Trigger() {
    if (autoTrigger_ || !enabled_ || !running_)
        return;
    HandOver();
}

uint32_t TMMConnector::TriggerPoint(uint32_t from, uint32_t chunk) const {
    const WaveFormat& f = *GetWaveFormat();
    if (triggerMode_ == TMMTriggerMode::tmNone || f.bitsPerSample != 16)
        return from;
    const int level = 32767 * triggerLevel_ / 100;
    auto sample = [&](uint32_t at) {
        int16_t v;
        std::memcpy(&v, copy_.data() + at, 2);
        return static_cast<int>(v);
    };
    for (uint32_t at = from + f.blockAlign; at + chunk <= valid_; at += f.blockAlign) {
        const int before = sample(at - f.blockAlign), now = sample(at);
        const bool up = before < level && now >= level;
        const bool down = before > level && now <= level;
        if ((triggerMode_ == TMMTriggerMode::tmUpFlank && up) ||
            (triggerMode_ == TMMTriggerMode::tmDownFlank && down))
            return at;
    }
    return from;
}

void TMMConnector::HandOver() {
    {
        std::lock_guard lock(lock_);
        const WaveFormat* f = GetWaveFormat();
        if (!running_ || f == nullptr || f->avgBytesPerSec == 0)
            return;
        const int64_t elapsedUs = (clock_.MonotonicMs() - stampMs_) * 1000;
        for (size_t k = 0; k < groups_.size(); ++k) {
            Group& group = groups_[k];
            if (!group.pending)
                continue;
            uint32_t chunk = f->blockAlign;
            for (MeterDisplay* display : group.displays)
                if (display != nullptr)
                    chunk = std::max(chunk, static_cast<uint32_t>(display->RequiredBytes()));
            if (synchronize_ && elapsedUs < static_cast<int64_t>(group.offset) * 1'000'000 /
                                                static_cast<int64_t>(f->avgBytesPerSec))
                continue;
            if (group.offset + chunk > valid_) {
                group.pending = false;
                continue;
            }
            const uint32_t at = k == static_cast<size_t>(ConnectorDisplayKind::Oscope)
                                    ? TriggerPoint(group.offset, chunk)
                                    : group.offset;
            for (MeterDisplay* display : group.displays)
                if (display != nullptr)
                    display->RefreshPcmData(copy_.data() + at);
            group.offset += chunk;
        }
    }
    if (OnTrigger)
        OnTrigger(this);
}

} // namespace corvane
