#include "console/ui/ConsoleKeyScope.h"

#include "platform/qt/ConsoleCommands.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QMenu>
#include <QWidget>

namespace corvane {
namespace {

// Whether `action` is shown somewhere in `window`: on a widget of it (menu
// bar, tool bar, the window itself), or in a menu that is.
bool ShownIn(const QAction& action, const QWidget& window) {
    for (QObject* object : action.associatedObjects()) {
        if (auto* menu = qobject_cast<QMenu*>(object)) {
            if (menu->menuAction() != &action && ShownIn(*menu->menuAction(), window))
                return true;
        } else if (auto* widget = qobject_cast<QWidget*>(object); widget && widget->window() == &window) {
            return true;
        }
    }
    return false;
}

} // namespace

ConsoleKeyScope::ConsoleKeyScope(QWidget& window, const ConsoleCommands& commands)
    : QObject(&window), window_(window) {
    for (const QString& name : commands.Names()) {
        QAction* action = commands.Command(name);
        // Commands scoped more narrowly (a page's grid) keep their scope; a
        // command shown only in the tray's menu never had a key to give.
        if (action->shortcut().isEmpty() || action->shortcutContext() != Qt::WindowShortcut ||
            !ShownIn(*action, window))
            continue;
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        window.addAction(action);
        action->installEventFilter(this);
    }
}

// Qt checks modality only for window-wide shortcuts: while a dialog of the
// program is up, the console's keys wait, wherever Qt's focus was left.
bool ConsoleKeyScope::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Shortcut) {
        const QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal != &window_)
            return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace corvane
