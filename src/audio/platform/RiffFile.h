#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>

namespace corvane {

// A four-character code as RIFF files store it: the first character in the
// lowest byte ("RIFF", "fmt ", "data").
using FourCC = uint32_t;

constexpr FourCC MakeFourCC(const char (&text)[5]) {
    return static_cast<FourCC>(static_cast<uint8_t>(text[0])) |
           static_cast<FourCC>(static_cast<uint8_t>(text[1])) << 8 |
           static_cast<FourCC>(static_cast<uint8_t>(text[2])) << 16 |
           static_cast<FourCC>(static_cast<uint8_t>(text[3])) << 24;
}

// One chunk as Descend found it or CreateChunk began it. Offsets and sizes in
// bytes. For "RIFF" and "LIST" chunks the size includes the 4-byte form type,
// which is the first thing of the data.
struct RiffChunk {
    FourCC id = 0;
    uint32_t size = 0;      // as claimed by the chunk header (no pad byte)
    FourCC formType = 0;    // "WAVE", "INFO", … for RIFF and LIST chunks
    int64_t dataOffset = 0; // file offset just after the 8-byte header
    bool dirty = false;     // begun by CreateChunk: Ascend writes its real size
};

enum class RiffOpenMode { Read, ReadWrite, Create };
enum class RiffSeekOrigin { Begin, Current, End };
// What Descend looks for: the chunk at the current position, or the first chunk
// with the wanted id, or the first "RIFF" / "LIST" with the wanted form type.
enum class RiffSearch { Next, Chunk, Riff, List };
enum class RiffCreate { Chunk, Riff, List };

enum class RiffResult { Ok, ChunkNotFound, CannotRead, CannotWrite, CannotSeek };

// Buffered file input and output with RIFF chunk navigation, the stand-in for
// the platform's buffered multimedia file I/O. One thread at a time; the file
// is closed when the object goes.
class RiffFile {
public:
    // Opens a file; nullptr when it cannot be opened (or created). The I/O
    // buffer holds `bufferSize` bytes (at least 1).
    static std::unique_ptr<RiffFile> Open(const std::string& path, RiffOpenMode mode,
                                          size_t bufferSize = 32768);
    // Reads bytes held in memory (which must outlive the object); read-only.
    static std::unique_ptr<RiffFile> OpenMemory(std::span<const uint8_t> bytes);

    RiffFile(const RiffFile&) = delete;
    RiffFile& operator=(const RiffFile&) = delete;
    ~RiffFile();

    // Bytes actually read or written; -1 on an I/O error. A short read means
    // the end of the file.
    int64_t Read(void* data, size_t bytes);
    int64_t Write(const void* data, size_t bytes);
    // The new position, or -1 when it cannot be reached.
    int64_t Seek(int64_t offset, RiffSeekOrigin origin);
    int64_t Tell() const { return position_; }
    // Current size of the file in bytes, or -1.
    int64_t FileSize();
    bool Flush();

    // Reads the header of a chunk at the current position (within `parent`
    // when given) and leaves the position at its data (after the form type of
    // a RIFF or LIST chunk). With a search other than Next, chunks that do not
    // match are skipped, up to the end of the parent or of the file.
    RiffResult Descend(RiffChunk& chunk, const RiffChunk* parent, RiffSearch search);
    // Leaves a chunk: positions after its data and pad byte. For a chunk begun
    // by CreateChunk, first writes the pad byte and its real size.
    RiffResult Ascend(RiffChunk& chunk);
    // Writes the header of a new chunk (and the form type of a RIFF or LIST
    // chunk) at the current position; Ascend completes it.
    RiffResult CreateChunk(RiffChunk& chunk, RiffCreate kind);
    // For a chunk begun by CreateChunk and still being written: writes into
    // its header the size written so far (up to the current position) and
    // returns to where writing stands, so that the file read at this moment
    // is whole.
    RiffResult RefreshSize(const RiffChunk& chunk);
    // Flushes, then has the operating system put the file's data on disk
    // (in the background: the call does not wait for the disk).
    bool Sync();

private:
    RiffFile() = default;
    bool PrepareFor(bool writing);
    bool ReadExactly(void* data, size_t bytes) { return Read(data, bytes) == static_cast<int64_t>(bytes); }

    std::FILE* file_ = nullptr; // or, for a memory file, memory_
    std::span<const uint8_t> memory_;
    std::unique_ptr<char[]> buffer_;
    bool writable_ = false;
    bool lastWasWrite_ = false;
    int64_t position_ = 0;
    std::shared_ptr<std::atomic<bool>> syncing_; // a background sync is under way
};

} // namespace corvane
