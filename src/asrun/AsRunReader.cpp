#include "asrun/AsRunReader.h"

#include "asrun/AsRunJson.h"

#include <algorithm>
#include <fstream>
#include <unordered_map>

namespace corvane {

void ReadAsRunFile(const std::filesystem::path& file, AsRunRead& into) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        into.messages.push_back(file.string() + ": cannot be read");
        return;
    }
    // Ends pair with the start of the same id written before them.
    std::unordered_map<std::string, size_t> open;
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        const auto parsed = ParseAsRunLine(line);
        if (!parsed) {
            into.messages.push_back(file.string() + " line " + std::to_string(number) + ": damaged, skipped");
            continue;
        }
        const AsRunRecord& r = parsed->record;
        if (!parsed->isEnd) {
            open[r.id] = into.records.size();
            into.records.push_back(r);
            continue;
        }
        const auto it = open.find(r.id);
        if (it == open.end()) {
            into.messages.push_back(file.string() + " line " + std::to_string(number) +
                                    ": the end of a record not in the file, skipped");
            continue;
        }
        AsRunRecord& record = into.records[it->second];
        record.actualEnd = r.actualEnd;
        record.endedBy = r.endedBy;
        if (!r.reason.empty())
            record.reason = r.reason;
        open.erase(it);
    }
}

AsRunRead ReadAsRunDays(const std::filesystem::path& folder, const std::string& fromDay,
                        const std::string& toDay) {
    AsRunRead read;
    std::error_code error;
    std::vector<std::filesystem::path> days;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::filesystem::path& path = entry.path();
        const std::string day = path.stem().string();
        if (path.extension() == ".jsonl" && day.size() == 10 && day >= fromDay && day <= toDay)
            days.push_back(path);
    }
    if (error)
        read.messages.push_back(folder.string() + ": " + error.message());
    std::sort(days.begin(), days.end());
    for (const auto& day : days)
        ReadAsRunFile(day, read);
    return read;
}

} // namespace corvane
