#pragma once

#include <QString>
#include <string>

namespace corvane {

// A grid cell shows at most this many bytes of a value, then "…". A damaged
// file can hold a path of megabytes, and laying such a text out at every
// repaint holds the main thread (and playout with it) for seconds.
inline constexpr size_t CellTextLimit = 1024;

inline QString CellText(const std::string& value) {
    if (value.size() <= CellTextLimit)
        return QString::fromStdString(value);
    return QString::fromUtf8(value.data(), static_cast<qsizetype>(CellTextLimit)) + QChar(0x2026);
}

} // namespace corvane
