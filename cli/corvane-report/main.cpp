#include "asrun/AsRunReader.h"
#include "asrun/AsRunReports.h"
#include "asrun/IsoTime.h"
#include "platform/ProgramOptions.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <system_error>
#include <unistd.h>

namespace {

constexpr const char* UsageText =
    "usage: corvane-report --folder DIR --from DATE --to DATE --kind KIND [--format csv|jsonl] [--out FILE]\n"
    "Builds a report from the as-run log of the data folder DIR (DIR/AsRun/<day>.jsonl),\n"
    "from DATE to DATE (yyyy-mm-dd, both included). KIND is one of:\n"
    "  asrun    every record (CSV, or JSON lines with --format jsonl)\n"
    "  timing   per hour: planned and actual start and end, over or under, items not played\n"
    "  royalty  one row per music title played, with its play count (CSV)\n"
    "The report goes to FILE (written whole, then put in place) or to standard output.\n"
    "Damaged lines of the log are skipped and named on standard error.\n";

int Usage(const std::string& problem) {
    std::cerr << "corvane-report: " << problem << "\n" << UsageText;
    return 2;
}

bool IsDay(const std::string& text) {
    return text.size() == 10 && corvane::ParseIsoLocal(text).has_value();
}

// Writes `text` to `path` beside it first, then renames it over: a failed
// write leaves any earlier report as it was.
bool WriteWhole(const std::filesystem::path& path, const std::string& text) {
    const std::filesystem::path temporary = path.string() + ".tmp" + std::to_string(::getpid());
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text;
        out.flush();
        if (!out) {
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            return false;
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    if (error)
        std::filesystem::remove(temporary, error);
    return !error;
}

} // namespace

int main(int argc, char** argv) {
    if (const auto status = corvane::AnswerHelpOrVersion(argc, argv, "corvane-report", UsageText, std::cout))
        return *status;
    std::map<std::string, std::string> options{{"--format", "csv"}};
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name != "--folder" && name != "--from" && name != "--to" && name != "--kind" &&
            name != "--format" && name != "--out")
            return Usage("unknown argument " + name);
        if (i + 1 >= argc)
            return Usage(name + " needs a value");
        options[name] = argv[++i];
    }
    for (const char* needed : {"--folder", "--from", "--to", "--kind"})
        if (!options.count(needed))
            return Usage(std::string(needed) + " is missing");
    const std::string from = options["--from"], to = options["--to"], kind = options["--kind"],
                      format = options["--format"];
    if (!IsDay(from) || !IsDay(to))
        return Usage("dates are yyyy-mm-dd");
    if (to < from)
        return Usage("--to is before --from");
    if (format != "csv" && format != "jsonl")
        return Usage("--format is csv or jsonl");
    if (kind == "affidavit") {
        std::cerr << "corvane-report: the affidavit report is not available in this version\n";
        return 2;
    }
    if (kind != "asrun" && kind != "timing" && kind != "royalty")
        return Usage("unknown kind " + kind);
    if (format == "jsonl" && kind != "asrun")
        return Usage("only the asrun report is written as JSON lines");

    const std::filesystem::path folder = std::filesystem::path(options["--folder"]) / "AsRun";
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) {
        std::cerr << "corvane-report: " << folder.string() << ": no as-run log in this folder\n";
        return 1;
    }
    const corvane::AsRunRead read = corvane::ReadAsRunDays(folder, from, to);
    for (const std::string& message : read.messages)
        std::cerr << "corvane-report: " << message << "\n";

    std::ostringstream report;
    if (kind == "asrun" && format == "jsonl")
        corvane::WriteAsRunJsonLines(read.records, report);
    else if (kind == "asrun")
        corvane::WriteAsRunCsv(read.records, report);
    else if (kind == "timing")
        corvane::WriteTimingCsv(read.records, report);
    else
        corvane::WriteRoyaltyCsv(read.records, report);

    if (!options.count("--out")) {
        std::cout << report.str();
        return std::cout.flush() ? 0 : 1;
    }
    if (!WriteWhole(options["--out"], report.str())) {
        std::cerr << "corvane-report: cannot write " << options["--out"] << "\n";
        return 1;
    }
    std::cerr << "corvane-report: " << read.records.size() << " records, " << kind << " report in "
              << options["--out"] << "\n";
    return 0;
}
