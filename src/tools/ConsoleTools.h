#pragma once

#include <functional>
#include <string>

class QWidget;

namespace corvane {

class Table;

// How the previewer is asked for a file: played to the operator, or only
// measured (its duration returned, nothing heard).
enum class PreviewMode { Play, DurationOnly };

// Tool windows that one part of the console provides for the others: the
// library part fills them when it is built into the console window; a part
// that needs one calls it only when it is set. Main thread.
struct ConsoleTools {
    // Opens the parameter browser on `table` (modal) and returns when it closes.
    std::function<void(Table& table)> BrowseParameters;
    // Previews one audio file away from the broadcast chain; returns the file's
    // duration as a date-time (days).
    std::function<double(const std::string& path, PreviewMode mode)> PreviewAudio;
    // Opens the library manager and starts its automatic scan for audio
    // files as soon as it shows.
    std::function<void()> AutoScanLibrary;
    // Shows the details of the library's current title beside `owner`, a
    // window of the caller's, without blocking it: made on the first call for
    // that owner, brought up again on the next, and destroyed with the owner.
    std::function<void(QWidget& owner)> ShowTitleDetails;
};

} // namespace corvane
