#include "data/CsvCell.h"

namespace corvane {

void CsvCell(std::ostream& out, const std::string& text, QuoteEmpty quoteEmpty) {
    const bool quote = (quoteEmpty == QuoteEmpty::Yes && text.empty()) ||
                       text.find_first_of(",\"\r\n") != std::string::npos ||
                       (!text.empty() && (text.front() == ' ' || text.back() == ' '));
    if (!quote) {
        out << text;
        return;
    }
    out << '"';
    for (const char c : text)
        out << (c == '"' ? "\"\"" : std::string(1, c));
    out << '"';
}

} // namespace corvane
