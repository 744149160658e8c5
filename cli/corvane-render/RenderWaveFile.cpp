#include "RenderWaveFile.h"

#include "audio/chain/WaveFormat.h"
#include "audio/readers/TMMWave.h"

namespace corvane {

RenderWaveFile::RenderWaveFile(const std::string& path) : wave_(std::make_unique<TMMWave>()) {
    wave_->SetFileMustExist(false);
    wave_->SetFileName(path);
    wave_->CreateFile(PcmWaveFormat(16, 2, 44100), WaveWriteMode::Overwrite);
}

RenderWaveFile::~RenderWaveFile() = default;

void RenderWaveFile::Write(const uint8_t* data, uint32_t bytes) {
    wave_->Write(data, bytes);
}

void RenderWaveFile::Close() {
    wave_->CloseFile();
}

} // namespace corvane
