#pragma once

#include <cstdint>
#include <string>

namespace corvane {

// What the parts that play beside the schedule may ask of the playout engine:
// the commercial breaks (their spots on port 3) and the audio rack (its carts
// on port 1). They load a file on their port, hold and release it, fade it,
// ask whether it has played out, and set the flags that keep their port's end
// from advancing the schedule; the decks, the mixer and the output stay the
// engine's own. Ports are mixer ports 0-3, times in ms. Main thread.
class PlayoutPorts {
public:
    static constexpr int JinglePort = 1;
    static constexpr int CommercialPort = 3;

    virtual ~PlayoutPorts() = default;

    // --- The schedule's playout ---
    virtual bool OnAir() const = 0;
    // ItemPlayOrder of the item on air (0: none).
    virtual int CurrentItem() const = 0;
    // Stops and closes the output, unloads every deck and resets the state.
    virtual void ResetPlayout() = 0;
    // From the schedule row under the cursor to the next playable one.
    virtual void AdvanceSchedule() = 0;
    // Fades the music on air out over `fadeMs`.
    virtual void FadeOutOnAir(int fadeMs) = 0;

    // --- Flags of the ports beside the schedule ---
    virtual bool CommercialBreak() const = 0;
    virtual void SetCommercialBreak(bool on) = 0;
    // A spot or cart plays off air on its own: its end does not advance.
    virtual void SetDirectCommercialPlayout(bool on) = 0;
    virtual bool DirectJinglePlayout() const = 0;
    virtual void SetDirectJinglePlayout(bool on) = 0;

    // --- A port ---
    // Holding closes a playing port at once and keeps it closed; releasing
    // lets it open, from its deck's position, at the next mix.
    virtual void HoldPort(int port, bool hold) = 0;
    // Gives the port's deck `path`; the same file again starts over from its
    // beginning. False when the deck holds nothing afterwards (a missing
    // file); a file that cannot be decoded throws EMMError.
    virtual bool LoadPort(int port, const std::string& path) = 0;
    // The port has finished: held or closed, with nothing left to mix.
    virtual bool PortDone(int port) const = 0;
    virtual void FadeOutPort(int port, int fadeMs) = 0;
    // The file on the port's deck ("" when none) and its length (ms).
    virtual std::string PortFile(int port) const = 0;
    virtual int PortLengthMs(int port) const = 0;

    // --- The output, the logs ---
    virtual void StopOutput() = 0;
    virtual void StartOutput() = 0;
    // The output's time line since its last start (ms): what it has written
    // (a port loaded now is mixed into what is written next), and how much of
    // that the listener has heard. A stopped output starts it afresh.
    virtual bool OutputPlaying() const = 0;
    virtual int64_t WrittenMs() const = 0;
    virtual int64_t HeardMs() const = 0;
    // A line of the archive log; a failed write goes to the exception log.
    virtual void WriteArchiveLine(const std::string& file, const std::string& text) = 0;
    // A line of the console's message list.
    virtual void AddMessage(const std::string& line) = 0;
};

} // namespace corvane
