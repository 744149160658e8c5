#include "playout/displays/ScheduleRowLook.h"

namespace corvane {

RowLook LookOfRow(int itemPlayOrder, uint64_t row, std::string_view objectType, const PlayingRows& playing) {
    if (playing.currentItem != 0) {
        if (itemPlayOrder == playing.currentItem && (playing.currentRow == 0 || row == playing.currentRow))
            return {OnAirRowBackground, OnAirRowText, true};
        if (itemPlayOrder == playing.nextItem)
            return {NextRowBackground, NextRowText, true};
    }
    if (objectType == "AD")
        return {std::nullopt, CommercialRowText, false};
    return {};
}

TypeIcon IconOfType(std::string_view objectType) {
    if (objectType == "WAV")
        return TypeIcon::Wave;
    if (objectType == "BAD")
        return TypeIcon::Bad;
    if (objectType == "AD")
        return TypeIcon::Commercial;
    if (objectType == "MP3")
        return TypeIcon::Mpeg;
    return TypeIcon::None;
}

const char* TypeIconDescription(TypeIcon icon) {
    switch (icon) {
    case TypeIcon::Wave:
        return "WAVE Audio File";
    case TypeIcon::Bad:
        return "Possibly Corrupt Audio";
    case TypeIcon::Commercial:
        return "Commercial Advertisement Break";
    case TypeIcon::Mpeg:
        return "MPEG Audio File";
    case TypeIcon::None:
        break;
    }
    return "";
}

} // namespace corvane
