// The library manager opening on a library of 100,000 titles: the time from
// creating the window to its first paint, and the rows the grid read to get
// there (it reads only the rows it shows); the long description line under
// each title turned on and off; then the grid grouped by artist
// (997 groups) and by title (every title a group of its own), each to its
// next paint: grouping, opening every group, a title edited while grouped
// (the grid regroups), and ending the grouping. Offscreen; run from a
// release build.
#include "data/TdmQelData.h"
#include "data/facts/AudioFileFacts.h"
#include "data/ui/TableGridModel.h"
#include "library/LibraryManager.h"
#include "library/ui/GroupedGridModel.h"
#include "library/ui/TfrmQelFileImport.h"
#include "studio/StudioSeams.h"

#include <QAction>
#include <QApplication>
#include <QTableView>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / "corvane-window-bench";
    fs::remove_all(folder);
    fs::create_directories(folder);
    corvane::StudioSeams s;
    corvane::TdmQelData data(folder.string(), "Corvane", s.studio.clock(), s.prompter, s.fileDialogs);
    data.OpenTables();
    corvane::Table& library = data.cdsAudioLibrary;
    constexpr int Titles = 100'000;
    library.DisableControls();
    for (int i = 0; i < Titles; ++i) {
        library.Append();
        library.FieldByName("TitleName").SetAsString("Title " + std::to_string((i * 7919) % Titles));
        library.FieldByName("TitleArtistName").SetAsString("Artist " + std::to_string(i % 997));
        library.FieldByName("LocalPathToFile").SetAsString("/music/" + std::to_string(i) + ".mp3");
        library.Post();
    }
    library.EnableControls();
    corvane::AudioFileFacts facts(data);

    if (std::getenv("CORVANE_BENCH_STEPS")) {
        const auto t0 = std::chrono::steady_clock::now();
        corvane::LibraryManager rules(data, facts, s.seams(), {});
        rules.Open();
        const auto t1 = std::chrono::steady_clock::now();
        corvane::TableGridModel model(library, {{"TitleID"}, {"TitleName"}}, nullptr);
        const auto t2 = std::chrono::steady_clock::now();
        library.First();
        library.Next();
        const auto t3 = std::chrono::steady_clock::now();
        std::printf("steps: open %.1f model %.1f move %.1f ms\n",
                    std::chrono::duration<double, std::milli>(t1 - t0).count(),
                    std::chrono::duration<double, std::milli>(t2 - t1).count(),
                    std::chrono::duration<double, std::milli>(t3 - t2).count());
    }
    const auto start = std::chrono::steady_clock::now();
    auto window =
        std::make_unique<corvane::TfrmQelFileImport>(data, facts, s.seams(), corvane::FileImportLinks{});
    window->show();
    window->grab();
    const auto shown = std::chrono::steady_clock::now();
    // Scrolling to the end and back reads only the rows shown.
    window->LibraryGrid().scrollToBottom();
    window->grab();
    window->LibraryGrid().scrollToTop();
    window->grab();
    const auto scrolled = std::chrono::steady_clock::now();
    const auto ms = [](auto a, auto b) { return std::chrono::duration<double, std::milli>(b - a).count(); };
    std::printf("titles %d\nopen and first paint %.1f ms\nscroll to the end and back %.1f ms\n", Titles,
                ms(start, shown), ms(shown, scrolled));

    corvane::GroupedGridModel& rows = window->LibraryRows();
    // Wall time and the process's processor time (the machine is shared).
    const auto timed = [&](const std::string& what, const std::function<void()>& step) {
        const auto before = std::chrono::steady_clock::now();
        const std::clock_t cpuBefore = std::clock();
        step();
        window->grab();
        std::printf("%-28s %7.1f ms wall %7.1f ms cpu (%d grid rows)\n", what.c_str(),
                    ms(before, std::chrono::steady_clock::now()),
                    1000.0 * static_cast<double>(std::clock() - cpuBefore) / CLOCKS_PER_SEC, rows.rowCount());
    };
    const auto editATitle = [&](const std::string& composer) {
        library.First();
        library.Edit();
        library.FieldByName("TitleComposer").SetAsString(composer);
        library.Post();
        QApplication::processEvents();
    };
    timed("edit a title, not grouped", [&] { editATitle("Composer"); });
    // The long description line under each title, on and off.
    timed("description line on", [&] { window->Command("actLongDescriptionPreview")->trigger(); });
    timed("description line off", [&] { window->Command("actLongDescriptionPreview")->trigger(); });
    // The grid's columns 3 (TitleArtistName) and 1 (TitleName).
    for (const auto& by : {std::pair{3, "artist"}, std::pair{1, "title"}}) {
        const int grouped = by.first;
        const std::string name = by.second;
        std::printf("grouped by %s:\n", name.c_str());
        timed("  group", [&] { rows.GroupBy(grouped); });
        timed("  open every group", [&] { rows.SetAllExpanded(true); });
        timed("  edit a title", [&] { editATitle("Composer " + name); });
        timed("  close every group", [&] { rows.SetAllExpanded(false); });
        timed("  open one group", [&] { rows.SetExpanded(1, true); });
        timed("  end the grouping", [&] { rows.ClearGrouping(); });
    }
    window.reset();
    return 0;
}
