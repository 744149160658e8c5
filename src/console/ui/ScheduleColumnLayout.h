#pragma once

#include <filesystem>

class QHeaderView;

namespace corvane {

class ScheduleGridModel;

// The schedule grid's own column layout: per field its position, width and
// whether it is shown, in section "Corvane_Main" of the settings file. A new
// grid shows the default columns; the operator's layout replaces them.
void ReadColumnLayout(QHeaderView& grid, const ScheduleGridModel& model,
                      const std::filesystem::path& settings);
void WriteColumnLayout(const QHeaderView& grid, const ScheduleGridModel& model,
                       const std::filesystem::path& settings);

} // namespace corvane
