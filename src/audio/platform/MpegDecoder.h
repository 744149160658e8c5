#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

struct mpg123_handle_struct;

namespace corvane {

// Which channels of a stereo file are decoded (the decoder's channel mode).
enum class MpegChannelMode { Left, Right, Both, DownMix };

// What the decoder knows of the loaded file.
struct MpegFileInfo {
    uint8_t version = 1; // 0 = MPEG-2 low sampling frequencies (and MPEG-2.5), 1 = MPEG-1
    int layer = 0;
    int sampleRate = 0;   // Hz of the file
    int playbackRate = 0; // Hz of the decoded PCM
    int bitRate = 0;      // kbit/s; the average over the file for VBR files
    uint8_t mode = 0;     // 0 stereo, 1 joint stereo, 2 dual channel, 3 single channel
    int64_t frames = 0;
    int64_t samples = 0; // decoded length in sample frames, encoder delay and padding removed
    int32_t timeMs = 0;  // samples in ms, rounded
    double frameDurationMs = 0;
    int samplesPerFrame = 0;
    std::array<uint8_t, 128> id3v1{}; // the file's last 128 bytes when they are an ID3v1 tag, else zeros
};

// Status codes of the decoder beyond those of libmpg123 (whose codes are
// small positive numbers); 0 is success.
enum MpegStatus : int {
    MpegOk = 0,
    MpegNotMpegAudio = 1000,
    MpegCannotOpenFile = 1001,
    MpegNoFile = 1002,
    MpegFileIsOpen = 1003,
};

// One decoder instance over libmpg123: the stand-in for the outside MPEG
// decoder library. It reads one file (or bytes in memory), reports its
// information with an exact, gapless length, and decodes it to signed 16-bit
// little-endian PCM at the file's rate, with frame-accurate and
// sample-accurate seeking. One thread at a time.
class MpegDecoder {
public:
    // Throws std::runtime_error when libmpg123 cannot give an instance.
    MpegDecoder();
    MpegDecoder(const MpegDecoder&) = delete;
    MpegDecoder& operator=(const MpegDecoder&) = delete;
    ~MpegDecoder();

    // Loads a file (an empty name forgets the file). A file that holds no MPEG
    // audio gives MpegNotMpegAudio and leaves the decoder empty.
    int SetFileName(const std::string& path);
    // Loads bytes held in memory, which must outlive the decoder's use of them.
    int SetMemory(std::span<const uint8_t> bytes);
    void Clear();
    bool Empty() const { return handle_ == nullptr; }
    const std::string& FileName() const { return fileName_; }
    const MpegFileInfo& Info() const { return info_; }

    // Not while open for decoding (MpegFileIsOpen).
    int SetChannelMode(MpegChannelMode mode);
    MpegChannelMode ChannelMode() const { return channelMode_; }
    // Channels of the decoded PCM: 1 for single-channel files and for every
    // channel mode but Both, else 2.
    int Channels() const;

    // Opening for decoding starts at the first sample; Reset rewinds there.
    int Open();
    void Close() { open_ = false; }
    bool IsOpen() const { return open_; }
    int Reset();

    // Decodes up to `bytes` bytes of PCM (whole sample frames); returns the
    // bytes written, 0 at the end, or a negative status code.
    int64_t Read(uint8_t* buffer, size_t bytes);
    // The end of the file has been decoded.
    bool Done() const { return done_; }

    int64_t FramePosition() const;
    int SetFramePosition(int64_t frame);
    // Position in decoded sample frames from the first audible sample.
    int64_t SamplePosition() const;
    int SetSamplePosition(int64_t sample);

    static std::string ErrorText(int code);

    // Where the bytes come from; libmpg123 reads through it. A file is read
    // ahead in large blocks: the decoder asks for a few hundred bytes at a
    // time (a frame header, then its body), and a system call for each would
    // cost more than the length scan itself.
    struct Source {
        static constexpr int64_t ReadAheadBytes = 64 * 1024;
        int fd = -1;
        std::span<const uint8_t> memory;
        int64_t base = 0; // first byte of the MPEG audio
        int64_t end = 0;  // after the last byte of the MPEG audio
        int64_t size = 0; // whole file
        int64_t position = 0;
        std::vector<uint8_t> block; // file bytes from blockStart on
        int64_t blockStart = 0;
        Source() = default;
        Source(const Source&) = delete;
        Source& operator=(const Source&) = delete;
        ~Source();
        int64_t ReadAt(int64_t offset, uint8_t* data, int64_t bytes);

    private:
        // Reads file bytes straight from the file; -1 on an error.
        int64_t ReadFile(int64_t offset, uint8_t* data, int64_t bytes) const;
    };

private:
    int Load(std::unique_ptr<Source> source);
    int Attach();
    void Detach();
    int ReadInfo();

    mpg123_handle_struct* handle_ = nullptr;
    std::unique_ptr<Source> source_;
    std::string fileName_;
    MpegFileInfo info_;
    MpegChannelMode channelMode_ = MpegChannelMode::Both;
    bool open_ = false;
    bool done_ = false;
};

} // namespace corvane
