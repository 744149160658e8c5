#include "asrun/AsRunRecord.h"

#include <array>
#include <utility>

namespace corvane {
namespace {

constexpr std::array<std::pair<AsRunKind, const char*>, 2> Kinds{{
    {AsRunKind::Item, "item"},
    {AsRunKind::Silence, "silence"},
}};
constexpr std::array<std::pair<AsRunSource, const char*>, 4> Sources{{
    {AsRunSource::Schedule, "schedule"},
    {AsRunSource::Break, "break"},
    {AsRunSource::Cart, "cart"},
    {AsRunSource::Event, "event"},
}};
constexpr std::array<std::pair<EndedBy, const char*>, 8> Endings{{
    {EndedBy::PlayedOut, "played"},
    {EndedBy::Faded, "faded"},
    {EndedBy::Skipped, "skipped"},
    {EndedBy::CutByBreak, "break"},
    {EndedBy::Stopped, "stopped"},
    {EndedBy::Failed, "failed"},
    {EndedBy::AirBack, "airBack"},
    {EndedBy::Unknown, "unknown"},
}};

template <typename Enum, size_t N>
std::string TextOf(const std::array<std::pair<Enum, const char*>, N>& table, Enum value) {
    for (const auto& [v, text] : table)
        if (v == value)
            return text;
    return {};
}

template <typename Enum, size_t N>
std::optional<Enum> ValueOf(const std::array<std::pair<Enum, const char*>, N>& table,
                            const std::string& text) {
    for (const auto& [v, t] : table)
        if (text == t)
            return v;
    return std::nullopt;
}

} // namespace

std::string KindText(AsRunKind kind) {
    return TextOf(Kinds, kind);
}
std::string SourceText(AsRunSource source) {
    return TextOf(Sources, source);
}
std::string EndedByText(EndedBy endedBy) {
    return TextOf(Endings, endedBy);
}
std::optional<AsRunKind> KindFromText(const std::string& text) {
    return ValueOf(Kinds, text);
}
std::optional<AsRunSource> SourceFromText(const std::string& text) {
    return ValueOf(Sources, text);
}
std::optional<EndedBy> EndedByFromText(const std::string& text) {
    return ValueOf(Endings, text);
}

} // namespace corvane
