#include "platform/qt/QtShell.h"

#include "platform/DesktopBrowser.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
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

bool QtShell::ShowsHtml() {
    DesktopBrowserFacts facts;
    facts.locate = [](const std::string& name) -> std::optional<std::string> {
        const QString path = QStandardPaths::findExecutable(QString::fromStdString(name));
        return path.isEmpty() ? std::nullopt : std::optional(path.toStdString());
    };
    facts.browserVariable = qEnvironmentVariable("BROWSER").toStdString();
    if (facts.locate("xdg-mime")) {
        QProcess query;
        query.start("xdg-mime", {"query", "default", "text/html"});
        if (query.waitForFinished(3000))
            facts.htmlDefault = QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed().toStdString();
        else
            query.kill();
    }
    return DesktopShowsHtml(facts);
}

} // namespace corvane
