#include "audio/chain/TMMDSPComponent.h"

#include <algorithm>
#include <cctype>

namespace corvane {

namespace {

// A component links only with components of its own thread (the console's
// chain on the main thread, a worker's measuring or verifying deck on that
// worker), so each thread keeps a registry of its own: workers creating and
// destroying decks never touch the main thread's list (one shared list was
// corrupted when they did so at the same time).
std::vector<TMMDSPComponent*>& Components() {
    static thread_local std::vector<TMMDSPComponent*> registry;
    return registry;
}

std::string PartnerName(std::string_view property) {
    return std::string(property.substr(0, TMMDSPComponent::MaxPartnerPropertyLength));
}

} // namespace

bool SamePropertyName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

TMMDSPComponent::TMMDSPComponent(std::string name, PublishedLinks published)
    : TMMCustomDSPComponent(std::move(name)), published_(published) {
    Components().push_back(this);
}

TMMDSPComponent::~TMMDSPComponent() {
    MarkDestroying();
    Unlink();
    waveFormat_.reset();
    auto& registry = Components();
    registry.erase(std::remove(registry.begin(), registry.end(), this), registry.end());
    // Partners that still point here (links stored without the link rules,
    // such as a mixer port) forget this component.
    const auto live = registry;
    for (TMMDSPComponent* c : live)
        c->FreeNotification(this);
}

const std::vector<TMMDSPComponent*>& TMMDSPComponent::Registry() {
    return Components();
}

void TMMDSPComponent::Unlink() {
    SetInput(nullptr);
    SetOutput(nullptr);
}

bool TMMDSPComponent::PublishesInput() const {
    return PublishesLink("Input");
}
bool TMMDSPComponent::PublishesOutput() const {
    return PublishesLink("Output");
}

bool TMMDSPComponent::PublishesLink(std::string_view property) const {
    const auto bits = static_cast<unsigned>(published_);
    if (SamePropertyName(property, "Input"))
        return (bits & static_cast<unsigned>(PublishedLinks::Input)) != 0;
    if (SamePropertyName(property, "Output"))
        return (bits & static_cast<unsigned>(PublishedLinks::Output)) != 0;
    return false;
}

TMMDSPComponent* TMMDSPComponent::PublishedLink(std::string_view property) const {
    if (!PublishesLink(property))
        return nullptr;
    return SamePropertyName(property, "Input") ? input_ : output_;
}

void TMMDSPComponent::NotifyLinkChanged(TMMDSPComponent* component, LinkSide side, std::string_view partner) {
    const auto live = Components();
    for (TMMDSPComponent* c : live)
        c->LinkChanged(component, side, partner);
}

void TMMDSPComponent::SetInput(TMMDSPComponent* value) {
    if (value == input_)
        return;
    if (value != nullptr && !CanConnectInput(value))
        return;
    Stopped();
    if (input_ != nullptr) {
        NotifyLinkChanged(this, LinkSide::Input, "Input");
        SetInputLink(nullptr, {});
        InputFormatChanged(nullptr);
    }
    if (value != nullptr) {
        NotifyLinkChanged(value, LinkSide::Output, "Output");
        SetInputLink(value, "Output");
        value->SetOutputLink(this, "Input");
        UpdateFormat();
    }
}

void TMMDSPComponent::SetOutput(TMMDSPComponent* value) {
    if (value == output_)
        return;
    if (value != nullptr && !CanConnectOutput(value))
        return;
    Stopped();
    if (TMMDSPComponent* old = output_; old != nullptr) {
        NotifyLinkChanged(this, LinkSide::Output, "Output");
        old->InputFormatChanged(nullptr);
        SetOutputLink(nullptr, {});
    }
    if (value != nullptr) {
        NotifyLinkChanged(value, LinkSide::Input, "Input");
        SetOutputLink(value, "Input");
        value->SetInputLink(this, "Output");
        UpdateFormat();
    }
}

bool TMMDSPComponent::CanConnectInput(TMMDSPComponent* candidate) {
    if (candidate == nullptr || candidate == this || !candidate->PublishesOutput())
        return false;
    return output_ == nullptr || output_->CanConnectInput(candidate);
}

bool TMMDSPComponent::CanConnectOutput(TMMDSPComponent* candidate) {
    if (candidate == nullptr || candidate == this ||
        !(candidate->PublishesInput() || candidate->HiddenInput()))
        return false;
    return input_ == nullptr || input_->CanConnectOutput(candidate);
}

void TMMDSPComponent::LinkChanged(TMMDSPComponent* component, LinkSide side, std::string_view partner) {
    if (component == nullptr)
        return;
    if (side == LinkSide::Output) {
        if (component == input_ && SamePropertyName(inputPartner_, partner) &&
            component->PublishedLink(partner) == this)
            SetInputLink(nullptr, {});
    } else {
        if (component == output_ && SamePropertyName(outputPartner_, partner) &&
            component->PublishedLink(partner) == this)
            SetOutputLink(nullptr, {});
    }
}

void TMMDSPComponent::SetInputLink(TMMDSPComponent* component, std::string_view partner) {
    input_ = component;
    inputPartner_ = PartnerName(partner);
}

void TMMDSPComponent::SetOutputLink(TMMDSPComponent* component, std::string_view partner) {
    output_ = component;
    outputPartner_ = PartnerName(partner);
}

void TMMDSPComponent::FreeNotification(TMMDSPComponent* freed) {
    if (input_ == freed)
        SetInputLink(nullptr, {});
    if (output_ == freed)
        SetOutputLink(nullptr, {});
}

void TMMDSPComponent::UpdateFormat() {
    if (!CanPropagate())
        return;
    if (input_ != nullptr)
        InputFormatChanged(input_->GetWaveFormat());
    else if (output_ != nullptr)
        output_->InputFormatChanged(GetWaveFormat());
}

void TMMDSPComponent::InputFormatChanged(const WaveFormat* format) {
    SetWaveFormat(format);
}

void TMMDSPComponent::SetWaveFormat(const WaveFormat* format) {
    if (format != waveFormat_.get()) {
        if (started_)
            Stopped();
        waveFormat_ = format != nullptr ? std::make_unique<WaveFormat>(CopyWaveFormat(*format)) : nullptr;
    }
    if (CanPropagate() && output_ != nullptr)
        output_->InputFormatChanged(GetWaveFormat());
}

void TMMDSPComponent::Loaded() {
    SetWaveFormat(GetWaveFormat());
}

int TMMDSPComponent::GetBufferSize() const {
    return opened_ ? realBufferSize_ : bufferSize_;
}

void TMMDSPComponent::SetBufferSize(int value) {
    if (value == bufferSize_)
        return;
    if (started_)
        Stopped();
    bufferSize_ = value;
}

void TMMDSPComponent::Opened() {
    if (opened_)
        return;
    // A format without a block size (a damaged header) cannot be split into
    // frames; the request is then used as it is.
    if (waveFormat_ != nullptr && waveFormat_->blockAlign > 0) {
        const int block = waveFormat_->blockAlign;
        realBufferSize_ = std::max(bufferSize_ - bufferSize_ % block, block);
    } else {
        realBufferSize_ = bufferSize_;
    }
    opened_ = true;
}

void TMMDSPComponent::Closed() {
    opened_ = false;
}

void TMMDSPComponent::Started() {
    if (opened_ && !started_)
        started_ = true;
}

void TMMDSPComponent::Stopped() {
    started_ = false;
}

void TMMDSPComponent::BufferReady(BufferHeader* header) {
    if (OnBufferReady)
        OnBufferReady(this, header);
    if (output_ != nullptr)
        output_->BufferReady(header);
}

void TMMDSPComponent::BufferLoad(BufferHeader* header, bool& moreBuffers) {
    if (OnBufferLoad)
        OnBufferLoad(this, header, moreBuffers);
    if (input_ != nullptr)
        input_->BufferLoad(header, moreBuffers);
}

} // namespace corvane
