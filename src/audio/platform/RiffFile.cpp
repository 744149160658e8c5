#include "audio/platform/RiffFile.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace corvane {

namespace {

uint32_t LittleEndian32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

void PutLittleEndian32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

bool IsContainer(FourCC id) {
    return id == MakeFourCC("RIFF") || id == MakeFourCC("LIST");
}

} // namespace

std::unique_ptr<RiffFile> RiffFile::Open(const std::string& path, RiffOpenMode mode, size_t bufferSize) {
    const char* how = mode == RiffOpenMode::Read ? "rb" : mode == RiffOpenMode::ReadWrite ? "r+b" : "w+b";
    std::FILE* file = nullptr;
    if (mode == RiffOpenMode::Read) {
        // Without waiting: a FIFO among the audio files would block the first
        // read forever. Only a regular file is audio.
        const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        struct stat facts {};
        if (fd < 0)
            return nullptr;
        if (::fstat(fd, &facts) != 0 || !S_ISREG(facts.st_mode) || (file = ::fdopen(fd, how)) == nullptr) {
            ::close(fd);
            return nullptr;
        }
    } else {
        file = std::fopen(path.c_str(), how);
    }
    if (file == nullptr)
        return nullptr;
    std::unique_ptr<RiffFile> riff(new RiffFile());
    riff->file_ = file;
    riff->writable_ = mode != RiffOpenMode::Read;
    riff->buffer_ = std::make_unique<char[]>(std::max<size_t>(bufferSize, 1));
    std::setvbuf(file, riff->buffer_.get(), _IOFBF, std::max<size_t>(bufferSize, 1));
    return riff;
}

std::unique_ptr<RiffFile> RiffFile::OpenMemory(std::span<const uint8_t> bytes) {
    std::unique_ptr<RiffFile> riff(new RiffFile());
    riff->memory_ = bytes;
    return riff;
}

RiffFile::~RiffFile() {
    if (file_ != nullptr)
        std::fclose(file_);
}

bool RiffFile::PrepareFor(bool writing) {
    // A stdio stream needs a seek between reading and writing.
    if (file_ != nullptr && writing != lastWasWrite_) {
        if (fseeko(file_, position_, SEEK_SET) != 0)
            return false;
        lastWasWrite_ = writing;
    }
    return true;
}

int64_t RiffFile::Read(void* data, size_t bytes) {
    if (file_ == nullptr) {
        const int64_t available = std::max<int64_t>(static_cast<int64_t>(memory_.size()) - position_, 0);
        const auto n = static_cast<size_t>(std::min<int64_t>(available, static_cast<int64_t>(bytes)));
        if (n > 0)
            std::memcpy(data, memory_.data() + position_, n);
        position_ += static_cast<int64_t>(n);
        return static_cast<int64_t>(n);
    }
    if (!PrepareFor(false))
        return -1;
    const size_t n = std::fread(data, 1, bytes, file_);
    position_ += static_cast<int64_t>(n);
    if (n < bytes && std::ferror(file_) != 0)
        return -1;
    return static_cast<int64_t>(n);
}

int64_t RiffFile::Write(const void* data, size_t bytes) {
    if (file_ == nullptr || !writable_ || !PrepareFor(true))
        return -1;
    const size_t n = std::fwrite(data, 1, bytes, file_);
    position_ += static_cast<int64_t>(n);
    return n == bytes ? static_cast<int64_t>(n) : -1;
}

int64_t RiffFile::Seek(int64_t offset, RiffSeekOrigin origin) {
    int64_t base = 0;
    if (origin == RiffSeekOrigin::Current)
        base = position_;
    else if (origin == RiffSeekOrigin::End) {
        base = FileSize();
        if (base < 0)
            return -1;
    }
    const int64_t target = base + offset;
    if (target < 0)
        return -1;
    if (file_ != nullptr) {
        if (fseeko(file_, target, SEEK_SET) != 0)
            return -1;
        // After a seek stdio allows either direction.
        lastWasWrite_ = false;
    }
    position_ = target;
    return position_;
}

int64_t RiffFile::FileSize() {
    if (file_ == nullptr)
        return static_cast<int64_t>(memory_.size());
    if (std::fflush(file_) != 0)
        return -1;
    const off_t here = ftello(file_);
    if (fseeko(file_, 0, SEEK_END) != 0)
        return -1;
    const off_t size = ftello(file_);
    if (fseeko(file_, here, SEEK_SET) != 0)
        return -1;
    lastWasWrite_ = false;
    return size;
}

bool RiffFile::Flush() {
    return file_ == nullptr || std::fflush(file_) == 0;
}

