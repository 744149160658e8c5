#include "data/TableAutosave.h"
#include "data/TableFile.h"
#include "data/TdmQelData.h"
#include "studio/StudioSeams.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

// A library larger than one turn's slice is copied over several main-thread
// turns. A title changed between two turns starts the copy again, so the file
// holds one moment of the library: here, the one after the change.
TEST(TableAutosave, ACopySpreadOverTurnsIsOfOneMoment) {
    TempFolder folder;
    StudioSeams seams;
    TdmQelData data(folder.Path(), "Corvane", seams.studio.clock(), seams.prompter, seams.fileDialogs);
    data.OpenTables();
    TableAutosave autosave(data, seams.studio);
    Table& library = data.cdsAudioLibrary;
    const int titles = static_cast<int>(2 * TableAutosave::RowsPerTurn + 100);
    library.DisableControls();
    for (int i = 0; i < titles; ++i) {
        library.Append();
        library.FieldByName("TitleName").SetAsString("Title " + std::to_string(i));
        library.Post();
    }
    library.EnableControls();

    ASSERT_EQ(autosave.WriteChanged(), 1);
    EXPECT_EQ(autosave.WriteChanged(), 0) << "one copy of a table at a time";
    // Between two turns the first title, already copied, is renamed.
    library.First();
    library.Edit();
    library.FieldByName("TitleName").SetAsString("Renamed");
    library.Post();
    seams.studio.Run(1);
    autosave.Finish();

    const TableStorage written = ReadTableFile(library.FileName());
    ASSERT_EQ(written.rows.size(), static_cast<size_t>(titles));
    const int name = library.FieldIndex("TitleName");
    EXPECT_EQ(std::get<std::string>(written.rows.front()->values[static_cast<size_t>(name)]), "Renamed");
    EXPECT_EQ(autosave.WriteChanged(), 0) << "the file holds the library as it is";
}

} // namespace
} // namespace corvane
