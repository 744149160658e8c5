#pragma once

#include <ostream>
#include <string>

namespace corvane {

enum class QuoteEmpty { No, Yes };

// One CSV cell (RFC 4180): quoted when it holds a comma, quote, line break or
// blanks at either end (or is empty, when asked), quotes doubled inside.
void CsvCell(std::ostream& out, const std::string& text, QuoteEmpty quoteEmpty = QuoteEmpty::No);

} // namespace corvane
