#include "playlists/ScheduleEditor.h"

#include "data/ControlsSuspended.h"
#include "data/DataErrors.h"
#include "data/DateTimeText.h"
#include "data/TdmQelData.h"
#include "data/facts/AudioFileFacts.h"
#include "platform/ExceptionGuard.h"
#include "playlists/TableScopes.h"
#include "playlists/UnsavedScheduleQuestion.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <limits>
#include <system_error>

namespace corvane {
namespace {

namespace fs = std::filesystem;

constexpr const char* ItemOrderField = "ItemPlayOrderAbsolute";
constexpr const char* ItemOrderIndex = "ixItemOrder";

// The play position of the current row, as the single-precision float the
// schedule's arithmetic has always used.
float ItemOrder(Table& schedule) {
    return schedule.IsEmpty() ? 0.0f : static_cast<float>(schedule.FieldByName(ItemOrderField).AsFloat());
}

// The playing time of every row the schedule holds, whatever its filter
// shows (seconds). Opening a table starts the running total from zero, which
// would leave a loaded schedule showing no time at all and make each later
// delete drive the total below zero.
int64_t StoredTotalMs(Table& schedule) {
    Table rows(schedule.Name() + "Total");
    rows.CloneCursor(schedule);
    rows.SetFiltered(false);
    int64_t total = 0;
    for (rows.First(); !rows.Eof(); rows.Next())
        total += ScheduleRowMs(rows);
    return std::clamp<int64_t>(total, 0, int64_t{std::numeric_limits<int>::max()} * 1000);
}

std::string LowerExtension(const std::string& path) {
    std::string ext = fs::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext;
}

// "hh:nn:ss", "hh:mm:ss" (minutes after hours) and "nn:ss" as a duration.
std::string FormatDuration(TDateTime t, const std::string& format) {
    const auto totalSeconds = static_cast<int64_t>(std::llround(std::fabs(t) * SecondsPerDay));
    const int64_t h = totalSeconds / 3600, m = totalSeconds / 60 % 60, s = totalSeconds % 60;
    char text[32];
    if (format == "nn:ss")
        std::snprintf(text, sizeof text, "%02lld:%02lld", static_cast<long long>(m),
                      static_cast<long long>(s));
    else
        std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", static_cast<long long>(h),
                      static_cast<long long>(m), static_cast<long long>(s));
    return text;
}

ExportTable::Cell ExportCell(Field& field) {
    if (field.IsNull())
        return {};
    const FieldDef& def = field.Def();
    switch (def.type) {
    case FieldType::Integer:
    case FieldType::LargeInt:
    case FieldType::AutoInc:
        return {std::to_string(field.AsLargeInt()), true};
    case FieldType::Float: {
        char text[32];
        std::snprintf(text, sizeof text, "%.10g", field.AsFloat());
        return {text, true};
    }
    case FieldType::DateTime:
    case FieldType::Time:
        if (def.displayFormat == "nn:ss" || def.displayFormat == "hh:nn:ss" ||
            def.displayFormat == "hh:mm:ss")
            return {FormatDuration(field.AsDateTime(), def.displayFormat), false};
        return {FormatLocalDateTime(field.AsDateTime()), false};
    case FieldType::Date:
        return {FormatLocalDate(field.AsDateTime()), false};
    default:
        return {field.AsString(), false};
    }
}

} // namespace

ScheduleEditor::ScheduleEditor(TdmQelData& data, AudioFileFacts& facts, Seams seams, ScheduleEditorHost& host)
    : data_(data), facts_(facts), seams_(seams), host_(host),
      setBusy_([&host](bool busy) { host.SetBusy(busy); }) {}

void ScheduleEditor::ShowTotal() {
    host_.ShowTotalDuration(static_cast<int>(data_.ScheduleTotalMs / 1000));
}

void ScheduleEditor::KeepResponsive() {
    host_.KeepResponsive();
}

void ScheduleEditor::EnableMovingWhenRowsAdded() {
    if (!host_.MoveCommandsEnabled() && data_.cdsSchedule.RecordCount() > 1)
        host_.EnableMoveCommands();
}

void ScheduleEditor::SetCutPaste(bool cut, bool paste) {
    cutEnabled_ = cut;
    pasteEnabled_ = paste;
    host_.CutPasteChanged();
}

bool ScheduleEditor::FileExists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::exists(path, ec) && !fs::is_directory(path, ec);
}

void ScheduleEditor::OpenClipSchedule() {
    if (!data_.ClipSchedule.Active())
        data_.ClipSchedule.CreateDataSet();
}

