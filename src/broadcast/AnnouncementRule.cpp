#include "broadcast/AnnouncementRule.h"

#include "data/Value.h"

namespace corvane {
namespace {

std::string_view Trimmed(std::string_view s) {
    const size_t first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

bool Listed(std::string_view list, std::string_view category) {
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(';', start);
        if (end == std::string_view::npos)
            end = list.size();
        const std::string_view entry = Trimmed(list.substr(start, end - start));
        if (!entry.empty() && SameTextIgnoringCase(entry, category))
            return true;
        start = end + 1;
    }
    return false;
}

} // namespace

bool IsAnnounced(const NowPlayingSettings& settings, std::string_view category) {
    const std::string_view name = Trimmed(category);
    if (Listed(settings.SilentCategories, name))
        return false;
    return Trimmed(settings.AnnounceCategories).empty() || Listed(settings.AnnounceCategories, name);
}

} // namespace corvane
