#pragma once

#include <string>

namespace corvane {

// What the framework knows of a component while it is being built or torn
// down: the chain skips format propagation while a component is loading its
// properties or being destroyed.
enum class ComponentState : unsigned { None = 0, Loading = 1, Destroying = 2 };

// A named component of the engine. Its owner (the window or data module that
// created it) frees it; the name shows in error reports. Main thread.
class TMMComponent {
public:
    explicit TMMComponent(std::string name = {}) : name_(std::move(name)) {}
    virtual ~TMMComponent() = default;
    TMMComponent(const TMMComponent&) = delete;
    TMMComponent& operator=(const TMMComponent&) = delete;

    const std::string& Name() const { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }

    bool Loading() const { return Has(ComponentState::Loading); }
    bool Destroying() const { return Has(ComponentState::Destroying); }

    // Property loading: between the two calls the component's properties are
    // set without side effects; EndLoading then runs Loaded.
    void BeginLoading() { Set(ComponentState::Loading, true); }
    void EndLoading();

protected:
    // Called once its properties are all set (streaming finished).
    virtual void Loaded() {}
    void MarkDestroying() { Set(ComponentState::Destroying, true); }

private:
    bool Has(ComponentState s) const { return (state_ & static_cast<unsigned>(s)) != 0; }
    void Set(ComponentState s, bool on);

    std::string name_;
    unsigned state_ = 0;
};

// Components without a window of their own.
class TMMNonVisualComponent : public TMMComponent {
public:
    using TMMComponent::TMMComponent;
};

// The root of the chain's components.
class TMMCustomDSPComponent : public TMMNonVisualComponent {
public:
    using TMMNonVisualComponent::TMMNonVisualComponent;
};

} // namespace corvane
