#pragma once

#include <istream>
#include <string>
#include <vector>

namespace corvane::uplink {

// One booked spot of the ad-booking system's export, checked and in the
// commercial list's own terms.
struct Booking {
    std::string date;      // "yyyymmdd"
    std::string breakTime; // "hh:nn", zero-padded
    int64_t bookNo = 0;
    double cart = 0;
    int64_t audioNo = 0;
    std::string campaign;
    int64_t custNo = 0;
    std::string custName;
    int64_t durationSeconds = 0;
    std::string audioFile;
};

// A row that was left out, and why.
struct RejectedRow {
    int line = 0; // 1-based line of the file where the row starts
    std::string reason;
};

struct BookingsCsv {
    std::vector<Booking> bookings; // of every date, in file order
    std::vector<RejectedRow> rejected;
};

// "yyyymmdd" of a day that exists (no 30 February).
bool IsCalendarDate(const std::string& yyyymmdd);

// The columns of the bookings CSV, by their names in its header line (any
// order, letter case ignored; other columns are ignored).
const std::vector<std::string>& BookingColumns();

// Reads the bookings CSV: a header line naming the columns, then one spot
// per line; fields separated by commas, quoted with double quotes when they
// hold commas, quotes ("" in a quoted field) or line breaks. Rows that do not
// fit are rejected with their line number; a header that lacks a column
// throws std::runtime_error (nothing of such a file can be trusted).
BookingsCsv ReadBookingsCsv(std::istream& in);

} // namespace corvane::uplink
