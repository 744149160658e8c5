#include "BookingsCsv.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <map>
#include <stdexcept>

namespace corvane::uplink {
namespace {

std::string Lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// One record of the file: its fields and the line it starts on; false at the end.
bool ReadRecord(std::istream& in, int& line, std::vector<std::string>& fields, int& startLine,
                std::string& error) {
    fields.clear();
    error.clear();
    std::string field;
    bool quoted = false, wasQuoted = false, any = false;
    startLine = line + 1;
    for (int c; (c = in.get()) != EOF;) {
        any = true;
        if (quoted) {
            if (c == '"') {
                if (in.peek() == '"') {
                    in.get();
                    field += '"';
                } else {
                    quoted = false;
                }
            } else {
                if (c == '\n')
                    ++line;
                field += static_cast<char>(c);
            }
            continue;
        }
        if (c == '"' && Trimmed(field).empty() && !wasQuoted) {
            field.clear();
            quoted = wasQuoted = true;
        } else if (c == ',') {
            fields.push_back(wasQuoted ? field : Trimmed(field));
            field.clear();
            wasQuoted = false;
        } else if (c == '\r' && in.peek() == '\n') {
            continue;
        } else if (c == '\n') {
            ++line;
            fields.push_back(wasQuoted ? field : Trimmed(field));
            return true;
        } else if (wasQuoted && c != ' ' && c != '\t') {
            error = "text after a closing quote";
            field += static_cast<char>(c);
        } else if (!wasQuoted) {
            field += static_cast<char>(c);
        }
    }
    if (!any)
        return false;
    ++line;
    if (quoted)
        error = "a quoted field is not closed";
    fields.push_back(wasQuoted ? field : Trimmed(field));
    return true;
}

bool ParseInteger(const std::string& text, int64_t& value) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return !text.empty() && ec == std::errc() && ptr == end;
}

// A whole number that fits the commercial list's 32-bit integer fields.
bool ParseInteger32(const std::string& text, int64_t& value) {
    return ParseInteger(text, value) && value >= std::numeric_limits<int32_t>::min() &&
           value <= std::numeric_limits<int32_t>::max();
}

// A finite number: "nan" and "inf" are numbers to from_chars, not carts.
bool ParseNumber(const std::string& text, double& value) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return !text.empty() && ec == std::errc() && ptr == end && std::isfinite(value);
}

} // namespace

bool IsCalendarDate(const std::string& yyyymmdd) {
    if (yyyymmdd.size() != 8 || yyyymmdd.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const int year = std::stoi(yyyymmdd.substr(0, 4)), month = std::stoi(yyyymmdd.substr(4, 2)),
              day = std::stoi(yyyymmdd.substr(6, 2));
    static constexpr int Days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1)
        return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= Days[month - 1] + (month == 2 && leap ? 1 : 0);
}

namespace {

// "yyyy-mm-dd" (or "yyyymmdd") of a day that exists to "yyyymmdd"; false for anything else.
bool ParseDate(const std::string& text, std::string& date) {
    std::string digits;
    if (text.size() == 10 && text[4] == '-' && text[7] == '-')
        digits = text.substr(0, 4) + text.substr(5, 2) + text.substr(8, 2);
    else if (text.size() == 8)
        digits = text;
    else
        return false;
    if (!IsCalendarDate(digits))
        return false;
    date = digits;
    return true;
}

// "h:nn" or "hh:nn" to zero-padded "hh:nn": the console compares break times
// as text, so an unpadded "9:30" would sort after "10:00".
bool ParseBreakTime(const std::string& text, std::string& time) {
    const size_t colon = text.find(':');
    if (colon == std::string::npos || colon == 0 || colon > 2 || text.size() - colon != 3)
        return false;
    int64_t hours = 0, minutes = 0;
    if (!ParseInteger(text.substr(0, colon), hours) || !ParseInteger(text.substr(colon + 1), minutes) ||
        hours < 0 || hours > 23 || minutes < 0 || minutes > 59)
        return false;
    char padded[8];
    std::snprintf(padded, sizeof padded, "%02d:%02d", static_cast<int>(hours), static_cast<int>(minutes));
    time = padded;
    return true;
}

} // namespace

