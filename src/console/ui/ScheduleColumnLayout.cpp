#include "console/ui/ScheduleColumnLayout.h"

#include "console/ui/ScheduleGridModel.h"
#include "settings/IniFile.h"

#include <QHeaderView>
#include <QStringList>
#include <algorithm>
#include <utility>
#include <vector>

namespace corvane {
namespace {

constexpr const char* ColumnLayoutSection = "Corvane_Main";

// The columns a new grid shows; the operator's own layout replaces this.
const QStringList DefaultColumns = {"TitleName",  "TitleArtistName", "TitleAlbum", "TitleDuration",
                                    "ObjectType", "TimesPlayed",     "LastPlayed", "LocalPathToFile"};

} // namespace

void ReadColumnLayout(QHeaderView& grid, const ScheduleGridModel& model,
                      const std::filesystem::path& settings) {
    const IniFile ini = IniFile::Load(settings);
    QHeaderView* header = &grid;
    for (int column = 0; column < model.columnCount(); ++column)
        header->setSectionHidden(column, !DefaultColumns.contains(model.ColumnField(column)));
    // Positions are taken from the lowest up, so each move leaves the earlier ones in place.
    std::vector<std::pair<int, int>> positions;
    for (int column = 0; column < model.columnCount(); ++column) {
        const QStringList parts =
            QString::fromStdString(
                ini.ReadString(ColumnLayoutSection, model.ColumnField(column).toStdString(), ""))
                .split(',');
        if (parts.size() != 3)
            continue;
        bool positionOk = false, widthOk = false;
        const int position = parts[0].toInt(&positionOk);
        const int width = parts[1].toInt(&widthOk);
        if (positionOk && position >= 0 && position < header->count())
            positions.emplace_back(position, column);
        if (widthOk && width > 0 && width < 10000)
            header->resizeSection(column, width);
        header->setSectionHidden(column, parts[2].trimmed() == "0");
    }
    std::sort(positions.begin(), positions.end());
    for (const auto& [position, column] : positions)
        header->moveSection(header->visualIndex(column), position);
}

void WriteColumnLayout(const QHeaderView& grid, const ScheduleGridModel& model,
                       const std::filesystem::path& settings) {
    IniFile ini = IniFile::Load(settings);
    const QHeaderView* header = &grid;
    for (int column = 0; column < model.columnCount(); ++column) {
        const QString value = QString("%1,%2,%3")
                                  .arg(header->visualIndex(column))
                                  .arg(header->sectionSize(column))
                                  .arg(header->isSectionHidden(column) ? 0 : 1);
        ini.WriteString(ColumnLayoutSection, model.ColumnField(column).toStdString(), value.toStdString());
    }
    ini.Save(settings);
}

} // namespace corvane
