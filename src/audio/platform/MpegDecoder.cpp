#include "audio/platform/MpegDecoder.h"

#include "audio/platform/MpegFrameHeader.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <mpg123.h>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace corvane {

namespace {

void InitLibraryOnce() {
    // Required by libmpg123 before 1.27; harmless after.
    static const int status = mpg123_init();
    (void)status;
}

mpg123_ssize_t ReadCallback(void* handle, void* data, size_t bytes) {
    auto* source = static_cast<MpegDecoder::Source*>(handle);
    const int64_t at = source->base + source->position;
    const int64_t n = source->ReadAt(at, static_cast<uint8_t*>(data),
                                     std::clamp<int64_t>(source->end - at, 0, static_cast<int64_t>(bytes)));
    if (n < 0)
        return -1;
    source->position += n;
    return static_cast<mpg123_ssize_t>(n);
}

off_t SeekCallback(void* handle, off_t offset, int whence) {
    auto* source = static_cast<MpegDecoder::Source*>(handle);
    const int64_t length = source->end - source->base;
    const int64_t origin = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? source->position : length;
    const int64_t target = origin + offset;
    if (target < 0) {
        errno = EINVAL;
        return -1;
    }
    source->position = target;
    return static_cast<off_t>(target);
}

long ChannelFlag(MpegChannelMode mode) {
    switch (mode) {
    case MpegChannelMode::Left:
        return MPG123_MONO_LEFT;
    case MpegChannelMode::Right:
        return MPG123_MONO_RIGHT;
    case MpegChannelMode::DownMix:
        return MPG123_MONO_MIX;
    case MpegChannelMode::Both:
        break;
    }
    return 0;
}

} // namespace

MpegDecoder::Source::~Source() {
    if (fd >= 0)
        ::close(fd);
}

int64_t MpegDecoder::Source::ReadFile(int64_t offset, uint8_t* data, int64_t bytes) const {
    int64_t total = 0;
    while (total < bytes) {
        const ssize_t got = ::pread(fd, data + total, static_cast<size_t>(bytes - total), offset + total);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        total += got;
    }
    return total;
}

int64_t MpegDecoder::Source::ReadAt(int64_t offset, uint8_t* data, int64_t bytes) {
    const int64_t n = std::clamp<int64_t>(size - offset, 0, bytes);
    if (n == 0)
        return 0;
    if (fd < 0) {
        std::memcpy(data, memory.data() + offset, static_cast<size_t>(n));
        return n;
    }
    // Nearly every read lies within the block.
    if (offset >= blockStart && offset + n <= blockStart + static_cast<int64_t>(block.size())) {
        std::memcpy(data, block.data() + (offset - blockStart), static_cast<size_t>(n));
        return n;
    }
    int64_t done = 0;
    while (done < n) {
        const int64_t at = offset + done;
        const int64_t inBlock = blockStart + static_cast<int64_t>(block.size()) - at;
        if (at >= blockStart && inBlock > 0) {
            const int64_t take = std::min(inBlock, n - done);
            std::memcpy(data + done, block.data() + (at - blockStart), static_cast<size_t>(take));
            done += take;
            continue;
        }
        // A read larger than a block goes straight to the caller. One of a
        // block's size (the search for the first frame) fills the block, which
        // the length scan then starts from.
        if (n - done > ReadAheadBytes) {
            const int64_t got = ReadFile(at, data + done, n - done);
            if (got < 0)
                return -1;
            return done + got;
        }
        block.resize(static_cast<size_t>(std::min(ReadAheadBytes, size - at)));
        const int64_t got = ReadFile(at, block.data(), static_cast<int64_t>(block.size()));
        if (got <= 0) {
            block.clear();
            return got < 0 ? -1 : done;
        }
        block.resize(static_cast<size_t>(got));
        blockStart = at;
    }
    return done;
}

MpegDecoder::MpegDecoder() {
    InitLibraryOnce();
    // Checked here so that a missing or broken library fails at construction,
    // as the decks expect, not at the first file.
    int error = MPG123_OK;
    mpg123_handle* probe = mpg123_new(nullptr, &error);
    if (probe == nullptr)
        throw std::runtime_error(mpg123_plain_strerror(error));
    mpg123_delete(probe);
}

