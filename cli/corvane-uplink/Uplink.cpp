#include "Uplink.h"

#include "BookingsCsv.h"
#include "data/QelTableSchemas.h"
#include "data/Table.h"
#include "platform/RegularFile.h"

#include <ctime>
#include <fstream>
#include <sstream>
#include <vector>

namespace corvane::uplink {
namespace {

// Every report goes to the error stream and, stamped, to the log.
class Report {
public:
    Report(std::ostream& err, const std::filesystem::path& log) : err_(err) {
        if (!log.empty()) {
            // Opening a FIFO for writing would wait for a reader forever.
            const FileCheck there = CheckFile(log);
            if (there.kind != FileKind::NotRegular)
                log_.open(log, std::ios::app | std::ios::binary);
            if (!log_)
                err_ << "corvane-uplink: cannot write the log " << log.string()
                     << (there.reason.empty() ? std::string() : ": it " + there.reason) << "\n";
        }
    }
    void Line(const std::string& text) {
        err_ << "corvane-uplink: " << text << "\n";
        if (log_)
            log_ << LocalTimeText("%Y-%m-%d %H:%M:%S") << " " << text << "\n" << std::flush;
    }

private:
    std::ostream& err_;
    std::ofstream log_;
};

} // namespace

std::string LocalTimeText(const char* format) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[64];
    return std::string(text, std::strftime(text, sizeof text, format, &local));
}

UplinkOptions DefaultOptions(const std::filesystem::path& programFolder, const std::string& today) {
    UplinkOptions options;
    options.date = today;
    options.bookings = programFolder / "Ads" / "Updates" / ("Bookings_" + today + ".csv");
    options.outFolder = programFolder;
    options.log = programFolder / "corvane-uplink.log";
    return options;
}

int RunUplink(const UplinkOptions& options, std::ostream& err) {
    Report report(err, options.log);
    // Read whole and without waiting: a FIFO in the file's place is refused.
    std::istringstream in;
    try {
        in.str(ReadRegularFile(options.bookings));
    } catch (const EFileUnreadable& e) {
        report.Line("cannot read " + options.bookings.string() + ": it " + e.what() + "; nothing written");
        return Failed;
    }
    BookingsCsv csv;
    try {
        csv = ReadBookingsCsv(in);
    } catch (const std::exception& e) {
        report.Line(options.bookings.string() + ": " + e.what() + "; nothing written");
        return Failed;
    }
    for (const RejectedRow& row : csv.rejected)
        report.Line(options.bookings.filename().string() + ":" + std::to_string(row.line) + ": " +
                    row.reason + "; row left out");

    Table schedule("cdsVantorAdList", VantorAdListFields());
    schedule.CreateDataSet();
    int otherDays = 0;
    for (const Booking& b : csv.bookings) {
        if (b.date != options.date) {
            ++otherDays;
            continue;
        }
        schedule.Append();
        schedule.FieldByName("BOOK_NO").SetAsInteger(b.bookNo);
        schedule.FieldByName("BOOK_TIME").SetAsString(b.breakTime);
        schedule.FieldByName("CART").SetAsFloat(b.cart);
        schedule.FieldByName("AUDIO_NO").SetAsInteger(b.audioNo);
        schedule.FieldByName("Campaign_Details").SetAsString(b.campaign);
        schedule.FieldByName("CUST_NO").SetAsInteger(b.custNo);
        schedule.FieldByName("NAME").SetAsString(b.custName);
        schedule.FieldByName("DURATION").SetAsInteger(b.durationSeconds);
        schedule.FieldByName("NetworkPathToFile").SetAsString(b.audioFile);
        schedule.Post();
    }
    const std::filesystem::path out = options.outFolder / ("AdSched_" + options.date + ".xml");
    if (schedule.RecordCount() == 0) {
        // An empty schedule would replace the day's earlier one for nothing.
        report.Line("no spot of " + options.date + " to write (" + std::to_string(csv.rejected.size()) +
                    " rows left out, " + std::to_string(otherDays) + " rows of other days); " + out.string() +
                    " is left as it was");
        return Failed;
    }
    try {
        schedule.SaveToFile(out.string());
    } catch (const std::exception& e) {
        report.Line("cannot write " + out.string() + ": " + e.what());
        return Failed;
    }
    std::ostringstream summary;
    summary << "wrote " << schedule.RecordCount() << " spots of " << options.date << " to " << out.string();
    if (!csv.rejected.empty())
        summary << "; " << csv.rejected.size() << " rows left out";
    if (otherDays > 0)
        summary << "; " << otherDays << " rows of other days ignored";
    report.Line(summary.str());
    return csv.rejected.empty() ? Written : WrittenWithRejects;
}

} // namespace corvane::uplink
