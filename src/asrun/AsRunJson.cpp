#include "asrun/AsRunJson.h"

#include "asrun/IsoTime.h"

#include <nlohmann/json.hpp>

namespace corvane {
namespace {

using nlohmann::json;

void PutText(json& out, const char* key, const std::string& value) {
    if (!value.empty())
        out[key] = value;
}

void PutTime(json& out, const char* key, const std::optional<TDateTime>& value) {
    if (value)
        out[key] = FormatIsoLocal(*value);
}

std::string TextAt(const json& in, const char* key) {
    const auto it = in.find(key);
    return it != in.end() && it->is_string() ? it->get<std::string>() : std::string();
}

// A time key that is present must be a time; absent is fine.
bool ReadTime(const json& in, const char* key, std::optional<TDateTime>& out) {
    const auto it = in.find(key);
    if (it == in.end())
        return true;
    if (!it->is_string())
        return false;
    out = ParseIsoLocal(it->get<std::string>());
    return out.has_value();
}

int IntAt(const json& in, const char* key) {
    const auto it = in.find(key);
    return it != in.end() && it->is_number_integer() ? it->get<int>() : 0;
}

} // namespace

std::string RecordLine(const AsRunRecord& r) {
    json out = json::object();
    out["kind"] = KindText(r.kind);
    out["id"] = r.id;
    out["source"] = SourceText(r.source);
    if (r.playOrder != 0)
        out["playOrder"] = r.playOrder;
    PutText(out, "sourceDetail", r.sourceDetail);
    PutTime(out, "scheduledStart", r.scheduledStart);
    PutTime(out, "actualStart", r.actualStart);
    PutTime(out, "actualEnd", r.actualEnd);
    PutTime(out, "raised", r.raised);
    if (r.actualEnd)
        out["endedBy"] = EndedByText(r.endedBy);
    PutText(out, "reason", r.reason);
    PutText(out, "titleId", r.title.titleId);
    PutText(out, "title", r.title.title);
    PutText(out, "artist", r.title.artist);
    PutText(out, "album", r.title.album);
    PutText(out, "composer", r.title.composer);
    PutText(out, "label", r.title.label);
    PutText(out, "year", r.title.year);
    PutText(out, "category", r.title.category);
    PutText(out, "file", r.title.file);
    if (r.title.durationMs != 0)
        out["durationMs"] = r.title.durationMs;
    // Invalid UTF-8 in a tag becomes U+FFFD rather than losing the record.
    return out.dump(-1, ' ', false, json::error_handler_t::replace);
}

std::string EndLine(const std::string& id, TDateTime actualEnd, EndedBy endedBy, const std::string& reason) {
    json out = json::object();
    out["line"] = "end";
    out["id"] = id;
    out["actualEnd"] = FormatIsoLocal(actualEnd);
    out["endedBy"] = EndedByText(endedBy);
    PutText(out, "reason", reason);
    return out.dump(-1, ' ', false, json::error_handler_t::replace);
}

std::optional<AsRunLine> ParseAsRunLine(const std::string& line) {
    const json in = json::parse(line, nullptr, false);
    if (in.is_discarded() || !in.is_object())
        return std::nullopt;
    AsRunLine out;
    AsRunRecord& r = out.record;
    r.id = TextAt(in, "id");
    if (r.id.empty())
        return std::nullopt;
    out.isEnd = TextAt(in, "line") == "end";
    if (!ReadTime(in, "actualEnd", r.actualEnd))
        return std::nullopt;
    if (r.actualEnd) {
        const auto endedBy = EndedByFromText(TextAt(in, "endedBy"));
        if (!endedBy)
            return std::nullopt;
        r.endedBy = *endedBy;
    }
    r.reason = TextAt(in, "reason");
    if (out.isEnd)
        return r.actualEnd ? std::optional(out) : std::nullopt;

    const auto kind = KindFromText(TextAt(in, "kind"));
    const auto source = SourceFromText(TextAt(in, "source"));
    std::optional<TDateTime> start;
    if (!kind || !source || !ReadTime(in, "actualStart", start) || !start ||
        !ReadTime(in, "scheduledStart", r.scheduledStart) || !ReadTime(in, "raised", r.raised))
        return std::nullopt;
    r.kind = *kind;
    r.source = *source;
    r.actualStart = *start;
    r.playOrder = IntAt(in, "playOrder");
    r.sourceDetail = TextAt(in, "sourceDetail");
    r.title.titleId = TextAt(in, "titleId");
    r.title.title = TextAt(in, "title");
    r.title.artist = TextAt(in, "artist");
    r.title.album = TextAt(in, "album");
    r.title.composer = TextAt(in, "composer");
    r.title.label = TextAt(in, "label");
    r.title.year = TextAt(in, "year");
    r.title.category = TextAt(in, "category");
    r.title.file = TextAt(in, "file");
    r.title.durationMs = IntAt(in, "durationMs");
    return out;
}

} // namespace corvane
