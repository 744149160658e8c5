#include "asrun/AsRunJournal.h"

#include "platform/Dispatcher.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

namespace corvane {
namespace {

// How long a failed write waits before it is tried again with no new line.
constexpr auto RetryInterval = std::chrono::seconds(5);

} // namespace

AsRunJournal::AsRunJournal(std::filesystem::path folder, Dispatcher& dispatcher,
                           std::function<void(const std::string& message)> report)
    : folder_(std::move(folder)), dispatcher_(dispatcher), report_(std::move(report)),
      thread_([this] { Run(); }) {}

AsRunJournal::~AsRunJournal() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void AsRunJournal::Append(const std::string& day, std::string line) {
    {
        std::lock_guard lock(mutex_);
        queue_.push_back({day, std::move(line)});
        ++appended_;
    }
    wake_.notify_one();
}

bool AsRunJournal::Flush(int timeoutMs) {
    std::unique_lock lock(mutex_);
    // A failure counts only once every line appended so far has been tried.
    drained_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                      [this] { return queue_.empty() || (failing_ && failedAt_ == appended_); });
    return queue_.empty();
}

// Journal thread. The queue's front is only removed once written, so a line
// that failed is the first tried again and the order on the disk is the
// order of Append.
void AsRunJournal::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        if (queue_.empty() || failing_) {
            drained_.notify_all();
            if (stopping_ && (queue_.empty() || failing_))
                break;
            const size_t queued = queue_.size();
            if (failing_)
                wake_.wait_for(lock, RetryInterval, [&] { return stopping_ || queue_.size() != queued; });
            else
                wake_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
            if (queue_.empty())
                continue;
        }
        const Pending pending = queue_.front();
        const uint64_t seen = appended_;
        lock.unlock();
        const std::string error = Write(pending);
        lock.lock();
        if (error.empty()) {
            queue_.pop_front();
            if (failing_) {
                failing_ = false;
                dispatcher_.Post([report = report_] { report("As-run log: writing again"); });
            }
            continue;
        }
        // Once per run of failures; the lines wait in order.
        const bool first = !failing_;
        failing_ = true;
        failedAt_ = seen;
        if (first && !stopping_)
            dispatcher_.Post([report = report_, error] { report("As-run log: " + error); });
        if (stopping_)
            break;
    }
}

std::string AsRunJournal::Write(const Pending& pending) {
    const std::filesystem::path path = folder_ / (pending.day + ".jsonl");
    std::error_code made;
    std::filesystem::create_directories(folder_, made);
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0)
        return "cannot open " + path.string() + ": " + std::strerror(errno);
    const std::string text = pending.line + "\n";
    size_t done = 0;
    std::string error;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = "cannot write " + path.string() + ": " + std::strerror(n < 0 ? errno : ENOSPC);
            break;
        }
        done += static_cast<size_t>(n);
    }
    if (error.empty() && ::fdatasync(fd) != 0)
        error = "cannot flush " + path.string() + ": " + std::strerror(errno);
    // A line cut short by a full disk would be a damaged line: cut it off so
    // the line tried again starts where the file's good lines end.
    if (!error.empty() && done > 0 && done < text.size()) {
        const off_t end = ::lseek(fd, 0, SEEK_END);
        if (end >= static_cast<off_t>(done))
            (void)::ftruncate(fd, end - static_cast<off_t>(done));
    }
    ::close(fd);
    return error;
}

} // namespace corvane
