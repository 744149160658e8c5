#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

namespace corvane::testing {

// Encodes `wave` to an MP3 file beside it with the lame encoder and the
// options given (for example "-V 4" for VBR, "-b 128" for CBR); returns the
// new file, or an empty path when no encoder is installed or it failed.
inline std::filesystem::path MakeMp3(const std::filesystem::path& wave, const std::string& lameOptions) {
    std::filesystem::path mp3 = wave;
    mp3.replace_extension(".mp3");
    const std::string command =
        "lame --quiet " + lameOptions + " '" + wave.string() + "' '" + mp3.string() + "' 2>/dev/null";
    return std::system(command.c_str()) == 0 && std::filesystem::exists(mp3) ? mp3 : std::filesystem::path();
}

} // namespace corvane::testing