MpegDecoder::~MpegDecoder() {
    Clear();
}

int MpegDecoder::SetFileName(const std::string& path) {
    Clear();
    if (path.empty())
        return MpegOk;
    auto source = std::make_unique<Source>();
    // O_NONBLOCK: a FIFO would otherwise hold the open until a writer came.
    source->fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (source->fd < 0)
        return MpegCannotOpenFile;
    struct stat facts {};
    if (::fstat(source->fd, &facts) != 0 || !S_ISREG(facts.st_mode))
        return MpegCannotOpenFile;
    source->size = facts.st_size;
    const int status = Load(std::move(source));
    if (status == MpegOk)
        fileName_ = path;
    return status;
}

int MpegDecoder::SetMemory(std::span<const uint8_t> bytes) {
    Clear();
    auto source = std::make_unique<Source>();
    source->memory = bytes;
    source->size = static_cast<int64_t>(bytes.size());
    return Load(std::move(source));
}

int MpegDecoder::Load(std::unique_ptr<Source> source) {
    Source& s = *source;
    const auto span = FindMpegAudio(
        [&s](int64_t offset, uint8_t* data, int64_t bytes) { return s.ReadAt(offset, data, bytes); }, s.size);
    if (!span)
        return MpegNotMpegAudio;
    s.base = span->start;
    s.end = span->end;
    source_ = std::move(source);
    const int status = Attach();
    if (status != MpegOk) {
        Clear();
        return status;
    }
    return MpegOk;
}

int MpegDecoder::Attach() {
    Detach();
    int error = MPG123_OK;
    handle_ = mpg123_new(nullptr, &error);
    if (handle_ == nullptr)
        return error;
    mpg123_param(handle_, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS | ChannelFlag(channelMode_), 0.0);
    // Garbage inside a file is skipped, however long, rather than ending the play.
    mpg123_param(handle_, MPG123_RESYNC_LIMIT, -1, 0.0);
    // A layer III frame may take its data from up to 511 bytes of earlier
    // frames; decoding ten frames ahead of a seek point covers that even for
    // the smallest frames, so seeks land on exactly the samples a straight
    // decode gives.
    mpg123_param(handle_, MPG123_PREFRAMES, 10, 0.0);
    mpg123_format_none(handle_);
    const long* rates = nullptr;
    size_t count = 0;
    mpg123_rates(&rates, &count);
    for (size_t i = 0; i < count; ++i)
        mpg123_format(handle_, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    source_->position = 0;
    if (mpg123_replace_reader_handle(handle_, ReadCallback, SeekCallback, nullptr) != MPG123_OK ||
        mpg123_open_handle(handle_, source_.get()) != MPG123_OK) {
        Detach();
        return MpegNotMpegAudio;
    }
    const int status = ReadInfo();
    if (status != MpegOk)
        Detach();
    done_ = false;
    return status;
}

void MpegDecoder::Detach() {
    if (handle_ != nullptr) {
        mpg123_close(handle_);
        mpg123_delete(handle_);
        handle_ = nullptr;
    }
}

int MpegDecoder::ReadInfo() {
    // A full scan gives the exact frame count and length of VBR files without
    // a Xing/Info header and fills the seek index.
    if (mpg123_scan(handle_) != MPG123_OK)
        return MpegNotMpegAudio;
    mpg123_frameinfo2 frame{};
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_info2(handle_, &frame) != MPG123_OK ||
        mpg123_getformat(handle_, &rate, &channels, &encoding) != MPG123_OK || rate <= 0)
        return MpegNotMpegAudio;
    MpegFileInfo info;
    info.version = frame.version == MPG123_1_0 ? 1 : 0;
    info.layer = frame.layer;
    info.sampleRate = static_cast<int>(frame.rate);
    info.playbackRate = static_cast<int>(rate);
    info.mode = static_cast<uint8_t>(frame.mode);
    info.frames = std::max<int64_t>(mpg123_framelength(handle_), 0);
    info.samples = std::max<int64_t>(mpg123_length(handle_), 0);
    info.timeMs = static_cast<int32_t>((info.samples * 1000 + rate / 2) / rate);
    info.samplesPerFrame = mpg123_spf(handle_);
    info.frameDurationMs = mpg123_tpf(handle_) * 1000.0;
    const int64_t audioBytes = source_->end - source_->base;
    // Free-format frames carry no bit rate (0): their average is the rate.
    if ((frame.vbr != MPG123_CBR || frame.bitrate <= 0) && info.timeMs > 0)
        info.bitRate = static_cast<int>(audioBytes * 8 / info.timeMs);
    else
        info.bitRate = frame.bitrate;
    if (source_->size >= 128) {
        std::array<uint8_t, 128> tail{};
        if (source_->ReadAt(source_->size - 128, tail.data(), 128) == 128 &&
            std::memcmp(tail.data(), "TAG", 3) == 0)
            info.id3v1 = tail;
    }
    info_ = info;
    return mpg123_seek(handle_, 0, SEEK_SET) < 0 ? mpg123_errcode(handle_) : MpegOk;
}

