#include "events/EventSchedule.h"

#include "data/ControlsSuspended.h"
#include "data/TdmQelData.h"
#include "events/EventHost.h"
#include "events/EventParams.h"
#include "playlists/PlayListIntoSchedule.h"

#include <algorithm>
#include <random>
#include <stdexcept>

namespace corvane {
namespace {

namespace fs = std::filesystem;

constexpr const char* OrderField = "ItemPlayOrderAbsolute";

bool IsScheduleFile(const fs::path& file) {
    std::string extension = file.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".wsl";
}

} // namespace

EventSchedule::EventSchedule(TdmQelData& data, Seams seams, EventHost& host)
    : data_(data), seams_{seams.clock, seams.timers,      seams.dispatcher,
                          prompter_,   seams.fileDialogs, seams.shell},
      host_(host) {}

fs::path EventSchedule::Load(const fs::path& file, const fs::path& asideFolder, TDateTime now) {
    std::error_code ec;
    if (!fs::is_regular_file(file, ec))
        throw std::runtime_error("file " + file.string() + " is missing");
    Table& schedule = data_.cdsSchedule;
    // Nobody is there to load another file: one that does not read leaves
    // the running schedule as it is, instead of no schedule at all.
    if (IsScheduleFile(file)) {
        Table readable("ScheduleCheck", schedule.FieldDefinitions());
        readable.LoadFromFile(file.string());
    }
    // Exactly what the console would have asked about is written aside.
    const fs::path aside =
        schedule.Active() && schedule.ChangesPending() ? WriteAside(asideFolder, now) : fs::path();
    if (IsScheduleFile(file)) {
        host_.ReplaceSchedule(file.string());
    } else {
        PlayListLoadHost host;
        host.ShowTotalDuration = [this](int seconds) { host_.ShowScheduleTotal(seconds); };
        if (LoadPlayListIntoSchedule(data_, seams_, host, file.string()) != PlayListLoad::Loaded)
            throw std::runtime_error(prompter_.LastText());
    }
    return aside;
}

fs::path EventSchedule::WriteAside(const fs::path& folder, TDateTime now) {
    const std::string stem = ExpandDateTimePattern("unsaved-schedule-{yyyymmdd-hhnnss}", now);
    fs::path path = folder / (stem + ".wsl");
    std::error_code ec;
    for (int n = 2; fs::exists(path, ec); ++n)
        path = folder / (stem + "-" + std::to_string(n) + ".wsl");
    data_.cdsSchedule.SaveToFile(path.string());
    return path;
}

int EventSchedule::ShuffleAfter(int keptItem) {
    Table& schedule = data_.cdsSchedule;
    if (!schedule.Active() || schedule.IsEmpty())
        return 0;
    if (keptItem == 0)
        keptItem = static_cast<int>(schedule.FieldByName("ItemPlayOrder").AsInteger());
    // The rows after the kept one in play order, and their places.
    std::vector<Bookmark> rows;
    std::vector<double> places;
    bool after = false;
    for (schedule.First(); !schedule.Eof(); schedule.Next()) {
        if (after) {
            rows.push_back(schedule.GetBookmark());
            places.push_back(schedule.FieldByName(OrderField).AsFloat());
        }
        if (schedule.FieldByName("ItemPlayOrder").AsInteger() == keptItem)
            after = true;
    }
    std::shuffle(rows.begin(), rows.end(), std::mt19937(std::random_device{}()));
    // Each row takes one of the places the shuffled rows had, so the rows
    // before keep theirs and nothing is renumbered.
    ControlsSuspended suspended(schedule);
    for (size_t i = 0; i < rows.size(); ++i) {
        if (!schedule.GotoBookmark(rows[i]))
            continue;
        schedule.Edit();
        schedule.FieldByName(OrderField).SetAsFloat(places[i]);
        schedule.Post();
    }
    schedule.Locate("ItemPlayOrder", int64_t{keptItem});
    return static_cast<int>(rows.size());
}

void EventSchedule::CursorToFirstRow() {
    if (data_.cdsSchedule.Active())
        data_.cdsSchedule.First();
}

} // namespace corvane
