#include "console/ui/CorvaneApplication.h"

#include "platform/ExceptionGuard.h"

#include <QPixmapCache>

namespace corvane {

CorvaneApplication::CorvaneApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName("Vantor Corvane");
    setOrganizationName("Vantor");
    QPixmapCache::setCacheLimit(PixmapCacheLimitKb);
}

bool CorvaneApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        HandleException(receiver ? receiver->objectName().toStdString() : std::string(),
                        std::current_exception());
        return false;
    }
}

} // namespace corvane
