#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace corvane {

class TdmQelData;

// What firing a cart asks of the console's playout: its on-air state, the
// direct-cart flag, a reset, the jingle port (port 1: held, given the file
// and released, so the mixer takes the cart from its start at its next pass)
// and the output's stop and start. Main thread.
struct CartPlayout {
    std::function<bool()> OnAir;
    std::function<bool()> DirectJinglePlayout;
    std::function<void(bool on)> SetDirectJinglePlayout;
    std::function<void()> ResetPlayout;
    std::function<void(const std::string& path)> LoadJinglePort;
    std::function<void()> StopOutput;
    std::function<void()> StartOutput;
    // The console's message list.
    std::function<void(const std::string& line)> AddMessage;
    // The output's time line since its last start (ms): how much it has
    // written, and how much of that has been heard. A cart loaded now is mixed
    // into what is written next.
    std::function<int64_t()> WrittenMs;
    std::function<int64_t()> HeardMs;
    // Whether the output plays (a stopped output starts its time line afresh).
    std::function<bool()> OutputPlaying;
    // The jingle port's file ("" when unloaded) and its length (ms).
    std::function<std::string()> JingleFile;
    std::function<int()> JingleLengthMs;
};

// The cart the listener hears and what is left of it to hear (ms).
struct CartOnAir {
    int cart = 0;
    int remainingMs = 0;
    friend bool operator==(const CartOnAir&, const CartOnAir&) = default;
};

// What the rack shows on the console and the console's own rack steps.
struct RackConsole {
    // btnRackUp / btnRackDown enabled.
    std::function<void(bool up, bool down)> EnableRackButtons;
    // The label panel pnlCartRackLabel.
    std::function<void(const std::string& caption)> SetRackCaption;
    // The console's LoadRack: records the file as the current rack and has
    // the rack load it when it exists.
    std::function<void(const std::string& path)> LoadRack;
    std::function<std::string()> CurrentRackFile;
};

// The cart wall, Qt-free: the files of the loaded rack (FRackFiles, cart 0
// first), the five-row display table cdsAudioRackDisplay, the rack list's
// buttons and the firing of a cart on the jingle port, over the item on air
// or, off air, on its own. Main thread.
class TAudioRack {
public:
    static constexpr int DisplayRows = 5;
    static constexpr int Carts = 2 * DisplayRows;

    TAudioRack(TdmQelData& data, CartPlayout playout, RackConsole console);

    // Loads a ".rck" rack file or a ".ply" play list (the extension in any
    // case) into the rack and rebuilds the display; a missing file or any
    // other extension leaves the rack as it was. A file the table store
    // cannot read raises its error and leaves the rack as it was.
    void LoadRack(const std::string& path);
    void BuildRackDisplay();
    void PlayCart(const std::string& path);
    // btnRackUp (step -1) and btnRackDown (step +1) over cdsRackList.
    void btnRackUpClick() { RackButton(-1); }
    void btnRackDownClick() { RackButton(1); }

    const std::vector<std::string>& RackFiles() const { return FRackFiles; }
    // The rack's cart that is playing, until the listener has heard its end;
    // lit from the key on, with its full length until its sound arrives.
    // Nothing once the console is reset, the output stopped or the jingle port
    // given another file. A file fired that is not on the rack lights nothing.
    std::optional<CartOnAir> PlayingCart() const;

private:
    // The cart last fired: where its sound starts on the output's time line.
    struct FiredCart {
        int cart = 0;
        std::string path;
        int64_t heardFromMs = 0;
        int lengthMs = 0;
    };

    void LoadPlayList(const std::string& path);
    void LoadRackFile(const std::string& path);
    void ShowRackListPlace(const std::string& path);
    void RackButton(int step);
    void AddMessage(const std::string& line);

    TdmQelData& data_;
    CartPlayout playout_;
    RackConsole console_;
    std::vector<std::string> FRackFiles;
    std::optional<FiredCart> fired_;
};

} // namespace corvane
