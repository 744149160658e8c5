#pragma once

#include "audio/chain/WaveFormat.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace corvane::test {

// Builds RIFF WAVE files byte by byte, damaged ones included: chunks in any
// order, with any claimed size, with or without pad bytes.
class WaveBuilder {
public:
    enum class Pad { Yes, No };

    WaveBuilder& Chunk(const std::string& id, const std::vector<uint8_t>& body, Pad pad = Pad::Yes) {
        return ChunkClaiming(id, static_cast<uint32_t>(body.size()), body, pad);
    }
    WaveBuilder& ChunkClaiming(const std::string& id, uint32_t claimed, const std::vector<uint8_t>& body,
                               Pad pad = Pad::Yes) {
        Bytes(id);
        Put(claimed, 4);
        chunks_.insert(chunks_.end(), body.begin(), body.end());
        if (pad == Pad::Yes && (body.size() & 1) != 0)
            chunks_.push_back(0);
        return *this;
    }
    WaveBuilder& Format(const WaveFormat& f) { return Chunk("fmt ", SerializeWaveFormat(f)); }
    WaveBuilder& Data(const std::vector<uint8_t>& samples) { return Chunk("data", samples); }
    // Bytes after the RIFF chunk.
    WaveBuilder& Trailing(const std::vector<uint8_t>& bytes) {
        trailing_.insert(trailing_.end(), bytes.begin(), bytes.end());
        return *this;
    }
    // The RIFF size to claim instead of the true one.
    WaveBuilder& RiffSize(uint32_t size) {
        riffSize_ = size;
        return *this;
    }
    // The header's id instead of "RIFF" ("RF64", "BW64").
    WaveBuilder& Form(const std::string& id) {
        form_ = id;
        return *this;
    }
    // For Ds64's RIFF size: the file's true one, filled in by Bytes().
    static constexpr uint64_t TrueSize = ~uint64_t{0};

    // The "ds64" chunk of an RF64 or BW64 file: 64-bit RIFF and data sizes,
    // the sample count, and sizes of other chunks by id.
    WaveBuilder& Ds64(uint64_t riff, uint64_t data, uint64_t samples,
                      const std::vector<std::pair<std::string, uint64_t>>& table = {}) {
        if (riff == TrueSize)
            ds64RiffAt_ = chunks_.size() + 8;
        std::vector<uint8_t> body;
        const auto put = [&body](uint64_t v, int bytes) {
            for (int i = 0; i < bytes; ++i)
                body.push_back(static_cast<uint8_t>(v >> (8 * i)));
        };
        put(riff, 8);
        put(data, 8);
        put(samples, 8);
        put(table.size(), 4);
        for (const auto& [id, size] : table) {
            body.insert(body.end(), id.begin(), id.end());
            put(size, 8);
        }
        return Chunk("ds64", body);
    }

    std::vector<uint8_t> Bytes() const {
        std::vector<uint8_t> out(form_.begin(), form_.end());
        const uint32_t size = riffSize_ != 0 ? riffSize_ : static_cast<uint32_t>(4 + chunks_.size());
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<uint8_t>(size >> (8 * i)));
        out.insert(out.end(), {'W', 'A', 'V', 'E'});
        const size_t chunksAt = out.size();
        out.insert(out.end(), chunks_.begin(), chunks_.end());
        if (ds64RiffAt_ != 0)
            for (int i = 0; i < 8; ++i)
                out[chunksAt + ds64RiffAt_ + static_cast<size_t>(i)] =
                    static_cast<uint8_t>(uint64_t{4 + chunks_.size()} >> (8 * i));
        out.insert(out.end(), trailing_.begin(), trailing_.end());
        return out;
    }

    std::string Write(const std::string& name) const { return WriteBytes(name, Bytes()); }

    static std::string WriteBytes(const std::string& name, const std::vector<uint8_t>& bytes) {
        const auto path = std::filesystem::temp_directory_path() / ("corvane-readers-" + name);
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path.string();
    }

private:
    void Bytes(const std::string& id) { chunks_.insert(chunks_.end(), id.begin(), id.end()); }
    void Put(uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            chunks_.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }

    std::vector<uint8_t> chunks_, trailing_;
    uint32_t riffSize_ = 0;
    size_t ds64RiffAt_ = 0; // where in the chunks the true RIFF size goes
    std::string form_ = "RIFF";
};

// 16-bit little-endian samples as bytes.
inline std::vector<uint8_t> Pcm16(const std::vector<int16_t>& samples) {
    std::vector<uint8_t> out;
    for (const int16_t s : samples) {
        out.push_back(static_cast<uint8_t>(s));
        out.push_back(static_cast<uint8_t>(static_cast<uint16_t>(s) >> 8));
    }
    return out;
}

// A counting ramp of 16-bit stereo frames: left = i, right = -i.
inline std::vector<uint8_t> Ramp16Stereo(int frames) {
    std::vector<int16_t> s;
    for (int i = 0; i < frames; ++i) {
        s.push_back(static_cast<int16_t>(i));
        s.push_back(static_cast<int16_t>(-i));
    }
    return Pcm16(s);
}

} // namespace corvane::test
