#pragma once

#include "audio/decks/DeckFixtures.h"
#include "data/TdmQelData.h"
#include "studio/StudioSeams.h"

#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace corvane::test {

// A data module in a scratch program folder with its tables open, and a
// library whose titles are "title 1" … with files in that folder.
class PlayListFixture : public ::testing::Test {
protected:
    PlayListFixture() { data.OpenTables(); }

    std::string Path(const std::string& name) const { return folder.File(name); }

    // Adds a title (TitleID given by the library's rule: one more than the
    // largest) whose file exists unless told otherwise; returns its TitleID.
    enum class FileThere { Yes, No };
    int64_t AddTitle(const std::string& name, FileThere file = FileThere::Yes, double durationDays = 0.0) {
        const std::string path = Path(name + ".wav");
        if (file == FileThere::Yes)
            std::ofstream(path, std::ios::binary) << "audio";
        Table& library = data.cdsAudioLibrary;
        library.Append();
        library.FieldByName("TitleName").SetAsString(name);
        library.FieldByName("LocalPathToFile").SetAsString(path);
        if (durationDays > 0)
            library.FieldByName("TitleDuration").SetAsDateTime(durationDays);
        library.Post();
        return library.FieldByName("TitleID").AsLargeInt();
    }
    std::vector<int64_t> AddTitles(int count) {
        std::vector<int64_t> ids;
        for (int i = 1; i <= count; ++i)
            ids.push_back(AddTitle("title " + std::to_string(i)));
        return ids;
    }

    // The TitleIDs of a table's rows in its current order.
    static std::vector<int64_t> TitleIds(Table& table) {
        std::vector<int64_t> ids;
        for (table.First(); !table.Eof(); table.Next())
            ids.push_back(table.FieldByName("TitleID").IsNull() ? -1
                                                                : table.FieldByName("TitleID").AsLargeInt());
        return ids;
    }
    static std::vector<std::string> TitleNames(Table& table) {
        std::vector<std::string> names;
        for (table.First(); !table.Eof(); table.Next())
            names.push_back(table.FieldByName("TitleName").AsString());
        return names;
    }

    // Writes a play list file naming these titles, in this order.
    void WritePlayList(const std::string& path, const std::vector<int64_t>& ids) {
        Table& playList = data.cdsPlayList;
        playList.EmptyDataSet();
        for (int64_t id : ids) {
            playList.Append();
            playList.FieldByName("TitleID").SetAsInteger(id);
            playList.Post();
        }
        playList.SaveToFile(path);
        playList.EmptyDataSet();
    }

    std::vector<std::string> MessageTexts() const {
        std::vector<std::string> texts;
        for (const auto& m : seams.prompter.Messages())
            texts.push_back(m.text);
        return texts;
    }

    ScratchFolder folder;
    StudioSeams seams;
    TdmQelData data{folder.Path(), "Corvane", seams.studio.clock(), seams.prompter, seams.fileDialogs};
};

} // namespace corvane::test
