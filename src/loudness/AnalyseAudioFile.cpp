#include "loudness/AnalyseAudioFile.h"

#include "audio/decks/DeckStream.h"
#include "audio/decks/TMMAudioFile.h"
#include "loudness/LoudnessMeter.h"
#include "platform/ExceptionGuard.h"
#include "platform/RegularFile.h"

#include <exception>
#include <vector>

namespace corvane {

namespace {

constexpr int DecodeBufferBytes = 65536;

AnalysisResult Analyse(const std::string& path, const CueThresholds& thresholds) {
    const FileCheck check = CheckFile(path);
    if (check.kind == FileKind::Missing)
        return AnalysisResult::NotAnalysed("the file does not exist");
    if (check.kind == FileKind::NotRegular)
        return AnalysisResult::NotAnalysed("it " + check.reason);
    TMMAudioFile deck("loudness");
    deck.SetFileName(path);
    const WaveFormat* format = deck.GetWaveFormat();
    if (deck.IsEmpty() || format == nullptr)
        return AnalysisResult::NotAnalysed("the file cannot be read");
    if (deck.Duration() == 0)
        return AnalysisResult::NotAnalysed("the file holds no audio");
    const int channels = format->channels;
    const bool eightBit = format->bitsPerSample == 8;
    LoudnessMeter meter(channels, static_cast<int>(format->samplesPerSec), thresholds);
    std::vector<int16_t> widened;
    StreamDeck(deck, DecodeBufferBytes, [&](const uint8_t* data, uint32_t bytes) {
        if (eightBit) {
            widened.resize(bytes);
            for (uint32_t i = 0; i < bytes; ++i)
                widened[i] = static_cast<int16_t>((static_cast<int>(data[i]) - 128) * 256);
            meter.Add(widened.data(), bytes / static_cast<uint32_t>(channels));
        } else {
            // The deck hands out whole frames of 16-bit samples, aligned by its buffer.
            meter.Add(reinterpret_cast<const int16_t*>(data), bytes / (2 * static_cast<uint32_t>(channels)));
        }
    });
    return meter.Result();
}

} // namespace

AnalysisResult AnalyseAudioFile(const std::string& path, const CueThresholds& thresholds) {
    try {
        return Analyse(path, thresholds);
    } catch (...) {
        return AnalysisResult::NotAnalysed(ExceptionMessage(std::current_exception()));
    }
}

} // namespace corvane
