#pragma once

#include "data/facts/Mp3Tag.h"

#include <optional>
#include <string>

namespace corvane {

// The descriptive tags of files without an ID3 version 1 trailer: the ID3v2
// tag of an MPEG file, the RIFF INFO list or "id3 " chunk of a WAVE file
// (read with TagLib; RF64 and BW64 files with the wave reader's chunk walk
// and TagLib's tag readers), as UTF-8 in the trailer's items (track and year as
// decimal text, genre as its name). Nothing when the file has none of them,
// when they hold no text at all, or when it cannot be read. Chosen by the
// file's content, not its name.
std::optional<Mp3Tag> ReadOtherAudioTags(const std::string& path);

} // namespace corvane
