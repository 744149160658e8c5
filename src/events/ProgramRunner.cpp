#include "events/ProgramRunner.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace corvane {

namespace {

// How often a watcher looks at its program and at the runner going (ms).
constexpr int PollMs = 100;
constexpr auto KillGrace = std::chrono::seconds(5);
// More error output than this is read and dropped, so a chatty program
// never blocks on a full pipe.
constexpr size_t ErrorTextKept = 4096;

std::string ExitText(int status) {
    if (WIFEXITED(status))
        return "exited with status " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status))
        return std::string("was ended by signal ") + std::to_string(WTERMSIG(status)) + " (" +
               strsignal(WTERMSIG(status)) + ")";
    return "ended";
}

} // namespace

struct ProgramRunner::Watch {
    std::string name;
    pid_t pid = -1;
    int errorPipe = -1;
    std::chrono::seconds limit{0};
    std::thread thread;
    std::atomic<bool> done{false};
};

ProgramRunner::ProgramRunner(Dispatcher& dispatcher, Report report)
    : dispatcher_(dispatcher), report_(std::move(report)), self_(std::make_shared<ProgramRunner*>(this)) {}

ProgramRunner::~ProgramRunner() {
    stopping_ = true;
    *self_ = nullptr;
    std::lock_guard lock(mutex_);
    for (auto& watch : watches_)
        if (watch->thread.joinable())
            watch->thread.join();
}

void ProgramRunner::Start(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                          const std::filesystem::path& workFolder, std::chrono::seconds limit) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(program, ec) || ::access(program.c_str(), X_OK) != 0)
        throw std::runtime_error(program.string() + " is not an executable file");
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        throw std::runtime_error(std::string("cannot start ") + program.string() + ": " +
                                 std::strerror(errno));

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDERR_FILENO);
    if (!workFolder.empty())
        posix_spawn_file_actions_addchdir_np(&actions, workFolder.c_str());
    std::vector<std::string> argv{program.string()};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<char*> argp;
    for (std::string& a : argv)
        argp.push_back(a.data());
    argp.push_back(nullptr);
    pid_t pid = -1;
    const int error = posix_spawn(&pid, program.c_str(), &actions, nullptr, argp.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (error != 0) {
        ::close(pipeFds[0]);
        throw std::runtime_error("cannot start " + program.string() + ": " + std::strerror(error));
    }

    auto watch = std::make_unique<Watch>();
    watch->name = program.filename().string();
    watch->pid = pid;
    watch->errorPipe = pipeFds[0];
    watch->limit = limit;
    Watch& w = *watch;
    std::lock_guard lock(mutex_);
    // Watches of programs already reported are joined and dropped here.
    for (auto it = watches_.begin(); it != watches_.end();) {
        if ((*it)->done) {
            (*it)->thread.join();
            it = watches_.erase(it);
        } else {
            ++it;
        }
    }
    ++running_;
    watches_.push_back(std::move(watch));
    w.thread = std::thread([this, &w] { WatchProgram(w); });
}

// The watcher's own thread: reads the error output, waits for the end or the
// time limit, and posts the report.
void ProgramRunner::WatchProgram(Watch& watch) {
    const auto started = std::chrono::steady_clock::now();
    std::string errors;
    bool pipeOpen = true, overtime = false;
    std::chrono::steady_clock::time_point termSent;
    int status = 0;
    bool ended = false;
    while (!ended && !stopping_) {
        if (pipeOpen) {
            pollfd fd{watch.errorPipe, POLLIN, 0};
            if (::poll(&fd, 1, PollMs) > 0) {
                char buffer[1024];
                const ssize_t n = ::read(watch.errorPipe, buffer, sizeof buffer);
                if (n > 0 && errors.size() < ErrorTextKept)
                    errors.append(buffer,
                                  static_cast<size_t>(std::min<size_t>(n, ErrorTextKept - errors.size())));
                if (n <= 0)
                    pipeOpen = false;
            }
        } else {
            ::usleep(PollMs * 1000);
        }
        ended = ::waitpid(watch.pid, &status, WNOHANG) == watch.pid;
        const auto now = std::chrono::steady_clock::now();
        if (!ended && !overtime && now - started >= watch.limit) {
            overtime = true;
            termSent = now;
            ::kill(watch.pid, SIGTERM);
        } else if (!ended && overtime && now - termSent >= KillGrace) {
            ::kill(watch.pid, SIGKILL);
        }
    }
    ::close(watch.errorPipe);
    if (ended) {
        std::vector<std::string> lines;
        std::string first = "Execute File: " + watch.name + " ";
        if (overtime)
            first += "was still running after " + std::to_string(watch.limit.count()) + " s and was ended (" +
                     ExitText(status) + ")";
        else
            first += ExitText(status);
        lines.push_back(first);
        size_t from = 0;
        while (from < errors.size() && lines.size() <= ErrorLinesReported) {
            size_t end = errors.find('\n', from);
            if (end == std::string::npos)
                end = errors.size();
            if (end > from)
                lines.push_back("  " + errors.substr(from, end - from));
            from = end + 1;
        }
        Post(std::move(lines));
    }
    --running_;
    watch.done = true;
}

void ProgramRunner::Post(std::vector<std::string> lines) {
    std::weak_ptr<ProgramRunner*> self = self_;
    dispatcher_.Post([self, lines = std::move(lines)] {
        const auto runner = self.lock();
        if (!runner || *runner == nullptr)
            return;
        for (const std::string& line : lines)
            (*runner)->report_(line);
    });
}

} // namespace corvane
