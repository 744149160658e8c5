#include "ChainProbe.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

using test::Probe;
using test::SoundProbe;
using Journal = std::vector<std::string>;

TEST(TMMCustomSoundComponent, DriverOpensItsChainWithItsBufferSize) {
    Journal j;
    Probe src("Src", j, PublishedLinks::Output), vol("Vol", j), conn("Conn", j);
    SoundProbe out("Out", j);
    vol.SetInput(&src);
    out.SetInput(&vol);
    conn.SetInput(&out);
    out.SetBufferSize(4096);
    j.clear();

    out.Opened();
    EXPECT_EQ(j, (Journal{"Out.Opened:4096", "Src.Opened:4096", "Vol.Opened:4096", "Conn.Opened:4096"}));
    EXPECT_FALSE(out.Driven());
    for (TMMDSPComponent* c : {static_cast<TMMDSPComponent*>(&src), static_cast<TMMDSPComponent*>(&vol),
                               static_cast<TMMDSPComponent*>(&conn), static_cast<TMMDSPComponent*>(&out)})
        EXPECT_TRUE(c->IsOpened()) << c->Name();

    j.clear();
    out.Started();
    EXPECT_EQ(j, (Journal{"Out.Started", "Src.Started", "Vol.Started", "Conn.Started"}));
    j.clear();
    out.Stopped();
    EXPECT_EQ(j, (Journal{"Out.Stopped", "Src.Stopped", "Vol.Stopped", "Conn.Stopped"}));
    EXPECT_FALSE(src.IsStarted());
}

// Wave input above a wave output: each driver owns the part of the chain
// above it, and the upper one drives the lower one.
TEST(TMMCustomSoundComponent, TwoDriversShareTheChainAtTheLowerOne) {
    Journal j;
    SoundProbe in("In", j, PublishedLinks::Output), out("Out", j);
    Probe mid("Mid", j), below("Below", j);
    mid.SetInput(&in);
    out.SetInput(&mid);
    below.SetInput(&out);

    j.clear();
    out.Opened();
    EXPECT_TRUE(out.Driven());
    EXPECT_EQ(j, (Journal{"Out.Opened:2048", "Below.Opened:2048"}));
    EXPECT_FALSE(mid.IsOpened());
    out.Closed();

    j.clear();
    in.Opened();
    EXPECT_FALSE(in.Driven());
    EXPECT_EQ(j, (Journal{"In.Opened:2048", "Mid.Opened:2048", "Out.Opened:2048", "Below.Opened:2048"}));

    // Closing tells the lower driver first, which closes what lies below it.
    j.clear();
    in.Closed();
    EXPECT_EQ(j, (Journal{"In.Closed", "Out.Closed", "Below.Closed", "Mid.Closed"}));
    EXPECT_FALSE(below.IsOpened());
}

} // namespace
} // namespace corvane
