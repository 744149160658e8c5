#include "ScheduleTool.h"

#include "data/AtomicFile.h"
#include "data/DataErrors.h"
#include "data/QelTableSchemas.h"
#include "data/TdmQelData.h"
#include "scheduling/DayScheduleFile.h"
#include "scheduling/ScheduleCheck.h"
#include "scheduling/ScheduleGenerator.h"
#include "scheduling/ScheduleReport.h"
#include "scheduling/SchedulingFormatFile.h"
#include "scheduling/SchedulingLibrary.h"
#include "studio/StudioSeams.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <sstream>
#include <unordered_map>

namespace corvane::schedule {
namespace {

namespace fs = std::filesystem;

// How many days before the first one generated are read back as history.
constexpr int HistoryDays = 7;

struct Options {
    std::map<std::string, std::string> given;
    bool Has(const std::string& name) const { return given.count(name) != 0; }
    const std::string& operator[](const std::string& name) const { return given.at(name); }
};

std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::ostream& err) {
    static const char* const Known[] = {"--folder", "--from", "--days", "--format", "--seed", "--check"};
    Options options;
    for (size_t i = 0; i < args.size(); i += 2) {
        const bool known = std::find(std::begin(Known), std::end(Known), args[i]) != std::end(Known);
        if (!known || i + 1 >= args.size()) {
            err << "corvane-schedule: " << (known ? args[i] + " wants a value" : "unknown option " + args[i])
                << "\n"
                << Usage;
            return std::nullopt;
        }
        if (!options.given.emplace(args[i], args[i + 1]).second) {
            err << "corvane-schedule: " << args[i] << " is given twice\n" << Usage;
            return std::nullopt;
        }
    }
    return options;
}

// "2026-12-14" as the TDateTime of its midnight; nothing for a day that does not exist.
std::optional<TDateTime> ParseDate(const std::string& text) {
    int year = 0, month = 0, day = 0;
    char rest = 0;
    if (text.size() != 10 || std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &year, &month, &day, &rest) != 3 ||
        text[4] != '-' || text[7] != '-' || year < 1900 || year > 9999)
        return std::nullopt;
    const CivilDateTime civil{year, month, day, 0, 0, 0, 0};
    if (month < 1 || month > 12 || day < 1 || day > 31)
        return std::nullopt;
    const TDateTime date = EncodeDateTime(civil);
    if (DecodeDateTime(date) != civil)
        return std::nullopt;
    return date;
}

std::optional<int64_t> ParseWhole(const std::string& text, int64_t lowest, int64_t highest) {
    int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < lowest || value > highest)
        return std::nullopt;
    return value;
}

// The format, or nothing after telling each problem as FILE:LINE: reason.
std::optional<SchedulingFormat> ReadFormat(const fs::path& path, std::ostream& err) {
    FormatReading reading = ReadSchedulingFormatFile(path);
    for (const FormatProblem& problem : reading.problems) {
        err << "corvane-schedule: " << path.string();
        if (problem.line > 0)
            err << ":" << problem.line;
        err << ": " << problem.message << "\n";
    }
    if (!reading.problems.empty())
        return std::nullopt;
    return std::move(reading.format);
}

void WriteTextFile(const fs::path& path, const std::string& content) {
    WriteFileAtomically(path.string(), [&](const std::string& temp) { WriteNewFile(temp, content); });
}

