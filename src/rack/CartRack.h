#pragma once

#include "playout/PlayoutPorts.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace corvane {

class TdmQelData;

// The cart the listener hears and what is left of it to hear (ms).
struct CartOnAir {
    int cart = 0;
    int remainingMs = 0;
    friend bool operator==(const CartOnAir&, const CartOnAir&) = default;
};

// What the rack shows on the console and the console's own rack steps; the
// station implements it. Main thread.
class RackConsole {
public:
    virtual ~RackConsole() = default;

    // btnRackUp / btnRackDown enabled.
    virtual void EnableRackButtons(bool up, bool down) = 0;
    // The label panel pnlCartRackLabel.
    virtual void SetRackCaption(const std::string& caption) = 0;
    // The console's LoadRack: records the file as the current rack and has
    // the rack load it when it exists.
    virtual void UseRack(const std::string& path) = 0;
    virtual std::string CurrentRackFile() const = 0;
};

// The cart a typed character fires: digits "0".."9" select that entry of the
// rack's file list when it is there and its file exists.
std::optional<std::string> HotKeyCart(char typed, const std::vector<std::string>& rackFiles);

// The cart wall, Qt-free: the files of the loaded rack (FRackFiles, cart 0
// first), the five-row display table cdsAudioRackDisplay, the rack list's
// buttons and the firing of a cart on the jingle port (port 1: held, given
// the file and released, so the mixer takes the cart from its start at its
// next pass), over the item on air or, off air, on its own. Main thread.
class CartRack {
public:
    static constexpr int DisplayRows = 5;
    static constexpr int Carts = 2 * DisplayRows;

    CartRack(TdmQelData& data, PlayoutPorts& playout, RackConsole& console);

    // Loads a ".rck" rack file or a ".ply" play list (the extension in any
    // case) into the rack and rebuilds the display; a missing file or any
    // other extension leaves the rack as it was. A file the table store
    // cannot read raises its error and leaves the rack as it was.
    void LoadRack(const std::string& path);
    // The console's current rack file loaded again (after the rack list or a
    // rack file was edited).
    void ReloadRack() { console_.UseRack(console_.CurrentRackFile()); }
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
    void LoadJinglePort(const std::string& path);

    TdmQelData& data_;
    PlayoutPorts& playout_;
    RackConsole& console_;
    std::vector<std::string> FRackFiles;
    std::optional<FiredCart> fired_;
};

} // namespace corvane