bool ScheduleEditor::LoadScheduleFile(std::optional<std::string> path, LoadOrigin origin) {
    Table& schedule = data_.cdsSchedule;
    if (origin != LoadOrigin::Event && !MayReplaceSchedule(schedule, seams_.prompter))
        return false;
    if (!path) {
        FileDialogRequest request;
        request.filter = ScheduleFileFilter;
        request.defaultExtension = "*.wsl";
        request.initialFolder = data_.ApplicationFolder();
        path = seams_.fileDialogs.OpenFile(request);
        if (!path)
            return false;
    }
    schedule.SetIndexName("");
    try {
        schedule.LoadFromFile(*path);
    } catch (...) {
        // An unreadable file leaves no schedule at all rather than a stale one
        // the operator might take for the file's.
        if (schedule.Active())
            schedule.Close();
        if (origin != LoadOrigin::Toolbar)
            throw;
        // The operator's own choice: what is wrong with the file is theirs to see.
        seams_.prompter.Show("Unable to open the schedule " + *path + "\r\n" +
                                 ExceptionMessage(std::current_exception()),
                             MessageType::Information, MessageButtons::Ok);
        return false;
    }
    const auto& indexes = schedule.Indexes();
    if (std::none_of(indexes.begin(), indexes.end(),
                     [](const IndexDef& i) { return i.name == ItemOrderIndex; }))
        schedule.AddIndex({ItemOrderIndex, ItemOrderField});
    schedule.SetIndexName(ItemOrderIndex);
    data_.ScheduleTotalMs = StoredTotalMs(schedule);
    host_.SetLastScheduleLocation(*path);
    if (origin == LoadOrigin::Toolbar)
        host_.SetOnAirFalse();
    ShowTotal();
    return true;
}

bool ScheduleEditor::SaveScheduleFile() {
    FileDialogRequest request;
    request.title = "Save Current Schedule";
    request.filter = ScheduleFileFilter;
    request.defaultExtension = "*.wsl";
    const auto path = seams_.fileDialogs.SaveFile(request);
    if (!path)
        return false;
    BusyScope busy(setBusy_);
    data_.cdsSchedule.SaveToFile(*path);
    return true;
}

void ScheduleEditor::ClearSchedule() {
    if (seams_.prompter.Show("Are you sure you want to clear the schedule, all changes will be lost?",
                             MessageType::Warning, MessageButtons::YesNo) == MessageAnswer::Yes) {
        if (data_.cdsSchedule.Active())
            data_.cdsSchedule.EmptyDataSet();
        data_.ScheduleTotalMs = 0;
        ShowTotal();
    }
    host_.RefreshCommands();
}

void ScheduleEditor::MoveScheduleRowUp() {
    MoveScheduleRow(MoveDirection::Up);
}

void ScheduleEditor::MoveScheduleRowDown() {
    MoveScheduleRow(MoveDirection::Down);
}

void ScheduleEditor::MoveScheduleRow(MoveDirection direction) {
    Table& schedule = data_.cdsSchedule;
    if (schedule.IsEmpty())
        return;
    if (schedule.IndexFieldNames() != ItemOrderField)
        schedule.SetIndexFieldNames(ItemOrderField);
    ControlsSuspended suspended(schedule);
    const bool up = direction == MoveDirection::Up;
    const Bookmark row = schedule.GetBookmark();
    up ? schedule.Prior() : schedule.Next();
    const float neighbour = ItemOrder(schedule);
    up ? schedule.Prior() : schedule.Next();
    float beyond = ItemOrder(schedule);
    schedule.GotoBookmark(row);
    // Equal values: the second step could not move, the neighbour is at the
    // end of the schedule.
    float value;
    if (up) {
        if (beyond == neighbour)
            beyond = 0.0f;
        value = beyond + (neighbour - beyond) / 2.0f;
    } else {
        if (beyond == neighbour)
            beyond = neighbour + 1.0f;
        value = neighbour + (beyond - neighbour) / 2.0f;
    }
    schedule.Edit();
    schedule.FieldByName(ItemOrderField).SetAsFloat(value);
    schedule.Post();
}

void ScheduleEditor::CopyRowToTable(Table& source, Table& destination) {
    if (!source.Active() || source.IsEmpty())
        return;
    destination.Append();
    try {
        for (int i = 0; i < source.FieldCount(); ++i) {
            Field& from = source.FieldAt(i);
            Field* to = destination.FindField(from.FieldName());
            if (!to || to->Kind() != FieldKind::Data || to->DataType() == FieldType::AutoInc)
                continue;
            if (from.IsNull())
                to->Clear();
            else
                to->SetAsVariant(from.AsVariant());
        }
        destination.Post();
    } catch (...) {
        if (destination.State() == TableState::Insert)
            destination.Cancel();
        throw;
    }
}

