#include "library/AudioCacheRefresh.h"

#include "audio/decks/TMMAudioFile.h"
#include "data/Table.h"
#include "library/AudioVerification.h"
#include "platform/Dispatcher.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <stdexcept>
#include <unistd.h>

namespace corvane {
namespace {

namespace fs = std::filesystem;

// Copies `from` to `to` and flushes it to disk; throws on any failure.
void CopyFlushed(const fs::path& from, const fs::path& to) {
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        throw std::runtime_error(std::string("cannot read it: ") + std::strerror(errno));
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (out < 0) {
        const int error = errno;
        ::close(in);
        throw std::runtime_error("cannot write " + to.string() + ": " + std::strerror(error));
    }
    char buffer[1 << 16];
    std::string failure;
    for (;;) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n < 0) {
            failure = std::string("reading failed: ") + std::strerror(errno);
            break;
        }
        if (n == 0)
            break;
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(out, buffer + done, static_cast<size_t>(n - done));
            if (w < 0) {
                failure = std::string("writing failed: ") + std::strerror(errno);
                break;
            }
            done += w;
        }
        if (!failure.empty())
            break;
    }
    if (failure.empty() && ::fsync(out) != 0)
        failure = std::string("flushing failed: ") + std::strerror(errno);
    ::close(in);
    if (::close(out) != 0 && failure.empty())
        failure = std::string("writing failed: ") + std::strerror(errno);
    if (!failure.empty())
        throw std::runtime_error(failure);
}

} // namespace

AudioCacheRefresh::AudioCacheRefresh(Dispatcher& dispatcher, Finished finished)
    : dispatcher_(dispatcher), finished_(std::move(finished)),
      self_(std::make_shared<AudioCacheRefresh*>(this)) {}

AudioCacheRefresh::~AudioCacheRefresh() {
    *self_ = nullptr;
    cancel_->store(true);
    if (worker_.joinable())
        worker_.join();
}

void AudioCacheRefresh::Start(Table& library) {
    if (running_)
        throw std::runtime_error("a refresh of the audio cache is still running");
    if (worker_.joinable())
        worker_.join();
    std::vector<Title> titles;
    if (library.Active()) {
        Table rows(library.Name() + "CacheRefresh");
        rows.CloneCursor(library);
        for (rows.First(); !rows.Eof(); rows.Next()) {
            Title title{rows.FieldByName("NetworkPathToFile").AsString(),
                        rows.FieldByName("LocalPathToFile").AsString()};
            if (!title.network.empty())
                titles.push_back(std::move(title));
        }
    }
    running_ = true;
    cancel_->store(false);
    worker_ =
        std::thread([titles = std::move(titles), cancel = cancel_, self = self_, &dispatcher = dispatcher_] {
            Outcome outcome = Refresh(titles, *cancel);
            dispatcher.Post([self, outcome = std::move(outcome)] {
                if (AudioCacheRefresh* refresh = *self) {
                    refresh->running_ = false;
                    if (refresh->finished_)
                        refresh->finished_(outcome);
                }
            });
        });
}

void AudioCacheRefresh::WaitForCopies() {
    if (worker_.joinable())
        worker_.join();
}

// The worker's thread.
AudioCacheRefresh::Outcome AudioCacheRefresh::Refresh(const std::vector<Title>& titles,
                                                      const std::atomic<bool>& cancel) {
    Outcome outcome;
    TMMAudioFile reader("mmAudioFileCache");
    for (const Title& title : titles) {
        if (cancel.load())
            break;
        const auto fail = [&](const std::string& why) {
            outcome.failed.push_back(title.network + ": " + why);
        };
        std::error_code ec;
        if (title.local.empty()) {
            fail("the title has no local path");
            continue;
        }
        if (!fs::is_regular_file(title.network, ec)) {
            fail("missing");
            continue;
        }
        const fs::path local = title.local;
        if (fs::is_regular_file(local, ec) &&
            fs::last_write_time(local, ec) >= fs::last_write_time(title.network, ec) && !ec) {
            ++outcome.upToDate;
            continue;
        }
        if (!CheckAudioFile(reader, title.network).empty()) {
            fail("not readable as audio; the local file is kept");
            continue;
        }
        const fs::path part = local.string() + ".corvane-part";
        try {
            fs::create_directories(local.parent_path(), ec);
            CopyFlushed(title.network, part);
            if (fs::file_size(part) != fs::file_size(title.network) ||
                !CheckAudioFile(reader, part.string()).empty())
                throw std::runtime_error("the copy does not read back as the network file");
            fs::rename(part, local);
            outcome.copied.push_back(local.string());
        } catch (const std::exception& e) {
            fs::remove(part, ec);
            fail(std::string(e.what()) + "; the local file is kept");
        }
    }
    return outcome;
}

} // namespace corvane
