#pragma once

#include "audio/chain/BufferHeader.h"
#include "audio/chain/TMMComponent.h"
#include "audio/chain/WaveFormat.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

class TMMDSPComponent;

// Which side of a component a link change concerns.
enum class LinkSide { Input = 0, Output = 1 };

// Which of the link properties "Input" and "Output" a component publishes.
// A source publishes only Output; the mixer publishes Output and Input1..4.
enum class PublishedLinks : unsigned { None = 0, Input = 1, Output = 2, Both = 3 };

// Fired when a buffer passes downstream (BufferReady).
using TMMBufferEvent = std::function<void(TMMDSPComponent* sender, BufferHeader* header)>;
// Fired when a buffer is asked for from upstream (BufferLoad).
using TMMBufferLoadEvent =
    std::function<void(TMMDSPComponent* sender, BufferHeader* header, bool& moreBuffers)>;

// A component of an audio chain: at most one input (the component it pulls
// from) and one output (the component it hands played data to). Links are
// always mutual and exclusive (X.Output() == Y exactly when Y.Input() == X);
// a link that would form a cycle is refused silently. The format a component
// delivers travels down the chain as it changes.
//
// Links, formats and properties are changed on the main thread; the state and
// data operations run in the thread that processes the driver's buffers (the
// main thread for the console's output). Buffer sizes are bytes.
class TMMDSPComponent : public TMMCustomDSPComponent {
public:
    static constexpr int DefaultBufferSize = 2048;
    static constexpr std::size_t MaxPartnerPropertyLength = 20;

    explicit TMMDSPComponent(std::string name = {}, PublishedLinks published = PublishedLinks::Both);
    ~TMMDSPComponent() override;

    // Every live chain component of the calling thread, in order of creation.
    // A component is created and destroyed on one thread.
    static const std::vector<TMMDSPComponent*>& Registry();

    // Capability queries standing in for the published properties: whether
    // the component has a property of that name, and where it points. Names
    // are compared without regard to case.
    bool PublishesInput() const;
    bool PublishesOutput() const;
    virtual bool PublishesLink(std::string_view property) const;
    virtual TMMDSPComponent* PublishedLink(std::string_view property) const;

    // Linking: see the class comment. Setting the current partner does nothing.
    virtual void SetInput(TMMDSPComponent* value);
    TMMDSPComponent* Input() const { return input_; }
    virtual void SetOutput(TMMDSPComponent* value);
    TMMDSPComponent* Output() const { return output_; }
    const std::string& InputPartnerProperty() const { return inputPartner_; }
    const std::string& OutputPartnerProperty() const { return outputPartner_; }

    virtual bool CanConnectInput(TMMDSPComponent* candidate);
    virtual bool CanConnectOutput(TMMDSPComponent* candidate);

    // Told that `component` is about to get a new partner on `side`; drops
    // this component's link to it when that link was made through the
    // component's property `partnerProperty`.
    virtual void LinkChanged(TMMDSPComponent* component, LinkSide side, std::string_view partnerProperty);

    // Formats: a null pointer is "no format". SetWaveFormat stores a copy
    // (stopping the component first if it runs) and hands it downstream.
    virtual void UpdateFormat();
    virtual void InputFormatChanged(const WaveFormat* format);
    virtual void SetWaveFormat(const WaveFormat* format);
    const WaveFormat* GetWaveFormat() const { return waveFormat_.get(); }

    // Real buffer size while opened (whole sample frames, at least one frame),
    // else the requested size.
    virtual int GetBufferSize() const;
    virtual void SetBufferSize(int value);
    int RequestedBufferSize() const { return bufferSize_; }
    int RealBufferSize() const { return realBufferSize_; }

    // State notifications, driven by the chain's sound component.
    virtual void Opened();
    virtual void Closed();
    virtual void Started();
    virtual void Paused() {}
    virtual void Restarted() {}
    virtual void Stopped();
    virtual void Reset() {}
    bool IsOpened() const { return opened_; }
    bool IsStarted() const { return started_; }

    // Push: fires OnBufferReady, then hands the header to the output.
    virtual void BufferReady(BufferHeader* header);
    // Pull: fires OnBufferLoad, then asks the input. The caller sets data,
    // buffer length, bytes filled = 0 and the loop fields, and passes
    // moreBuffers = false; the source sets moreBuffers while it has more.
    virtual void BufferLoad(BufferHeader* header, bool& moreBuffers);

    TMMBufferEvent OnBufferReady;
    TMMBufferLoadEvent OnBufferLoad;

    // Store a link without any other effect (partner property names are kept
    // to 20 characters).
    void SetInputLink(TMMDSPComponent* component, std::string_view partnerProperty);
    void SetOutputLink(TMMDSPComponent* component, std::string_view partnerProperty);

    // Lets this component be linked as another's output although it publishes
    // no Input (a deck attaching its internal converters).
    void SetHiddenInput(bool hidden) { hiddenInput_ = hidden; }
    bool HiddenInput() const { return hiddenInput_; }

protected:
    // Streaming finished: re-applies the stored format so it reaches the output.
    void Loaded() override;
    // A component is being freed: drop every link to it. Runs on every live
    // component while `freed` is being destroyed.
    virtual void FreeNotification(TMMDSPComponent* freed);
    // Runs LinkChanged on every live component.
    static void NotifyLinkChanged(TMMDSPComponent* component, LinkSide side,
                                  std::string_view partnerProperty);
    // Whether the format changes may travel now (not loading, not destroyed).
    bool CanPropagate() const { return !Loading() && !Destroying(); }
    // For derived destructors: unlink both sides while the derived overrides
    // still run, so partners are told before the object is gone.
    void Unlink();

private:
    TMMDSPComponent* input_ = nullptr;
    TMMDSPComponent* output_ = nullptr;
    std::unique_ptr<WaveFormat> waveFormat_;
    int bufferSize_ = DefaultBufferSize;
    int realBufferSize_ = DefaultBufferSize;
    bool opened_ = false;
    bool started_ = false;
    bool hiddenInput_ = false;
    PublishedLinks published_;
    std::string inputPartner_;
    std::string outputPartner_;
};

// Case-insensitive comparison of property names.
bool SamePropertyName(std::string_view a, std::string_view b);

} // namespace corvane
