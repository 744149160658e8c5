#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace corvane {

// What a render was asked to do.
struct RenderRequest {
    std::filesystem::path programFolder; // its "corvane.ini", audio library and "archive.log"
    std::filesystem::path schedule;      // ".wsl" schedule or ".ply" play list, binary or XML
    std::filesystem::path output;        // the WAVE file written
};

struct RenderResult {
    int rows = 0;              // schedule rows loaded
    int64_t renderedMs = 0;    // virtual time the output ran
    uint64_t bytesWritten = 0; // PCM bytes in the WAVE file
    int itemsStarted = 0;      // rows that went on air (unplayable ones are skipped)
    bool stalled = false;      // ended after a minute of silence on air
    // What the start-up would have told the operator (a rack or a table that
    // did not load, a settings file others may read), in order.
    std::vector<std::string> messages;
};

// The schedule played offline: the real playout engine on the virtual
// studio's wave device, from the first row until the schedule has ended and
// the output has gone silent, as fast as the CPU allows. Looping is forced
// off (the render must end) and so is the play statistics' stamping (a
// render is not an airing); the station starts offline, so the settings that
// decide what is heard apply as in the console and no table or setting is
// written back (the archive log gets its lines, as for every item played).
// Everything the output plays goes to the WAVE file. Throws on a schedule that cannot be
// loaded or an output file that cannot be written.
RenderResult RenderSchedule(const RenderRequest& request,
                            const std::function<void(int64_t renderedMs)>& progress = {});

} // namespace corvane
