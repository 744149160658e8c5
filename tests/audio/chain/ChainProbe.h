#pragma once

#include "audio/chain/TMMCustomSoundComponent.h"

#include <string>
#include <vector>

namespace corvane::test {

// A chain component that writes every state notification it receives into a
// shared journal as "name.Operation".
template <typename Base> class Recording : public Base {
public:
    Recording(std::string name, std::vector<std::string>& journal,
              PublishedLinks links = PublishedLinks::Both)
        : Base(std::move(name), links), journal_(journal) {}

    void Opened() override {
        Note("Opened:" + std::to_string(this->RequestedBufferSize()));
        Base::Opened();
    }
    void Closed() override {
        Note("Closed", [&] { Base::Closed(); });
    }
    void Started() override {
        Note("Started", [&] { Base::Started(); });
    }
    void Paused() override {
        Note("Paused", [&] { Base::Paused(); });
    }
    void Stopped() override {
        Note("Stopped", [&] { Base::Stopped(); });
    }

private:
    template <typename F> void Note(const char* op, F base) {
        Note(op);
        base();
    }
    void Note(const std::string& op) { journal_.push_back(this->Name() + "." + op); }

    std::vector<std::string>& journal_;
};

using Probe = Recording<TMMDSPComponent>;
using SoundProbe = Recording<TMMCustomSoundComponent>;

} // namespace corvane::test
