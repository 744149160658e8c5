#pragma once

#include <string>
#include <string_view>

namespace corvane {

// What is announced of an item heard: its tags as the schedule holds them
// ("" where a tag is missing), the next item's, and when it was heard.
struct NowPlayingItem {
    std::string title;
    std::string artist;
    std::string album;
    std::string category;
    // The file, whose name stands in for a missing title.
    std::string file;
    int durationMs = 0;
    std::string nextTitle;
    std::string nextArtist;
    // When the item was heard, "hh:mm:ss" local time.
    std::string startTime;
};

// Fills `textTemplate` for `item`. Placeholders: %title% %artist% %album%
// %duration% (m:ss) %category% %nexttitle% %nextartist% %start%; "%%" is a
// percent sign and an unknown placeholder stays as written. A part in braces
// ("{%artist% - }") is left out when a placeholder in it is empty. "\n" (a
// backslash and n, as a settings line cannot hold a line break) is a line
// break. Tag values never break a line: their control characters become
// blanks, and bytes that are not UTF-8 become '?', so that an RDS encoder or
// a web page reading the text sees one clean line per template line.
std::string RenderNowPlaying(std::string_view textTemplate, const NowPlayingItem& item);

// The text as one line, for a UDP datagram or a stream title: line breaks
// become " - " joins, blank ends are trimmed.
std::string OneLine(std::string_view text);

} // namespace corvane
