#include "station/HeadlessStationView.h"

#include "commercials/CommercialListNames.h"

namespace corvane {

std::string HeadlessStationView::LongDayName(TDateTime when) const {
    return EnglishDayName(when);
}

} // namespace corvane
