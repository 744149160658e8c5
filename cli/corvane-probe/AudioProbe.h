#pragma once

#include <ostream>
#include <string>

namespace corvane {

// Writes what the engine makes of one audio file: the format's name and
// description in the engine's wording, channels, rate, bits, the duration a
// deck reports, and the ID3 version 1 items. Raises the engine's errors.
void ProbeAudioFile(const std::string& path, std::ostream& out);

// Plays the file through a deck and writes everything the deck delivers to
// a new WAVE file in the deck's format. Returns the bytes written.
long long DecodeAudioFile(const std::string& path, const std::string& waveOut);

} // namespace corvane