// Days already in the Logs folder before the first day count as history, so
// a week generated after last week keeps its separations across the join.
void AddEarlierDays(ScheduleGenerator& generator, TdmQelData& data, const fs::path& folder, TDateTime from,
                    const std::unordered_map<int64_t, int>& byTitleId, std::ostream& err) {
    for (int back = HistoryDays; back >= 1; --back) {
        const TDateTime date = from - back;
        const fs::path path = DaySchedulePath(folder, date);
        if (!fs::exists(path))
            continue;
        try {
            data.cdsSchedule.LoadFromFile(path.string());
        } catch (const std::exception& e) {
            err << "corvane-schedule: " << e.what() << " (not counted as history)\n";
            continue;
        }
        const std::vector<double> starts = PlannedStarts(data.cdsSchedule, date);
        const std::vector<SchedulingTitle> rows = SchedulingTitlesOf(data.cdsSchedule, date);
        for (size_t r = 0; r < rows.size(); ++r) {
            const auto it = byTitleId.find(rows[r].titleId);
            if (it != byTitleId.end())
                generator.AddHistory(it->second, starts[r] - back * SecondsPerDay);
        }
    }
}

int Generate(const Options& options, std::ostream& out, std::ostream& err) {
    if (!options.Has("--folder") || !options.Has("--from") || !options.Has("--days")) {
        err << "corvane-schedule: --folder, --from and --days are needed to generate days\n" << Usage;
        return BadInput;
    }
    const fs::path folder = options["--folder"];
    const std::optional<TDateTime> from = ParseDate(options["--from"]);
    if (!from) {
        err << "corvane-schedule: --from wants YYYY-MM-DD of a day that exists, not \"" << options["--from"]
            << "\"\n";
        return BadInput;
    }
    const std::optional<int64_t> days = ParseWhole(options["--days"], 1, 366);
    if (!days) {
        err << "corvane-schedule: --days wants a number of days from 1 to 366, not \"" << options["--days"]
            << "\"\n";
        return BadInput;
    }
    const std::optional<int64_t> seed =
        options.Has("--seed") ? ParseWhole(options["--seed"], 0, INT64_MAX) : std::optional<int64_t>(1);
    if (!seed) {
        err << "corvane-schedule: --seed wants a whole number, not \"" << options["--seed"] << "\"\n";
        return BadInput;
    }
    if (!fs::is_directory(folder)) {
        err << "corvane-schedule: " << folder.string() << " is not a folder\n";
        return BadInput;
    }
    const std::optional<SchedulingFormat> format = ReadFormat(
        options.Has("--format") ? fs::path(options["--format"]) : folder / SchedulingFormatFileName, err);
    if (!format)
        return BadInput;

    StudioSeams seams;
    TdmQelData data(folder.string(), "corvane-schedule", seams.studio.clock(), seams.prompter,
                    seams.fileDialogs);
    Table& library = data.cdsAudioLibrary;
    // Read only: a console may be running on the folder.
    library.SetWriteOnClose(WriteOnClose::No);
    const fs::path libraryPath = library.FileName();
    if (!fs::exists(libraryPath)) {
        err << "corvane-schedule: " << libraryPath.string() << ": there is no library to schedule from\n";
        return BadInput;
    }
    try {
        library.Open();
    } catch (const ETableFileError& e) {
        err << "corvane-schedule: " << e.what() << "\n";
        return BadInput;
    }
    const std::vector<SchedulingTitle> titles = SchedulingTitlesOf(library, *from);
    std::unordered_map<int64_t, int> byTitleId;
    for (size_t i = 0; i < titles.size(); ++i)
        byTitleId.emplace(titles[i].titleId, static_cast<int>(i));

    const int firstWeekday = DayOfWeek(*from) - 1; // 0 = Sunday
    ScheduleGenerator generator(titles, *format, firstWeekday, static_cast<uint64_t>(*seed));
    AddEarlierDays(generator, data, folder, *from, byTitleId, err);

    int status = AllKept;
    for (int64_t d = 0; d < *days; ++d) {
        const TDateTime date = *from + static_cast<double>(d);
        const GeneratedDay day = generator.GenerateNextDay();
        const fs::path path = DaySchedulePath(folder, date);
        WriteDaySchedule(day, library, data.cdsSchedule, date, path);
        std::ostringstream text, csv;
        WriteReportText(text, DayText(date), day, titles, *format);
        WriteReportCsv(csv, day, titles);
        WriteTextFile(fs::path(path).replace_extension(".txt"), text.str());
        WriteTextFile(fs::path(path).replace_extension(".csv"), csv.str());
        out << DaySummaryLine(DayText(date), day, *format) << "\n";
        out.flush();
        if (!day.unfilled.empty() || day.RelaxedItems() > 0)
            status = SomethingReported;
    }
    return status;
}

