#pragma once

#include "audio/chain/TMMDSPComponent.h"
#include "audio/readers/ConversionChain.h"

#include <memory>
#include <optional>
#include <vector>

namespace corvane {

// cqLow converts in real time; cqHigh allows slower, finer rate conversion.
enum class TMMConverterQuality { cqLow, cqHigh };

// A converter between its input's format and the format it delivers, through
// a conversion chain. Descendants choose the delivered format
// (DestinationFor); when it equals the input's, data passes through. Runs in
// the thread of the chain's driver.
class TMMACMConverter : public TMMDSPComponent {
public:
    explicit TMMACMConverter(std::string name = {});
    ~TMMACMConverter() override;

    void SetQuality(TMMConverterQuality quality) { quality_ = quality; }
    TMMConverterQuality Quality() const { return quality_; }
    bool Converting() const { return chain_ != nullptr && chain_->StageCount() > 0; }

    // Raises EMMConverterError "Invalid WaveFormat" when no valid delivered
    // format exists for the input, "Unable to convert to destination format"
    // when no conversion chain leads there.
    void InputFormatChanged(const WaveFormat* format) override;
    void Started() override;
    void Reset() override;
    void BufferLoad(BufferHeader* header, bool& moreBuffers) override;

protected:
    // The format to deliver for an input format; nothing when there is none.
    virtual std::optional<WaveFormat> DestinationFor(const WaveFormat& input) const = 0;

private:
    void ClearState();

    TMMConverterQuality quality_ = TMMConverterQuality::cqLow;
    std::optional<WaveFormat> inputFormat_;
    std::unique_ptr<ConversionChain> chain_;
    std::vector<uint8_t> source_;
    bool inputMore_ = true;
};

} // namespace corvane
