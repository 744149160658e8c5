#include "FilePlayer.h"

#include "audio/device/MainThreadQueue.h"
#include "platform/ExceptionGuard.h"

#include <ostream>
#include <stdexcept>

namespace corvane {
namespace {

std::string Clock(int64_t ms) {
    ms = std::max<int64_t>(ms, 0);
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld.%01lld", static_cast<long long>(ms / 60000),
                  static_cast<long long>(ms / 1000 % 60), static_cast<long long>(ms / 100 % 10));
    return text;
}

} // namespace

FilePlayer::FilePlayer(WaveDevice& device, MainThreadQueue& loop, int deviceId)
    : loop_(loop), ring_(loop, "MMRingBuffer1"), out_(device, loop, "mmAudioOut") {
    deck_.SetOutput(&volume_);
    mixer_.SetPortInput(0, &volume_);
    mixer_.SetOutput(&master_);
    master_.SetOutput(&ring_);
    ring_.SetOutput(&out_);
    out_.SetDeviceID(deviceId);
    out_.SetBufferSize(4096);
    out_.SetNumBuffers(64);
    out_.SetTimeFormat(TMMTimeFormats::tfSample);
    mixer_.OnOpenPort = [this](TMMDSPComponent*, int) { fileStartFrame_ = mixer_.MixPosition(); };
    mixer_.OnClosePort = [this](TMMDSPComponent*, int) {
        if (next_ < files_.size()) {
            LoadNext();
        } else {
            // The rest of the last file is still in the output's queue.
            endFrame_ = mixer_.MixPosition() + out_.GetBufferSize() / 4;
        }
    };
}

FilePlayer::~FilePlayer() {
    out_.Close();
}

void FilePlayer::LoadNext() {
    mixer_.HoldPort(0, true);
    for (; next_ < files_.size(); ++next_) {
        deck_.SetFileName(files_[next_]);
        if (!deck_.IsEmpty())
            break;
        throw std::runtime_error("No such file: " + files_[next_]);
    }
    playing_ = files_[next_++];
    mixer_.HoldPort(0, false);
}

void FilePlayer::Report(std::ostream& out) {
    const int64_t heard = out_.Position();
    if (fileStartFrame_ < 0 || heard < fileStartFrame_)
        return;
    const int64_t ms = (heard - fileStartFrame_) * 1000 / mixer_.SampleRate();
    out << "\r" << playing_ << "  " << Clock(std::min<int64_t>(ms, deck_.Duration())) << " / "
        << Clock(deck_.Duration()) << std::flush;
}

void FilePlayer::Play(const std::vector<std::string>& files, std::ostream& out) {
    files_ = files;
    next_ = 0;
    std::exception_ptr failure;
    const auto previous = SetExceptionHandler([&](std::string_view, std::exception_ptr error) {
        failure = error;
        failed_ = true;
    });
    try {
        LoadNext();
        out_.Start();
        const auto done = [&] {
            return failed_ || !out_.State().started || (endFrame_ >= 0 && out_.Position() >= endFrame_);
        };
        while (!loop_.RunUntil(done, std::chrono::milliseconds(200)))
            Report(out);
        Report(out);
        out << "\n";
        out_.Stop();
    } catch (...) {
        SetExceptionHandler(previous);
        throw;
    }
    SetExceptionHandler(previous);
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace corvane
