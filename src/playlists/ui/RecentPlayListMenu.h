#pragma once

#include <functional>
#include <string>
#include <vector>

class QMenu;

namespace corvane {

// Whether a "&Recent" menu offers "&Clear Recent List" (the manager's does,
// the console's does not).
enum class RecentClearItem { Offered, NotOffered };

// Fills a "&Recent" menu afresh: one item per play list path (newest first,
// as given); with entries and `clear` offered, a separator and "&Clear Recent
// List"; without entries the one disabled item "<< Empty >>". Each item runs
// `open` with its path. Main thread.
void FillRecentPlayListMenu(QMenu& menu, const std::vector<std::string>& paths, RecentClearItem clear,
                            const std::function<void(const std::string& path)>& open,
                            const std::function<void()>& clearList = {});

} // namespace corvane
