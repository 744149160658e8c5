#include "platform/qt/QtShell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace corvane {

bool QtShell::Open(const std::string& pathOrProgram, const std::string& parameters) {
    const QString target = QString::fromStdString(pathOrProgram);
    const QFileInfo info(target);
    if (info.isFile() && info.isExecutable())
        return QProcess::startDetached(target, QProcess::splitCommand(QString::fromStdString(parameters)));
    if (info.exists())
        return QDesktopServices::openUrl(QUrl::fromLocalFile(info.absoluteFilePath()));
    return QDesktopServices::openUrl(QUrl(target));
}

} // namespace corvane
