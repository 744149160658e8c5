#include "playlists/ScheduleExport.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace corvane {
namespace {

// Length of the valid UTF-8 sequence at text[i], or 0 when it is invalid.
std::size_t Utf8SequenceLength(const std::string& text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char b = byte(i);
    std::size_t length;
    unsigned min;
    unsigned codepoint;
    if (b < 0x80)
        return 1;
    if ((b & 0xE0) == 0xC0)
        length = 2, min = 0x80, codepoint = b & 0x1F;
    else if ((b & 0xF0) == 0xE0)
        length = 3, min = 0x800, codepoint = b & 0x0F;
    else if ((b & 0xF8) == 0xF0)
        length = 4, min = 0x10000, codepoint = b & 0x07;
    else
        return 0;
    if (i + length > text.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        codepoint = (codepoint << 6) | (byte(i + k) & 0x3F);
    }
    if (codepoint < min || codepoint > 0x10FFFF || (codepoint >= 0xD800 && codepoint <= 0xDFFF))
        return 0;
    return length;
}

void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (out)
        out << content;
    out.flush();
    if (!out)
        throw std::runtime_error("Cannot write \"" + path + "\": " + std::strerror(errno));
}

} // namespace

std::string EscapeMarkupText(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = Utf8SequenceLength(text, i);
        if (length == 0) {
            out += "\xEF\xBF\xBD";
            ++i;
            continue;
        }
        if (length == 1) {
            const char c = text[i];
            switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                if (static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n' || c == '\r')
                    out += c;
            }
        } else {
            out.append(text, i, length);
        }
        i += length;
    }
    return out;
}

void WriteScheduleHtml(const std::string& path, const ExportTable& table) {
    std::ostringstream html;
    html << "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>Schedule</title>\n"
            "<style>table{border-collapse:collapse}th,td{border:1px solid #999;padding:2px 6px}"
            "td.n{text-align:right}</style>\n</head>\n<body>\n<table>\n<thead>\n<tr>";
    for (const auto& h : table.headers)
        html << "<th>" << EscapeMarkupText(h) << "</th>";
    html << "</tr>\n</thead>\n<tbody>\n";
    for (const auto& row : table.rows) {
        html << "<tr>";
        for (const auto& cell : row)
            html << (cell.isNumber ? "<td class=\"n\">" : "<td>") << EscapeMarkupText(cell.text) << "</td>";
        html << "</tr>\n";
    }
    html << "</tbody>\n</table>\n</body>\n</html>\n";
    WriteFile(path, html.str());
}

void WriteScheduleSpreadsheet(const std::string& path, const ExportTable& table) {
    std::ostringstream xml;
    xml << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<?mso-application progid=\"Excel.Sheet\"?>\n"
           "<Workbook xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\"\n"
           " xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\">\n"
           " <Styles><Style ss:ID=\"h\"><Font ss:Bold=\"1\"/></Style></Styles>\n"
           " <Worksheet ss:Name=\"Schedule\">\n  <Table>\n   <Row>";
    for (const auto& h : table.headers)
        xml << "<Cell ss:StyleID=\"h\"><Data ss:Type=\"String\">" << EscapeMarkupText(h) << "</Data></Cell>";
    xml << "</Row>\n";
    for (const auto& row : table.rows) {
        xml << "   <Row>";
        for (const auto& cell : row)
            xml << "<Cell><Data ss:Type=\"" << (cell.isNumber ? "Number" : "String") << "\">"
                << EscapeMarkupText(cell.text) << "</Data></Cell>";
        xml << "</Row>\n";
    }
    xml << "  </Table>\n </Worksheet>\n</Workbook>\n";
    WriteFile(path, xml.str());
}

} // namespace corvane