const std::vector<std::string>& BookingColumns() {
    static const std::vector<std::string> columns{"date",     "break_time", "book_no", "cart",
                                                  "audio_no", "campaign",   "cust_no", "cust_name",
                                                  "duration", "audio_file"};
    return columns;
}

BookingsCsv ReadBookingsCsv(std::istream& in) {
    // A byte-order mark some exporters write first.
    if (in.peek() == 0xEF) {
        char bom[3];
        in.read(bom, 3);
        if (std::string(bom, 3) != "\xEF\xBB\xBF")
            throw std::runtime_error("the file does not start with a header line");
    }
    int line = 0, start = 0;
    std::vector<std::string> fields;
    std::string error;
    if (!ReadRecord(in, line, fields, start, error))
        throw std::runtime_error("the file is empty");
    std::map<std::string, size_t> at;
    for (size_t i = 0; i < fields.size(); ++i)
        at.emplace(Lowered(fields[i]), i);
    for (const std::string& column : BookingColumns())
        if (!at.count(column))
            throw std::runtime_error("the header line has no column \"" + column + "\"");
    const size_t width = fields.size();

    BookingsCsv result;
    while (ReadRecord(in, line, fields, start, error)) {
        if (fields.size() == 1 && fields[0].empty())
            continue; // a blank line
        const auto reject = [&](const std::string& reason) { result.rejected.push_back({start, reason}); };
        if (!error.empty()) {
            reject(error);
            continue;
        }
        if (fields.size() != width) {
            reject("expected " + std::to_string(width) + " fields, found " + std::to_string(fields.size()));
            continue;
        }
        // Values are read without blanks around them, quoted or not.
        const auto field = [&](const char* name) { return Trimmed(fields[at.at(name)]); };
        const auto nul =
            std::find_if(BookingColumns().begin(), BookingColumns().end(), [&](const std::string& c) {
                return fields[at.at(c)].find('\0') != std::string::npos;
            });
        Booking b;
        if (nul != BookingColumns().end()) {
            reject("column \"" + *nul + "\" holds a NUL byte");
        } else if (!ParseDate(field("date"), b.date)) {
            reject("date \"" + field("date") + "\" is not yyyy-mm-dd");
        } else if (!ParseBreakTime(field("break_time"), b.breakTime)) {
            reject("break time \"" + field("break_time") + "\" is not hh:nn");
        } else if (!ParseInteger32(field("book_no"), b.bookNo)) {
            reject("book number \"" + field("book_no") + "\" is not a whole number of at most 32 bits");
        } else if (!ParseNumber(field("cart"), b.cart)) {
            reject("cart \"" + field("cart") + "\" is not a finite number");
        } else if (!ParseInteger32(field("audio_no"), b.audioNo)) {
            reject("audio number \"" + field("audio_no") + "\" is not a whole number of at most 32 bits");
        } else if (!ParseInteger32(field("cust_no"), b.custNo)) {
            reject("customer number \"" + field("cust_no") + "\" is not a whole number of at most 32 bits");
        } else if (!ParseInteger32(field("duration"), b.durationSeconds) || b.durationSeconds < 0) {
            reject("duration \"" + field("duration") + "\" is not a number of seconds");
        } else if (field("audio_file").empty()) {
            reject("no audio file");
        } else if (field("audio_file").size() > 255 || field("campaign").size() > 255) {
            reject("audio file or campaign longer than 255 characters");
        } else if (field("cust_name").size() > 50) {
            reject("customer name longer than 50 characters");
        } else {
            b.campaign = field("campaign");
            b.custName = field("cust_name");
            b.audioFile = field("audio_file");
            result.bookings.push_back(std::move(b));
        }
    }
    if (in.bad())
        throw std::runtime_error("the file could not be read to its end");
    return result;
}

} // namespace corvane::uplink