void ScheduleEditor::CutScheduleRows(const std::vector<Bookmark>& selected) {
    Table& schedule = data_.cdsSchedule;
    struct Finish {
        ScheduleEditor& editor;
        ~Finish() {
            editor.host_.ClearScheduleSelection();
            editor.SetCutPaste(false, true);
        }
    };
    ControlsSuspended suspended(schedule);
    Finish finish{*this};
    OpenClipSchedule();
    if (selected.empty())
        return;
    for (const Bookmark row : selected) {
        if (!schedule.GotoBookmark(row))
            continue;
        if (FileExists(schedule.FieldByName("LocalPathToFile").AsString()))
            CopyRowToTable(schedule, data_.ClipSchedule);
        schedule.Delete();
    }
    ShowTotal();
}

void ScheduleEditor::PasteScheduleRows() {
    Table& schedule = data_.cdsSchedule;
    Table& clip = data_.ClipSchedule;
    // A schedule left closed by a failed load has no place for the rows: they
    // stay in the clip table until a schedule is there again.
    if (!schedule.Active())
        return;
    ControlsSuspended suspended(schedule);
    OpenClipSchedule();
    const Bookmark row = schedule.IsEmpty() ? 0 : schedule.GetBookmark();
    struct Finish {
        ScheduleEditor& editor;
        Bookmark row;
        ~Finish() {
            editor.host_.ClearScheduleSelection();
            if (editor.data_.ClipSchedule.Active())
                editor.data_.ClipSchedule.Close();
            editor.SetCutPaste(true, false);
            editor.ShowTotal();
            if (row)
                editor.data_.cdsSchedule.GotoBookmark(row);
        }
    } finish{*this, row};

    const float p = ItemOrder(schedule);
    schedule.Prior();
    float q = ItemOrder(schedule);
    if (q == p)
        q = p - 1.0f;
    const float step = (p - q) / static_cast<float>(clip.RecordCount() + 1);
    {
        ControlsSuspended clipSuspended(clip);
        int i = 1;
        for (clip.First(); !clip.Eof(); clip.Next(), ++i) {
            clip.Edit();
            clip.FieldByName(ItemOrderField).SetAsFloat(static_cast<float>(i) * step + q);
            clip.Post();
        }
    }
    while (!clip.IsEmpty()) {
        clip.First();
        if (FileExists(clip.FieldByName("LocalPathToFile").AsString()))
            CopyRowToTable(clip, schedule);
        clip.Delete();
    }
}

void ScheduleEditor::DeleteCurrentRow() {
    try {
        if (data_.cdsSchedule.Active() && !data_.cdsSchedule.IsEmpty()) {
            data_.cdsSchedule.Delete();
            ShowTotal();
        }
    } catch (const std::exception&) {
        // A failed delete leaves the row; the operator sees it still there.
    }
}

void ScheduleEditor::AddTitlesToSchedule(const std::vector<Bookmark>& selectedLibraryRows,
                                         const std::function<void()>& clearGridSelection) {
    Table& library = data_.cdsAudioLibrary;
    Table& schedule = data_.cdsSchedule;
    BusyScope busy(setBusy_);
    ControlsSuspended scheduleSuspended(schedule);
    ControlsSuspended librarySuspended(library);
    const Bookmark libraryRow = library.IsEmpty() ? 0 : library.GetBookmark();
    const Bookmark scheduleRow = schedule.IsEmpty() ? 0 : schedule.GetBookmark();
    struct Finish {
        ScheduleEditor& editor;
        Bookmark libraryRow, scheduleRow;
        const std::function<void()>& clearGridSelection;
        bool hadSelection;
        ~Finish() {
            if (hadSelection && clearGridSelection)
                clearGridSelection();
            if (libraryRow)
                editor.data_.cdsAudioLibrary.GotoBookmark(libraryRow);
            if (scheduleRow)
                editor.data_.cdsSchedule.GotoBookmark(scheduleRow);
            editor.ShowTotal();
            editor.EnableMovingWhenRowsAdded();
        }
    } finish{*this, libraryRow, scheduleRow, clearGridSelection, !selectedLibraryRows.empty()};

    auto addCurrent = [&] {
        if (FileExists(library.FieldByName("LocalPathToFile").AsString()))
            CopyRowToTable(library, schedule);
    };
    if (selectedLibraryRows.empty()) {
        if (libraryRow)
            addCurrent();
        return;
    }
    for (const Bookmark row : selectedLibraryRows) {
        if (library.GotoBookmark(row))
            addCurrent();
        KeepResponsive();
    }
}

