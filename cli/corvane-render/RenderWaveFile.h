#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace corvane {

class TMMWave;

// The render's output: a new 16-bit stereo 44.1 kHz WAVE file written through
// the engine's wave writer, its chunk sizes completed by Close. (A separate
// unit: the writer's header and the output's header both declare the
// engine's time formats and cannot meet in one translation unit.)
class RenderWaveFile {
public:
    explicit RenderWaveFile(const std::string& path);
    ~RenderWaveFile();
    RenderWaveFile(const RenderWaveFile&) = delete;
    RenderWaveFile& operator=(const RenderWaveFile&) = delete;

    void Write(const uint8_t* data, uint32_t bytes);
    void Close();

private:
    std::unique_ptr<TMMWave> wave_;
};

} // namespace corvane
