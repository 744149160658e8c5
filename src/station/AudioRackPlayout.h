#pragma once

#include "console/playout/TPlayoutConsole.h"
#include "rack/TAudioRack.h"

namespace corvane {

// The audio rack's carts on the console's playout engine: port 1 (mmAudio2
// through mmVolume2) is the jingle port. The station binds its rack with it,
// and the rack's tests drive the same binding. Main thread.
inline CartPlayout AudioRackPlayout(TPlayoutConsole& playout) {
    constexpr int JinglePort = 1;
    CartPlayout carts;
    carts.OnAir = [&playout] { return playout.OnAir(); };
    carts.DirectJinglePlayout = [&playout] { return playout.DirectJinglePlayout(); };
    carts.SetDirectJinglePlayout = [&playout](bool on) { playout.SetDirectJinglePlayout(on); };
    carts.ResetPlayout = [&playout] { playout.ResetPlayout(); };
    carts.LoadJinglePort = [&playout](const std::string& path) {
        TMMWaveMixer& mixer = playout.WaveMixer();
        TMMAudioFile& deck = playout.Deck(JinglePort);
        mixer.HoldPort(JinglePort, true);
        try {
            // The same cart again starts over from its beginning.
            if (deck.FileName() == path)
                deck.Seek(0);
            else
                deck.SetFileName(path);
        } catch (...) {
            mixer.HoldPort(JinglePort, false);
            throw;
        }
        mixer.HoldPort(JinglePort, false);
    };
    carts.StopOutput = [&playout] { playout.mmAudioOut().Stop(); };
    carts.StartOutput = [&playout] { playout.mmAudioOut().Start(); };
    carts.AddMessage = [&playout](const std::string& line) { playout.Memo1.Add(line); };
    carts.WrittenMs = [&playout] { return playout.mmAudioOut().WrittenMs(); };
    carts.HeardMs = [&playout] { return playout.mmAudioOut().WrittenMs() - playout.mmAudioOut().HeldMs(); };
    carts.OutputPlaying = [&playout] { return playout.OutputPlaying(); };
    carts.JingleFile = [&playout] { return playout.Deck(JinglePort).FileName(); };
    carts.JingleLengthMs = [&playout] { return playout.Deck(JinglePort).Duration(); };
    return carts;
}

} // namespace corvane
