#pragma once

#include "platform/Dispatcher.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace corvane {

// Starts programs for "Execute File" events and reports how they ended,
// without a shell: the arguments reach the program as they are, and no
// variable, glob or redirection is read. The program runs in `workFolder`
// with no input; its standard output is dropped and its error output read.
//
// Each program has a watcher thread of its own, so the main thread never
// waits for one. When it ends, one line with its exit status and then the
// first lines of its error output are posted to the main thread for the
// report. A program still running after its time limit is reported and
// ended (SIGTERM, then SIGKILL after five seconds), so an unattended console
// does not pile up hung programs. Programs still running when the runner
// goes (the console closing) are left running and no longer watched.
class ProgramRunner {
public:
    static constexpr size_t ErrorLinesReported = 5;
    using Report = std::function<void(const std::string& line)>;

    // `report` runs on the main thread, through `dispatcher`.
    ProgramRunner(Dispatcher& dispatcher, Report report);
    ~ProgramRunner();
    ProgramRunner(const ProgramRunner&) = delete;
    ProgramRunner& operator=(const ProgramRunner&) = delete;

    // Starts the program; throws when it is not an existing executable file
    // or cannot be started. Main thread.
    void Start(const std::filesystem::path& program, const std::vector<std::string>& arguments,
               const std::filesystem::path& workFolder, std::chrono::seconds limit);
    // Programs still watched (started and not yet reported). Any thread.
    int Running() const { return running_; }

private:
    struct Watch;
    void WatchProgram(Watch& watch);
    void Post(std::vector<std::string> lines);

    Dispatcher& dispatcher_;
    Report report_;
    // Work posted after the runner went must not reach it.
    std::shared_ptr<ProgramRunner*> self_;
    std::atomic<bool> stopping_{false};
    std::atomic<int> running_{0};
    std::mutex mutex_;
    std::list<std::unique_ptr<Watch>> watches_;
};

} // namespace corvane
