#include "asrun/AsRunReports.h"

#include "asrun/AsRunJson.h"
#include "asrun/IsoTime.h"

#include <cmath>
#include <cstdio>
#include <map>
#include <string>

namespace corvane {
namespace {

std::string Csv(const std::string& field) {
    if (field.find_first_of(",\"\r\n") == std::string::npos)
        return field;
    std::string quoted = "\"";
    for (const char c : field) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

void Row(std::ostream& out, const std::vector<std::string>& fields) {
    for (size_t i = 0; i < fields.size(); ++i)
        out << (i ? "," : "") << Csv(fields[i]);
    out << "\r\n";
}

std::string Time(const std::optional<TDateTime>& t) {
    return t ? FormatIsoLocal(*t) : std::string();
}

std::string Seconds(double ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", ms / 1000);
    return text;
}

std::optional<double> LengthMs(const AsRunRecord& r) {
    if (!r.actualEnd)
        return std::nullopt;
    return std::round((*r.actualEnd - r.actualStart) * MsPerDay);
}

// Silences and spots are no music for royalty bodies.
bool IsMusic(const AsRunRecord& r) {
    return r.kind == AsRunKind::Item && r.endedBy != EndedBy::Failed &&
           (r.source == AsRunSource::Schedule || r.source == AsRunSource::Cart) &&
           r.title.category != "Commercial";
}

} // namespace

void WriteAsRunCsv(const std::vector<AsRunRecord>& records, std::ostream& out) {
    Row(out,
        {"kind", "titleId", "title", "artist", "album", "category", "source", "playOrder", "sourceDetail",
         "scheduledStart", "actualStart", "actualEnd", "length", "endedBy", "reason", "raised", "file"});
    for (const AsRunRecord& r : records) {
        const auto length = LengthMs(r);
        Row(out, {KindText(r.kind), r.title.titleId, r.title.title, r.title.artist, r.title.album,
                  r.title.category, SourceText(r.source),
                  r.playOrder ? std::to_string(r.playOrder) : std::string(), r.sourceDetail,
                  Time(r.scheduledStart), Time(r.actualStart), Time(r.actualEnd),
                  length ? Seconds(*length) : std::string(), EndedByText(r.endedBy), r.reason, Time(r.raised),
                  r.title.file});
    }
}

void WriteAsRunJsonLines(const std::vector<AsRunRecord>& records, std::ostream& out) {
    for (const AsRunRecord& r : records)
        out << RecordLine(r) << "\n";
}

void WriteTimingCsv(const std::vector<AsRunRecord>& records, std::ostream& out) {
    struct Hour {
        std::optional<TDateTime> plannedStart, plannedEnd, actualStart, actualEnd;
        std::string notPlayed;
    };
    // Keyed by the hour's start, as whole hours since the epoch of TDateTime.
    std::map<int64_t, Hour> hours;
    for (const AsRunRecord& r : records) {
        if (r.kind != AsRunKind::Item || r.source == AsRunSource::Cart)
            continue;
        Hour& h = hours[static_cast<int64_t>(std::floor(r.actualStart * 24))];
        if (r.endedBy == EndedBy::Failed || r.endedBy == EndedBy::Skipped) {
            h.notPlayed +=
                (h.notPlayed.empty() ? "" : "; ") + r.title.title + " (" + EndedByText(r.endedBy) + ")";
            if (r.endedBy == EndedBy::Failed)
                continue;
        }
        if (!h.actualStart || r.actualStart < *h.actualStart)
            h.actualStart = r.actualStart;
        if (r.actualEnd && (!h.actualEnd || *r.actualEnd > *h.actualEnd))
            h.actualEnd = r.actualEnd;
        if (r.scheduledStart) {
            if (!h.plannedStart || *r.scheduledStart < *h.plannedStart)
                h.plannedStart = r.scheduledStart;
            const TDateTime end = *r.scheduledStart + r.title.durationMs / MsPerDay;
            if (!h.plannedEnd || end > *h.plannedEnd)
                h.plannedEnd = end;
        }
    }
    Row(out, {"hour", "plannedStart", "actualStart", "plannedEnd", "actualEnd", "overUnder", "notPlayed"});
    for (const auto& [key, h] : hours) {
        std::string overUnder;
        if (h.plannedEnd && h.actualEnd) {
            const double ms = std::round((*h.actualEnd - *h.plannedEnd) * MsPerDay);
            overUnder = (ms > 0 ? "+" : "") + Seconds(ms);
        }
        Row(out, {FormatIsoLocal(static_cast<double>(key) / 24).substr(0, 16), Time(h.plannedStart),
                  Time(h.actualStart), Time(h.plannedEnd), Time(h.actualEnd), overUnder, h.notPlayed});
    }
}

void WriteRoyaltyCsv(const std::vector<AsRunRecord>& records, std::ostream& out) {
    struct Title {
        AsRunTitle title;
        int plays = 0;
    };
    // In the order first heard; one title by its library id, else by artist and title.
    std::vector<Title> titles;
    std::map<std::string, size_t> index;
    for (const AsRunRecord& r : records) {
        if (!IsMusic(r))
            continue;
        const std::string key =
            r.title.titleId.empty() ? "\x01" + r.title.artist + "\x01" + r.title.title : r.title.titleId;
        const auto [it, added] = index.emplace(key, titles.size());
        if (added)
            titles.push_back({r.title, 0});
        ++titles[it->second].plays;
    }
    Row(out, {"featuredArtist", "title", "album", "isrc", "label", "titleId", "playCount"});
    for (const Title& t : titles)
        Row(out, {t.title.artist, t.title.title, t.title.album, "", t.title.label, t.title.titleId,
                  std::to_string(t.plays)});
}

} // namespace corvane