void MpegDecoder::Clear() {
    Detach();
    source_.reset();
    fileName_.clear();
    info_ = MpegFileInfo{};
    open_ = false;
    done_ = false;
}

int MpegDecoder::SetChannelMode(MpegChannelMode mode) {
    if (open_)
        return MpegFileIsOpen;
    if (mode == channelMode_)
        return MpegOk;
    channelMode_ = mode;
    return Empty() ? MpegOk : Attach();
}

int MpegDecoder::Channels() const {
    return info_.mode == MPG123_M_MONO || channelMode_ != MpegChannelMode::Both ? 1 : 2;
}

int MpegDecoder::Open() {
    if (Empty())
        return MpegNoFile;
    open_ = true;
    return Reset();
}

int MpegDecoder::Reset() {
    return SetSamplePosition(0);
}

int64_t MpegDecoder::Read(uint8_t* buffer, size_t bytes) {
    if (Empty())
        return -MpegNoFile;
    const size_t frameBytes = static_cast<size_t>(Channels()) * 2;
    bytes -= bytes % frameBytes;
    size_t total = 0;
    while (total < bytes && !done_) {
        size_t got = 0;
        const int status = mpg123_read(handle_, buffer + total, bytes - total, &got);
        total += got;
        if (status == MPG123_DONE)
            done_ = true;
        else if (status != MPG123_OK && status != MPG123_NEW_FORMAT)
            return total > 0 ? static_cast<int64_t>(total) : -mpg123_errcode(handle_);
    }
    return static_cast<int64_t>(total);
}

int64_t MpegDecoder::FramePosition() const {
    return Empty() ? 0 : std::max<int64_t>(mpg123_tellframe(handle_), 0);
}

int MpegDecoder::SetFramePosition(int64_t frame) {
    if (Empty())
        return MpegNoFile;
    const int64_t last = std::max<int64_t>(info_.frames, 0);
    if (mpg123_seek_frame(handle_, static_cast<off_t>(std::clamp<int64_t>(frame, 0, last)), SEEK_SET) < 0)
        return mpg123_errcode(handle_);
    done_ = false;
    return MpegOk;
}

int64_t MpegDecoder::SamplePosition() const {
    return Empty() ? 0 : std::max<int64_t>(mpg123_tell(handle_), 0);
}

int MpegDecoder::SetSamplePosition(int64_t sample) {
    if (Empty())
        return MpegNoFile;
    if (mpg123_seek(handle_, static_cast<off_t>(std::clamp<int64_t>(sample, 0, info_.samples)), SEEK_SET) < 0)
        return mpg123_errcode(handle_);
    done_ = false;
    return MpegOk;
}

std::string MpegDecoder::ErrorText(int code) {
    switch (code) {
    case MpegNotMpegAudio:
        return "The file holds no MPEG audio";
    case MpegCannotOpenFile:
        return "Unable to open the file";
    case MpegNoFile:
        return "No file loaded";
    case MpegFileIsOpen:
        return "The file is open for decoding";
    default:
        return mpg123_plain_strerror(code);
    }
}

} // namespace corvane
