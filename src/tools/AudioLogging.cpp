#include "tools/AudioLogging.h"

#include "audio/input/TMMWaveRecorder.h"

#include <cstdio>

namespace corvane {

void ConfigureAudioLogging(TMMWaveRecorder& recorder) {
    recorder.SetDeviceID(WaveMapperId);
    recorder.SetSampleRate(44100);
    recorder.SetBitLength(TMMBits::b16Bit);
    recorder.SetMode(TMMMode::mStereo);
    recorder.SetBufferSize(4096);
    recorder.SetNumBuffers(20);
    recorder.SetCallBackMode(TMMCBMode::cmThread);
    recorder.SetTimeFormat(TMMTimeFormats::tfMillisecond);
    recorder.SetMaxRecordTime(-1);
    recorder.SetOverwriteExisting(true);
    recorder.Wave().SetFileMustExist(false);
}

std::filesystem::path AudioLoggingFile(const std::filesystem::path& dataFolder, const std::string& typed) {
    const std::filesystem::path path(typed);
    return typed.empty() || path.is_absolute() ? path : dataFolder / path;
}

std::string RecordPositionText(int64_t ms) {
    if (ms < 0)
        ms = 0;
    const auto milli = static_cast<long long>(ms % 1000);
    const auto seconds = static_cast<long long>(ms / 1000 % 60);
    const auto minutes = static_cast<long long>(ms / 60000 % 60);
    const auto hours = static_cast<long long>(ms / 3600000 % 24);
    const auto days = static_cast<long long>(ms / 86400000);
    char text[64];
    if (ms < 3600000)
        std::snprintf(text, sizeof text, "%lld:%2.2lld.%3.3lld", minutes, seconds, milli);
    else if (ms < 86400000)
        std::snprintf(text, sizeof text, "%lld:%2.2lld:%2.2lld.%3.3lld", hours, minutes, seconds, milli);
    else
        std::snprintf(text, sizeof text, "%lld:%2.2lld:%2.2lld:%2.2lld.%3.3lld", days, hours, minutes,
                      seconds, milli);
    return text;
}

} // namespace corvane
