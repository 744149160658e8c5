#pragma once

#include "settings/BroadcastSettings.h"

#include <string_view>

namespace corvane {

// Whether an item of `category` is announced by name: not when its category
// is one of the silent ones (commercials, jingles), and, when the station
// names the categories it announces, only when it is one of those. Categories
// match without regard to letter case and blank ends. An item without a
// category is announced unless the station names the categories it announces.
bool IsAnnounced(const NowPlayingSettings& settings, std::string_view category);

} // namespace corvane