void ScheduleEditor::AddFileToSchedule(const std::string& path) {
    Table& schedule = data_.cdsSchedule;
    schedule.Insert();
    try {
        schedule.FieldByName("LocalPathToFile").SetAsString(path);
        schedule.FieldByName("TitleName").SetAsString(fs::path(path).filename().string());
        schedule.FieldByName("TitleDescription").SetAsString(path);
        schedule.FieldByName("TitleDuration").SetAsDateTime(facts_.GetFileDuration(path));
        if (LowerExtension(path) == ".mp3")
            if (const auto tag = facts_.ReadMp3Tag(path))
                ApplyMp3Tag(schedule, *tag);
        schedule.Post();
    } catch (...) {
        if (schedule.State() == TableState::Insert)
            schedule.Cancel();
        throw;
    }
    ShowTotal();
    EnableMovingWhenRowsAdded();
}

void ScheduleEditor::AddFilesFromFolder(const std::string& folder,
                                        const std::vector<std::string>& fileNames) {
    if (fileNames.empty())
        return;
    BusyScope busy(setBusy_);
    // The grid shows the added rows once, not after every file.
    ControlsSuspended suspended(data_.cdsSchedule);
    const bool endsWithSeparator = !folder.empty() && folder.back() == '/';
    for (const auto& name : fileNames) {
        AddFileToSchedule(endsWithSeparator ? folder + name : folder + "/" + name);
        KeepResponsive();
    }
    ShowTotal();
}

int ScheduleEditor::AddDroppedFiles(const std::vector<std::string>& paths) {
    BusyScope busy(setBusy_);
    ControlsSuspended suspended(data_.cdsSchedule);
    int added = 0;
    for (const auto& path : paths) {
        const std::string ext = LowerExtension(path);
        if (ext == ".wav" || ext == ".mp3") {
            AddFileToSchedule(path);
            ++added;
            KeepResponsive();
        }
    }
    ShowTotal();
    return added;
}

void ScheduleEditor::ApplyScheduleFilter(const std::string& text) {
    Table& schedule = data_.cdsSchedule;
    const auto first = text.find_first_not_of(" \t");
    const auto last = text.find_last_not_of(" \t");
    const std::string expression = first == std::string::npos ? "" : text.substr(first, last - first + 1);
    schedule.SetFiltered(false);
    schedule.SetFilterOptions({CaseSensitivity::Insensitive, FilterOptions::Asterisk::Ordinary});
    try {
        schedule.SetFilter(expression);
    } catch (const EDatabaseError&) {
        // The operator is still typing: an unfinished expression shows every row.
        return;
    }
    schedule.SetFiltered(!expression.empty());
}

ExportTable ScheduleEditor::BuildExportTable(const std::vector<Column>& columns) {
    Table& schedule = data_.cdsSchedule;
    ExportTable table;
    for (const auto& c : columns)
        table.headers.push_back(c.caption);
    if (!schedule.Active())
        return table;
    ControlsSuspended suspended(schedule);
    const Bookmark row = schedule.IsEmpty() ? 0 : schedule.GetBookmark();
    for (schedule.First(); !schedule.Eof(); schedule.Next()) {
        std::vector<ExportTable::Cell> cells;
        for (const auto& c : columns) {
            Field* field = schedule.FindField(c.fieldName);
            cells.push_back(field ? ExportCell(*field) : ExportTable::Cell{});
        }
        table.rows.push_back(std::move(cells));
    }
    if (row)
        schedule.GotoBookmark(row);
    return table;
}

std::string ScheduleEditor::ExportHtml(const std::vector<Column>& columns, const std::string& folder) {
    const std::string path = (fs::path(folder) / "schedule.htm").string();
    WriteScheduleHtml(path, BuildExportTable(columns));
    seams_.shell.Open(path);
    return path;
}

std::string ScheduleEditor::ExportSpreadsheet(const std::vector<Column>& columns, const std::string& folder) {
    const std::string path = (fs::path(folder) / "schedule.xls").string();
    WriteScheduleSpreadsheet(path, BuildExportTable(columns));
    seams_.shell.Open(path);
    return path;
}

void ScheduleEditor::CommitDatabase() {
    BusyScope busy(setBusy_);
    data_.SaveAllTables();
}

} // namespace corvane
