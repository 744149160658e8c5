#include "scheduling/DayScheduleFile.h"

#include "data/Table.h"

#include <cmath>
#include <cstdio>
#include <map>

namespace corvane {

std::string DayText(TDateTime date) {
    const CivilDateTime day = DecodeDateTime(date);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", day.year, day.month, day.day);
    return text;
}

std::filesystem::path DaySchedulePath(const std::filesystem::path& dataFolder, TDateTime date) {
    return dataFolder / "Logs" / (DayText(date) + ".wsl");
}

void WriteDaySchedule(const GeneratedDay& day, Table& library, Table& schedule, TDateTime date,
                      const std::filesystem::path& path) {
    // Only the rows the day uses are copied out of the library, in one pass.
    std::map<int, std::vector<Value>> rows;
    for (const ScheduledItem& item : day.items) {
        if (item.titleIndex >= 0)
            rows[item.titleIndex];
    }
    int index = 0;
    for (library.First(); !library.Eof() && !rows.empty(); library.Next(), ++index) {
        const auto it = rows.find(index);
        if (it == rows.end())
            continue;
        for (int f = 0; f < library.FieldCount(); ++f)
            it->second.push_back(library.FieldAt(f).AsVariant());
    }
    // Each schedule field and the library field of the same name (-1: none).
    std::vector<std::pair<int, int>> copied;
    for (int f = 0; f < schedule.FieldCount(); ++f) {
        const int from = library.FieldIndex(schedule.FieldAt(f).FieldName());
        if (from >= 0)
            copied.emplace_back(f, from);
    }
    schedule.CreateDataSet();
    for (const ScheduledItem& item : day.items) {
        const auto row = rows.find(item.titleIndex);
        if (row == rows.end() || row->second.empty())
            continue;
        schedule.Append();
        for (const auto& [to, from] : copied)
            schedule.FieldAt(to).SetAsVariant(row->second[static_cast<size_t>(from)]);
        schedule.FieldByName("ScheduleStart").SetAsDateTime(date + item.start / SecondsPerDay);
        schedule.FieldByName("ScheduleFinish")
            .SetAsDateTime(date + (item.start + item.length) / SecondsPerDay);
        schedule.Post();
    }
    std::filesystem::create_directories(path.parent_path());
    schedule.SaveToFile(path.string());
}

std::vector<double> PlannedStarts(Table& schedule, TDateTime date) {
    std::vector<double> starts;
    const int start = schedule.FieldIndex("ScheduleStart");
    const int duration = schedule.FieldIndex("TitleDuration");
    double next = 0;
    for (schedule.First(); !schedule.Eof(); schedule.Next()) {
        double at = next;
        if (start >= 0 && !schedule.FieldAt(start).IsNull())
            at = (schedule.FieldAt(start).AsDateTime() - date) * SecondsPerDay;
        // The date-time keeps milliseconds: the rounding brings back the
        // seconds it was written from.
        at = std::round(at * 1000.0) / 1000.0;
        starts.push_back(at);
        next = at + (duration < 0 ? 0 : schedule.FieldAt(duration).AsFloat() * SecondsPerDay);
    }
    return starts;
}

} // namespace corvane
