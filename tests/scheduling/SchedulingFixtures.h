#pragma once

#include "scheduling/SchedulingFormatFile.h"
#include "scheduling/SchedulingModel.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace corvane::testing {

// A title of `seconds` by `artist` in `category`; its TitleID is given.
inline SchedulingTitle MakeTitle(int64_t id, std::string artist, std::string category, double seconds = 180,
                                 std::string tempo = {}) {
    SchedulingTitle t;
    t.titleId = id;
    t.name = "Song " + std::to_string(id);
    t.artist = std::move(artist);
    t.category = std::move(category);
    t.lengthSeconds = seconds;
    t.tempo = std::move(tempo);
    return t;
}

// A format read from text that must have no problems.
inline SchedulingFormat FormatOf(const std::string& text) {
    FormatReading reading = ReadSchedulingFormat(text);
    for (const FormatProblem& p : reading.problems)
        ADD_FAILURE() << "line " << p.line << ": " << p.message;
    return reading.format;
}

} // namespace corvane::testing
