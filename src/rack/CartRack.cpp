#include "rack/CartRack.h"

#include "data/ControlsSuspended.h"
#include "data/TdmQelData.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace corvane {

std::optional<std::string> HotKeyCart(char typed, const std::vector<std::string>& rackFiles) {
    if (typed < '0' || typed > '9')
        return std::nullopt;
    const auto index = static_cast<size_t>(typed - '0');
    if (index >= rackFiles.size())
        return std::nullopt;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(rackFiles[index], ec))
        return std::nullopt;
    return rackFiles[index];
}
namespace {

std::string UpperExtension(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return ext;
}

std::string CartName(const std::vector<std::string>& files, size_t index) {
    return index < files.size() ? std::filesystem::path(files[index]).filename().string() : std::string();
}

const char* TrueFalse(bool value) {
    return value ? "True" : "False";
}

} // namespace

CartRack::CartRack(TdmQelData& data, PlayoutPorts& playout, RackConsole& console)
    : data_(data), playout_(playout), console_(console) {}

void CartRack::LoadRack(const std::string& path) {
    std::error_code ec;
    if (path.empty() || !std::filesystem::is_regular_file(path, ec))
        return;
    const std::string ext = UpperExtension(path);
    if (ext == ".PLY")
        LoadPlayList(path);
    else if (ext == ".RCK")
        LoadRackFile(path);
    BuildRackDisplay();
}

// A play list names library titles: each cart is its title's file; titles
// no longer in the library are left out.
void CartRack::LoadPlayList(const std::string& path) {
    Table& list = data_.cdsAudioRack;
    list.LoadFromFile(path);
    std::vector<std::string> files;
    for (list.First(); !list.Eof(); list.Next()) {
        const Value file = data_.cdsAudioLibrary.Lookup(
            "TitleID", int64_t{list.FieldByName("TitleID").AsInteger()}, "LocalPathToFile");
        if (const auto* text = std::get_if<std::string>(&file))
            files.push_back(*text);
    }
    FRackFiles = std::move(files);
}

void CartRack::LoadRackFile(const std::string& path) {
    Table& list = data_.cdsFileList;
    list.LoadFromFile(path);
    std::vector<std::string> files;
    for (list.First(); !list.Eof(); list.Next())
        files.push_back(list.FieldByName("LocalPathToFile").AsString());
    list.Close();
    FRackFiles = std::move(files);
    ShowRackListPlace(path);
}

// The rack list follows the loaded rack; its buttons offer the rows on either side.
void CartRack::ShowRackListPlace(const std::string& path) {
    Table& rackList = data_.cdsRackList;
    if (!rackList.Active())
        return;
    ControlsSuspended suspended(rackList);
    rackList.Locate("FileList", path);
    const int count = rackList.RecordCount();
    const int place = rackList.RecNo();
    console_.EnableRackButtons(count > 0 && place != 1, count > 0 && place != count);
}

void CartRack::BuildRackDisplay() {
    Table& display = data_.cdsAudioRackDisplay;
    if (!display.Active())
        display.CreateDataSet();
    ControlsSuspended suspended(display);
    display.EmptyDataSet();
    for (int i = 0; i < DisplayRows; ++i) {
        display.Append();
        display.FieldByName("Num1").SetAsInteger(i);
        display.FieldByName("Desc1").SetAsString(CartName(FRackFiles, static_cast<size_t>(i)));
        display.FieldByName("Num2").SetAsInteger(i + DisplayRows);
        display.FieldByName("Desc2").SetAsString(CartName(FRackFiles, static_cast<size_t>(i + DisplayRows)));
        display.Post();
    }
    display.First();
}

// On air the cart joins the mix on its own port and the item on air plays on;
// off air the console is reset and the output started for the cart alone.
// The direct flag keeps the cart's end from advancing the schedule.
void CartRack::PlayCart(const std::string& path) {
    const bool onAir = playout_.OnAir();
    playout_.AddMessage(std::string("Broadcasting Live=") + TrueFalse(onAir));
    playout_.AddMessage(std::string("DirectPlayout=") + TrueFalse(playout_.DirectJinglePlayout()));
    const bool direct = !onAir;
    playout_.SetDirectJinglePlayout(direct);
    if (direct)
        playout_.ResetPlayout();
    LoadJinglePort(path);
    // On air the cart joins what the output writes next; off air the
    // output's time line starts afresh with it.
    const int64_t heardFrom = direct ? 0 : playout_.WrittenMs();
    if (direct) {
        playout_.StopOutput();
        // Stopping the output may have cleared it.
        playout_.SetDirectJinglePlayout(true);
        playout_.StartOutput();
    }
    const auto place = std::find(FRackFiles.begin(), FRackFiles.end(), path);
    if (place == FRackFiles.end()) {
        fired_.reset();
        return;
    }
    fired_ = FiredCart{static_cast<int>(place - FRackFiles.begin()), path, heardFrom,
                       playout_.PortLengthMs(PlayoutPorts::JinglePort)};
}

std::optional<CartOnAir> CartRack::PlayingCart() const {
    if (!fired_ || !playout_.OutputPlaying() || playout_.PortFile(PlayoutPorts::JinglePort) != fired_->path)
        return std::nullopt;
    const int64_t heard = std::max<int64_t>(playout_.HeardMs() - fired_->heardFromMs, 0);
    if (heard >= fired_->lengthMs)
        return std::nullopt;
    return CartOnAir{fired_->cart, static_cast<int>(fired_->lengthMs - heard)};
}

void CartRack::RackButton(int step) {
    Table& rackList = data_.cdsRackList;
    if (!rackList.Active() || rackList.IsEmpty())
        return;
    if (step < 0)
        rackList.Prior();
    else
        rackList.Next();
    const std::string description = rackList.FieldByName("Description").AsString();
    console_.SetRackCaption(description.empty() ? "Cart Rack - No Description Available" : description);
    const std::string file = rackList.FieldByName("FileList").AsString();
    if (file != console_.CurrentRackFile())
        console_.UseRack(file);
}

void CartRack::LoadJinglePort(const std::string& path) {
    constexpr int port = PlayoutPorts::JinglePort;
    playout_.HoldPort(port, true);
    try {
        playout_.LoadPort(port, path);
    } catch (...) {
        playout_.HoldPort(port, false);
        throw;
    }
    playout_.HoldPort(port, false);
}

} // namespace corvane
