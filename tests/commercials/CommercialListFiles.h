#pragma once

#include "data/QelTableSchemas.h"
#include "data/Table.h"

#include <filesystem>
#include <string>
#include <vector>

namespace corvane::testing {

// One row of a commercial list: its break time, its file and its duration (s).
struct Spot {
    std::string time;
    std::string path;
    int duration = 0;
};

// Writes a commercial list file, one row per spot, each described by its
// file's name; a name ending ".xml" gives the XML form, as the store writes it.
inline void WriteCommercialList(const std::filesystem::path& path, const std::vector<Spot>& spots) {
    Table list("list", VantorAdListFields());
    list.CreateDataSet();
    for (const Spot& spot : spots) {
        list.Append();
        list.FieldByName("BOOK_TIME").SetAsString(spot.time);
        list.FieldByName("NetworkPathToFile").SetAsString(spot.path);
        list.FieldByName("Campaign_Details").SetAsString(std::filesystem::path(spot.path).stem().string());
        list.FieldByName("DURATION").SetAsInteger(spot.duration);
        list.Post();
    }
    list.SaveToFile(path.string());
}

} // namespace corvane::testing
