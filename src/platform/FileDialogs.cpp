#include "platform/FileDialogs.h"

namespace corvane {
namespace {

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string::size_type start = 0;
    for (;;) {
        const auto end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            return parts;
        start = end + 1;
    }
}

} // namespace

std::vector<FileFilter> ParseFileFilter(const std::string& filter) {
    std::vector<FileFilter> filters;
    if (filter.empty())
        return filters;
    const auto parts = Split(filter, '|');
    for (std::size_t i = 0; i < parts.size(); i += 2) {
        FileFilter f;
        f.description = parts[i];
        if (i + 1 < parts.size())
            for (auto& pattern : Split(parts[i + 1], ';'))
                if (!pattern.empty())
                    f.patterns.push_back(pattern);
        filters.push_back(std::move(f));
    }
    return filters;
}

} // namespace corvane
