#include "platform/qt/QtMessageFilter.h"

#include <QString>
#include <QtGlobal>

namespace corvane {
namespace {

QtMessageHandler previousHandler = nullptr;

void FilterMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtWarningMsg && message.startsWith("QStandardPaths: XDG_RUNTIME_DIR not set"))
        return;
    if (previousHandler)
        previousHandler(type, context, message);
}

} // namespace

void InstallQtMessageFilter() {
    QtMessageHandler previous = qInstallMessageHandler(FilterMessage);
    if (previous != FilterMessage)
        previousHandler = previous;
}

} // namespace corvane