// The library's codes and dayparts for the schedule's rows, by TitleID: the
// schedule itself does not carry them.
void AddLibraryCodes(const fs::path& folder, std::vector<SchedulingTitle>& rows, std::ostream& err) {
    Table library("cdsAudioLibrary", AudioLibraryFields());
    const fs::path path = folder / TdmQelData::AudioLibraryFile;
    if (!fs::exists(path))
        return;
    try {
        library.LoadFromFile(path.string());
    } catch (const ETableFileError& e) {
        err << "corvane-schedule: " << e.what() << " (codes and dayparts not checked)\n";
        return;
    }
    std::unordered_map<int64_t, SchedulingTitle> byId;
    for (SchedulingTitle& title : SchedulingTitlesOf(library, 0))
        byId.emplace(title.titleId, std::move(title));
    for (SchedulingTitle& row : rows) {
        const auto it = byId.find(row.titleId);
        if (it == byId.end())
            continue;
        row.codes = it->second.codes;
        row.firstHour = it->second.firstHour;
        row.endHour = it->second.endHour;
    }
}

int Check(const Options& options, std::ostream& out, std::ostream& err) {
    const fs::path file = options["--check"];
    // A day in the console's Logs folder belongs to the data folder above it.
    const fs::path folder = options.Has("--folder")                   ? fs::path(options["--folder"])
                            : file.parent_path().filename() == "Logs" ? file.parent_path().parent_path()
                                                                      : file.parent_path();
    const std::optional<SchedulingFormat> format = ReadFormat(
        options.Has("--format") ? fs::path(options["--format"]) : folder / SchedulingFormatFileName, err);
    if (!format)
        return BadInput;
    Table schedule("cdsSchedule", ScheduleFields());
    try {
        schedule.LoadFromFile(file.string());
    } catch (const ETableFileError& e) {
        err << "corvane-schedule: " << e.what() << "\n";
        return BadInput;
    }
    // The day is the file's name when it is one, else the first row's.
    TDateTime date = 0;
    if (const auto named = ParseDate(file.stem().string()))
        date = *named;
    else if (schedule.First(); !schedule.Eof() && !schedule.FieldByName("ScheduleStart").IsNull())
        date = std::floor(schedule.FieldByName("ScheduleStart").AsDateTime());
    const std::vector<double> starts = PlannedStarts(schedule, date);
    std::vector<SchedulingTitle> rows = SchedulingTitlesOf(schedule, date);
    AddLibraryCodes(folder, rows, err);
    const std::vector<ScheduleViolation> violations = CheckDaySchedule(rows, starts, *format);
    for (const ScheduleViolation& v : violations)
        out << file.string() << ": row " << v.row << " (" << TimeOfDayText(v.start) << ") \"" << v.title
            << "\" breaks " << RuleName(v.rule) << "\n";
    out << file.string() << ": " << rows.size() << " rows, " << violations.size() << " violations\n";
    return violations.empty() ? AllKept : SomethingReported;
}

} // namespace

int RunScheduleTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const std::optional<Options> options = ParseOptions(args, err);
    if (!options)
        return BadInput;
    if (options->Has("--check")) {
        if (options->Has("--from") || options->Has("--days") || options->Has("--seed")) {
            err << "corvane-schedule: --check takes only --format and --folder besides\n" << Usage;
            return BadInput;
        }
        return Check(*options, out, err);
    }
    return Generate(*options, out, err);
}

} // namespace corvane::schedule
