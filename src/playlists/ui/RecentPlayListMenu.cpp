#include "playlists/ui/RecentPlayListMenu.h"

#include "platform/ExceptionGuard.h"
#include "playlists/RecentPlayLists.h"

#include <QMenu>

namespace corvane {

void FillRecentPlayListMenu(QMenu& menu, const std::vector<std::string>& paths, RecentClearItem clear,
                            const std::function<void(const std::string& path)>& open,
                            const std::function<void()>& clearList) {
    // An item may be rebuilding the menu from its own handler ("&Clear Recent
    // List"): the old items go once that handler has returned.
    for (QAction* old : menu.actions()) {
        menu.removeAction(old);
        if (old->parent() == &menu)
            old->deleteLater();
    }
    for (const std::string& path : paths) {
        // A path's '&' is text, not an accelerator.
        QAction* item = menu.addAction(QString::fromStdString(path).replace('&', "&&"));
        item->setData(QString::fromStdString(path));
        QObject::connect(item, &QAction::triggered, &menu,
                         [open, path] { Guarded("mnuRecent", [&] { open(path); }); });
    }
    if (paths.empty()) {
        menu.addAction(RecentPlayLists::EmptyCaption)->setEnabled(false);
        return;
    }
    if (clear == RecentClearItem::Offered) {
        menu.addSeparator();
        QAction* item = menu.addAction(RecentPlayLists::ClearCaption);
        item->setObjectName("mnuClearRecent");
        QObject::connect(item, &QAction::triggered, &menu, [clearList] {
            if (clearList)
                Guarded("mnuClearRecent", clearList);
        });
    }
}

} // namespace corvane
