#include "SoundServerRecorder.h"

#include <chrono>
#include <cmath>
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace corvane {

SoundServerRecorder::SoundServerRecorder(const std::string& source) {
    int fds[2];
    if (pipe(fds) != 0)
        return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    const std::string device = "--device=" + source;
    const char* argv[] = {"parec",        device.c_str(), "--format=s16le",    "--rate=44100",
                          "--channels=2", "--raw",        "--latency-msec=20", nullptr};
    pid_t pid = -1;
    const int rc = posix_spawnp(&pid, "parec", &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (rc != 0) {
        close(fds[0]);
        return;
    }
    pid_ = pid;
    pipe_ = fds[0];
    reader_ = std::thread([this] {
        std::vector<int16_t> chunk(4096);
        for (;;) {
            const ssize_t n = read(pipe_, chunk.data(), chunk.size() * 2);
            if (n <= 0)
                return;
            std::lock_guard lock(mutex_);
            samples_.insert(samples_.end(), chunk.begin(), chunk.begin() + n / 2);
            arrived_.notify_all();
        }
    });
}

SoundServerRecorder::~SoundServerRecorder() {
    Stop();
}

bool SoundServerRecorder::WaitForFrames(size_t frames, int limitSeconds) {
    std::unique_lock lock(mutex_);
    return arrived_.wait_for(lock, std::chrono::seconds(limitSeconds),
                             [&] { return samples_.size() / 2 >= frames; });
}

std::vector<double> SoundServerRecorder::Stop() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    if (reader_.joinable())
        reader_.join();
    if (pipe_ >= 0) {
        close(pipe_);
        pipe_ = -1;
    }
    std::vector<double> left;
    left.reserve(samples_.size() / 2);
    for (size_t i = 0; i + 1 < samples_.size(); i += 2)
        left.push_back(samples_[i] / 32768.0);
    return left;
}

ToneSpan FindTone(const std::vector<double>& samples, double threshold) {
    ToneSpan span;
    for (size_t i = 0; i < samples.size(); ++i)
        if (std::abs(samples[i]) > threshold) {
            if (!span.found)
                span.first = i;
            span.last = i;
            span.found = true;
        }
    return span;
}

double MeasureFrequency(const std::vector<double>& samples, size_t first, size_t last, int rate) {
    int crossings = 0;
    for (size_t i = first + 1; i < last; ++i)
        if ((samples[i - 1] < 0) != (samples[i] < 0))
            ++crossings;
    return crossings / 2.0 * rate / static_cast<double>(last - first);
}

double MeasureRms(const std::vector<double>& samples, size_t first, size_t last) {
    double sum = 0;
    for (size_t i = first; i < last; ++i)
        sum += samples[i] * samples[i];
    return std::sqrt(sum / static_cast<double>(last - first));
}

std::vector<std::pair<size_t, size_t>> FindDropouts(const std::vector<double>& samples, size_t first,
                                                    size_t last, size_t minSamples, double threshold) {
    std::vector<std::pair<size_t, size_t>> found;
    size_t runStart = first;
    bool inRun = false;
    for (size_t i = first; i < last; ++i) {
        const bool quiet = std::abs(samples[i]) < threshold;
        if (quiet && !inRun) {
            runStart = i;
            inRun = true;
        } else if (!quiet && inRun) {
            if (i - runStart >= minSamples)
                found.emplace_back(runStart, i);
            inRun = false;
        }
    }
    return found;
}

std::vector<size_t> FindClicks(const std::vector<double>& samples, size_t first, size_t last,
                               double maxStep) {
    std::vector<size_t> found;
    for (size_t i = first + 1; i < last; ++i)
        if (std::abs(samples[i] - samples[i - 1]) > maxStep)
            found.push_back(i);
    return found;
}

} // namespace corvane
