#include "ChainProbe.h"
#include "audio/chain/TMMDSPComponent.h"

#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <thread>

namespace corvane {
namespace {

using test::Probe;

// Five components: A, B, C pass data through (Input and Output), S is a
// source (Output only) and K a sink (Input only).
struct Chain {
    std::vector<std::string> journal;
    std::map<std::string, std::unique_ptr<Probe>> parts;

    Chain() {
        for (const char* n : {"A", "B", "C"})
            parts[n] = std::make_unique<Probe>(n, journal);
        parts["S"] = std::make_unique<Probe>("S", journal, PublishedLinks::Output);
        parts["K"] = std::make_unique<Probe>("K", journal, PublishedLinks::Input);
    }
    Probe* operator[](const std::string& n) { return parts.at(n).get(); }

    // "A>B B>C": every output link, in name order, and checks that links are
    // mutual.
    std::string Links() {
        std::string out;
        for (auto& [name, c] : parts) {
            if (c->Output() != nullptr) {
                EXPECT_EQ(c->Output()->Input(), c.get()) << name << " has a one-sided link";
                out += (out.empty() ? "" : " ") + name + ">" + c->Output()->Name();
            }
            if (c->Input() != nullptr)
                EXPECT_EQ(c->Input()->Output(), c.get()) << name << " has a one-sided link";
        }
        return out;
    }
};

struct LinkCase {
    const char* what;
    std::function<void(Chain&)> act;
    const char* links;
};

TEST(TMMDSPComponent, LinkRulesKeepLinksMutualExclusiveAndAcyclic) {
    const LinkCase cases[] = {
        {"input set", [](Chain& c) { c["B"]->SetInput(c["A"]); }, "A>B"},
        {"output set", [](Chain& c) { c["A"]->SetOutput(c["B"]); }, "A>B"},
        {"own input refused", [](Chain& c) { c["A"]->SetInput(c["A"]); }, ""},
        {"own output refused", [](Chain& c) { c["A"]->SetOutput(c["A"]); }, ""},
        {"downstream as input refused (cycle)",
         [](Chain& c) {
             c["B"]->SetInput(c["A"]);
             c["C"]->SetInput(c["B"]);
             c["A"]->SetInput(c["C"]);
         },
         "A>B B>C"},
        {"upstream as output refused (cycle)",
         [](Chain& c) {
             c["B"]->SetInput(c["A"]);
             c["C"]->SetInput(c["B"]);
             c["C"]->SetOutput(c["A"]);
         },
         "A>B B>C"},
        {"new consumer takes the source from the old one",
         [](Chain& c) {
             c["A"]->SetOutput(c["B"]);
             c["C"]->SetInput(c["A"]);
         },
         "A>C"},
        {"new output replaces the old one",
         [](Chain& c) {
             c["A"]->SetOutput(c["B"]);
             c["A"]->SetOutput(c["C"]);
         },
         "A>C"},
        {"new input replaces the old one",
         [](Chain& c) {
             c["C"]->SetInput(c["A"]);
             c["C"]->SetInput(c["B"]);
         },
         "B>C"},
        {"taking an input that feeds another frees that one",
         [](Chain& c) {
             c["B"]->SetInput(c["A"]);
             c["C"]->SetOutput(c["B"]);
         },
         "C>B"},
        {"unlinking drops both sides",
         [](Chain& c) {
             c["B"]->SetInput(c["A"]);
             c["B"]->SetInput(nullptr);
         },
         ""},
        {"sink cannot be an input", [](Chain& c) { c["A"]->SetInput(c["K"]); }, ""},
        {"source cannot be an output", [](Chain& c) { c["A"]->SetOutput(c["S"]); }, ""},
        {"source feeds sink", [](Chain& c) { c["K"]->SetInput(c["S"]); }, "S>K"},
        {"hidden input accepts an output link",
         [](Chain& c) {
             c["S"]->SetHiddenInput(true);
             c["A"]->SetOutput(c["S"]);
         },
         "A>S"},
        {"freeing the middle leaves both ends unlinked",
         [](Chain& c) {
             c["B"]->SetInput(c["A"]);
             c["C"]->SetInput(c["B"]);
             c.parts.erase("B");
         },
         ""},
    };
    for (const auto& tc : cases) {
        Chain chain;
        tc.act(chain);
        EXPECT_EQ(chain.Links(), tc.links) << tc.what;
    }
}

TEST(TMMDSPComponent, PartnerPropertiesAreRecordedAndCut) {
    Chain c;
    c["B"]->SetInput(c["A"]);
    EXPECT_EQ(c["B"]->InputPartnerProperty(), "Output");
    EXPECT_EQ(c["A"]->OutputPartnerProperty(), "Input");
    c["A"]->SetOutputLink(c["B"], "Input1234567890123456789");
    EXPECT_EQ(c["A"]->OutputPartnerProperty(), "Input123456789012345");
}

TEST(TMMDSPComponent, RegistryHoldsLiveComponentsOnly) {
    const auto before = TMMDSPComponent::Registry().size();
    {
        Chain c;
        EXPECT_EQ(TMMDSPComponent::Registry().size(), before + 5);
    }
    EXPECT_EQ(TMMDSPComponent::Registry().size(), before);
}

// Workers build and drop chains of their own (the loudness measuring, the
// library's verification) while the main thread keeps its chain: neither
// sees the other's components, and nothing is corrupted.
TEST(TMMDSPComponent, ThreadsBuildingChainsAtOnceKeepTheirOwnRegistries) {
    Chain mine;
    const auto before = TMMDSPComponent::Registry().size();
    std::vector<std::thread> workers;
    for (int w = 0; w < 2; ++w)
        workers.emplace_back([] {
            for (int i = 0; i < 300; ++i) {
                Chain c;
                c["B"]->SetInput(c["A"]);
                if (TMMDSPComponent::Registry().size() != 5)
                    std::abort();
            }
        });
    for (int i = 0; i < 300; ++i) {
        Chain c;
        EXPECT_EQ(TMMDSPComponent::Registry().size(), before + 5);
    }
    for (std::thread& t : workers)
        t.join();
    EXPECT_EQ(TMMDSPComponent::Registry().size(), before);
}

// Derives its own output format from the input's: stereo of the same rate.
class ToStereo final : public Probe {
public:
    using Probe::Probe;
    void InputFormatChanged(const WaveFormat* format) override {
        if (format == nullptr) {
            SetWaveFormat(nullptr);
            return;
        }
        const WaveFormat stereo = PcmWaveFormat(16, 2, static_cast<int>(format->samplesPerSec));
        SetWaveFormat(&stereo);
    }
};

TEST(TMMDSPComponent, FormatTravelsDownTheChainAndIsDroppedOnUnlink) {
    std::vector<std::string> journal;
    Probe a("A", journal, PublishedLinks::Output), b("B", journal), d("D", journal);
    ToStereo conv("Conv", journal);
    b.SetInput(&a);
    conv.SetInput(&b);
    d.SetInput(&conv);

    const WaveFormat mono = PcmWaveFormat(16, 1, 22050);
    a.SetWaveFormat(&mono);
    ASSERT_NE(b.GetWaveFormat(), nullptr);
    EXPECT_EQ(*b.GetWaveFormat(), mono);
    EXPECT_NE(b.GetWaveFormat(), a.GetWaveFormat()) << "each component keeps its own copy";
    ASSERT_NE(d.GetWaveFormat(), nullptr);
    EXPECT_EQ(*d.GetWaveFormat(), PcmWaveFormat(16, 2, 22050));

    b.SetInput(nullptr);
    EXPECT_EQ(b.GetWaveFormat(), nullptr);
    EXPECT_EQ(d.GetWaveFormat(), nullptr);

    // Linking again pulls the source's format down.
    b.SetInput(&a);
    ASSERT_NE(d.GetWaveFormat(), nullptr);
    EXPECT_EQ(d.GetWaveFormat()->channels, 2);
}

// Notes the sample rate it had when it was stopped.
class RateAtStop final : public Probe {
public:
    using Probe::Probe;
    void Stopped() override {
        rateAtStop = GetWaveFormat() != nullptr ? static_cast<int>(GetWaveFormat()->samplesPerSec) : 0;
        Probe::Stopped();
    }
    int rateAtStop = -1;
};

TEST(TMMDSPComponent, FormatChangeWhileStartedStopsBeforeReplacing) {
    std::vector<std::string> journal;
    RateAtStop a("A", journal, PublishedLinks::Output);
    Probe b("B", journal);
    b.SetInput(&a);
    const WaveFormat first = PcmWaveFormat(16, 2, 44100);
    const WaveFormat second = PcmWaveFormat(8, 1, 8000);
    a.SetWaveFormat(&first);
    a.Opened();
    a.Started();
    ASSERT_TRUE(a.IsStarted());
    a.SetWaveFormat(&second);
    EXPECT_FALSE(a.IsStarted());
    EXPECT_EQ(a.rateAtStop, 44100);
    EXPECT_EQ(*b.GetWaveFormat(), second);
}

TEST(TMMDSPComponent, FormatWaitsUntilPropertiesAreLoaded) {
    std::vector<std::string> journal;
    Probe a("A", journal, PublishedLinks::Output), b("B", journal);
    const WaveFormat f = PcmWaveFormat(16, 2, 48000);
    // As when a form's components are read: all load, then all are told.
    a.BeginLoading();
    b.BeginLoading();
    a.SetWaveFormat(&f);
    b.SetInput(&a);
    EXPECT_EQ(b.GetWaveFormat(), nullptr);
    a.EndLoading();
    b.EndLoading();
    ASSERT_NE(b.GetWaveFormat(), nullptr);
    EXPECT_EQ(*b.GetWaveFormat(), f);
}

TEST(TMMDSPComponent, CopiesOfFormatsKeepExtraBytesOnlyForCompressedFormats) {
    WaveFormat pcm = PcmWaveFormat(16, 2, 44100);
    pcm.extra = {1, 2};
    EXPECT_TRUE(CopyWaveFormat(pcm).extra.empty());
    WaveFormat adpcm = pcm;
    adpcm.formatTag = 2;
    EXPECT_EQ(CopyWaveFormat(adpcm).extra.size(), 2u);
    EXPECT_EQ(SerializeWaveFormat(adpcm).size(), 20u);
    EXPECT_EQ(PcmWaveFormat(16, 2, 44100).avgBytesPerSec, 176400u);
}

TEST(TMMDSPComponent, ValidPcmIsEightOrSixteenBitsMonoOrStereoInRange) {
    struct Case {
        int tag, bits, channels, rate;
        bool valid;
    };
    const Case cases[] = {{1, 16, 2, 44100, true},   {1, 8, 1, 4000, true},    {1, 16, 1, 100000, true},
                          {1, 24, 2, 44100, false},  {1, 16, 3, 44100, false}, {1, 16, 2, 3999, false},
                          {1, 16, 2, 100001, false}, {2, 16, 2, 44100, false}, {1, 16, 0, 44100, false}};
    for (const auto& c : cases) {
        WaveFormat f = PcmWaveFormat(c.bits, c.channels, c.rate);
        f.formatTag = static_cast<uint16_t>(c.tag);
        EXPECT_EQ(IsValidPcm(&f), c.valid) << c.tag << "/" << c.bits << "/" << c.channels << "/" << c.rate;
    }
    EXPECT_FALSE(IsValidPcm(nullptr));
}

TEST(TMMDSPComponent, RealBufferSizeIsWholeFramesAndAtLeastOne) {
    struct Case {
        int requested;
        int bits, channels; // 0: no format
        int real;
    };
    const Case cases[] = {{4096, 16, 2, 4096}, {4095, 16, 2, 4092}, {2, 16, 2, 4},
                          {4095, 0, 0, 4095},  {4096, 24, 1, 4095}, {4095, 8, 1, 4095}};
    for (const auto& c : cases) {
        std::vector<std::string> journal;
        Probe p("P", journal);
        if (c.bits > 0) {
            const WaveFormat f = PcmWaveFormat(c.bits, c.channels, 44100);
            p.SetWaveFormat(&f);
        }
        p.SetBufferSize(c.requested);
        EXPECT_EQ(p.GetBufferSize(), c.requested);
        p.Opened();
        EXPECT_EQ(p.GetBufferSize(), c.real) << c.requested << " bytes, " << c.bits << "x" << c.channels;
        p.Closed();
        EXPECT_EQ(p.GetBufferSize(), c.requested);
    }
}

TEST(TMMDSPComponent, DataOperationsTravelTheChain) {
    std::vector<std::string> journal;
    Probe source("S", journal, PublishedLinks::Output), mid("M", journal), sink("K", journal);
    mid.SetInput(&source);
    sink.SetInput(&mid);

    uint8_t bytes[8] = {};
    BufferHeader h;
    h.data = bytes;
    h.bufferLength = sizeof bytes;
    bool more = false;

    // Nothing above the source delivers: the header comes back untouched.
    source.BufferLoad(&h, more);
    EXPECT_EQ(h.bytesFilled, 0u);
    EXPECT_FALSE(more);

    source.OnBufferLoad = [](TMMDSPComponent*, BufferHeader* hdr, bool& moreBuffers) {
        hdr->data[0] = 42;
        hdr->bytesFilled = 1;
        moreBuffers = true;
    };
    std::vector<std::string> order;
    mid.OnBufferLoad = [&](TMMDSPComponent*, BufferHeader*, bool&) { order.push_back("M"); };
    sink.BufferLoad(&h, more);
    EXPECT_EQ(h.bytesFilled, 1u);
    EXPECT_TRUE(more);
    EXPECT_EQ(order, std::vector<std::string>{"M"});

    std::vector<std::string> ready;
    for (Probe* p : {&source, &mid, &sink})
        p->OnBufferReady = [&ready](TMMDSPComponent* s, BufferHeader*) { ready.push_back(s->Name()); };
    source.BufferReady(&h);
    EXPECT_EQ(ready, (std::vector<std::string>{"S", "M", "K"}));
}

} // namespace
} // namespace corvane
