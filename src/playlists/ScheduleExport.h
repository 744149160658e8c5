#pragma once

#include <string>
#include <vector>

namespace corvane {

// What the schedule grid shows, ready for export: the visible columns'
// captions and, per row, one cell per column. Text is UTF-8.
struct ExportTable {
    struct Cell {
        std::string text;
        bool isNumber = false; // written as a number the spreadsheet can compute with
    };
    std::vector<std::string> headers;
    std::vector<std::vector<Cell>> rows;
};

// "schedule.htm": one HTML table, a header row of the captions, then one row
// per schedule row. Throws std::runtime_error naming the file when it cannot
// be written.
void WriteScheduleHtml(const std::string& path, const ExportTable& table);

// "schedule.xls": an XML Spreadsheet 2003 workbook, which spreadsheet programs
// (LibreOffice Calc, Excel) open as a sheet with one header row.
void WriteScheduleSpreadsheet(const std::string& path, const ExportTable& table);

// Text made safe for XML and HTML: markup characters escaped, control
// characters XML cannot hold dropped, invalid UTF-8 replaced by U+FFFD.
std::string EscapeMarkupText(const std::string& text);

} // namespace corvane