RiffResult RiffFile::Descend(RiffChunk& chunk, const RiffChunk* parent, RiffSearch search) {
    const FourCC wantedId = chunk.id;
    const FourCC wantedType = chunk.formType;
    const int64_t end = parent != nullptr ? parent->dataOffset + parent->size : -1;
    for (;;) {
        const int64_t start = position_;
        if (end >= 0 && start + 8 > end)
            return RiffResult::ChunkNotFound;
        uint8_t header[8];
        if (!ReadExactly(header, sizeof header))
            return RiffResult::ChunkNotFound;
        RiffChunk found;
        found.id = LittleEndian32(header);
        found.size = LittleEndian32(header + 4);
        found.dataOffset = start + 8;
        if (IsContainer(found.id)) {
            uint8_t type[4];
            if (!ReadExactly(type, sizeof type))
                return RiffResult::CannotRead;
            found.formType = LittleEndian32(type);
        }
        bool match = false;
        switch (search) {
        case RiffSearch::Next:
            match = true;
            break;
        case RiffSearch::Chunk:
            match = found.id == wantedId;
            break;
        case RiffSearch::Riff:
            match = found.id == MakeFourCC("RIFF") && found.formType == wantedType;
            break;
        case RiffSearch::List:
            match = found.id == MakeFourCC("LIST") && found.formType == wantedType;
            break;
        }
        if (match) {
            chunk = found;
            return RiffResult::Ok;
        }
        if (Ascend(found) != RiffResult::Ok)
            return RiffResult::ChunkNotFound;
    }
}

RiffResult RiffFile::Ascend(RiffChunk& chunk) {
    if (chunk.dirty) {
        const int64_t end = position_;
        const int64_t length = end - chunk.dataOffset;
        if (length < 0 || length > UINT32_MAX)
            return RiffResult::CannotWrite;
        if ((length & 1) != 0) {
            const uint8_t pad = 0;
            if (Write(&pad, 1) != 1)
                return RiffResult::CannotWrite;
        }
        uint8_t size[4];
        PutLittleEndian32(size, static_cast<uint32_t>(length));
        if (Seek(chunk.dataOffset - 4, RiffSeekOrigin::Begin) < 0)
            return RiffResult::CannotSeek;
        if (Write(size, sizeof size) != 4)
            return RiffResult::CannotWrite;
        chunk.size = static_cast<uint32_t>(length);
        chunk.dirty = false;
    }
    const int64_t next = chunk.dataOffset + chunk.size + (chunk.size & 1);
    return Seek(next, RiffSeekOrigin::Begin) < 0 ? RiffResult::CannotSeek : RiffResult::Ok;
}

RiffResult RiffFile::RefreshSize(const RiffChunk& chunk) {
    const int64_t end = position_;
    const int64_t length = end - chunk.dataOffset;
    if (length < 0 || length > UINT32_MAX)
        return RiffResult::CannotWrite;
    uint8_t size[4];
    PutLittleEndian32(size, static_cast<uint32_t>(length));
    if (Seek(chunk.dataOffset - 4, RiffSeekOrigin::Begin) < 0)
        return RiffResult::CannotSeek;
    if (Write(size, sizeof size) != 4)
        return RiffResult::CannotWrite;
    return Seek(end, RiffSeekOrigin::Begin) < 0 ? RiffResult::CannotSeek : RiffResult::Ok;
}

bool RiffFile::Sync() {
    if (file_ == nullptr)
        return true;
    if (std::fflush(file_) != 0)
        return false;
    // Putting the data on disk can take longer than a recording's buffers
    // last on a busy disk: it runs on a thread of its own, one at a time,
    // on a duplicate of the descriptor so that closing the file does not
    // wait for it.
    if (syncing_ && syncing_->load())
        return true;
    const int fd = ::dup(::fileno(file_));
    if (fd < 0)
        return false;
    if (!syncing_)
        syncing_ = std::make_shared<std::atomic<bool>>(false);
    syncing_->store(true);
    try {
        std::thread([fd, flag = syncing_] {
            ::fdatasync(fd);
            ::close(fd);
            flag->store(false);
        }).detach();
    } catch (const std::system_error&) {
        ::close(fd);
        syncing_->store(false);
        return false;
    }
    return true;
}

RiffResult RiffFile::CreateChunk(RiffChunk& chunk, RiffCreate kind) {
    if (kind == RiffCreate::Riff)
        chunk.id = MakeFourCC("RIFF");
    else if (kind == RiffCreate::List)
        chunk.id = MakeFourCC("LIST");
    uint8_t header[12];
    PutLittleEndian32(header, chunk.id);
    PutLittleEndian32(header + 4, kind == RiffCreate::Chunk ? 0 : 4);
    PutLittleEndian32(header + 8, chunk.formType);
    const size_t length = kind == RiffCreate::Chunk ? 8 : 12;
    chunk.dataOffset = position_ + 8;
    if (Write(header, length) != static_cast<int64_t>(length))
        return RiffResult::CannotWrite;
    chunk.size = kind == RiffCreate::Chunk ? 0 : 4;
    chunk.dirty = true;
    return RiffResult::Ok;
}

} // namespace corvane
