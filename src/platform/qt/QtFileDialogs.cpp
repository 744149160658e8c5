#include "platform/qt/QtFileDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

namespace corvane {
namespace {

QString StartPath(const FileDialogRequest& request) {
    if (request.fileName.empty())
        return QString::fromStdString(request.initialFolder);
    if (request.initialFolder.empty())
        return QString::fromStdString(request.fileName);
    return QDir(QString::fromStdString(request.initialFolder))
        .filePath(QString::fromStdString(request.fileName));
}

std::string WithDefaultExtension(const QString& path, const std::string& defaultExtension) {
    QString ext = QString::fromStdString(defaultExtension);
    while (ext.startsWith('*') || ext.startsWith('.'))
        ext.remove(0, 1);
    if (ext.isEmpty() || !QFileInfo(path).suffix().isEmpty())
        return path.toStdString();
    return (path + '.' + ext).toStdString();
}

} // namespace

QString QtFileDialogs::ToQtFilter(const std::string& filter, int filterIndex, QString* selected) {
    QStringList parts;
    int index = 1;
    for (const auto& f : ParseFileFilter(filter)) {
        QStringList patterns;
        for (const auto& p : f.patterns)
            patterns << QString::fromStdString(p);
        const QString entry = QString::fromStdString(f.description) + " (" + patterns.join(' ') + ")";
        if (selected && index == filterIndex)
            *selected = entry;
        parts << entry;
        ++index;
    }
    return parts.join(";;");
}

std::optional<std::string> QtFileDialogs::OpenFile(const FileDialogRequest& request) {
    QString selected;
    const QString filter = ToQtFilter(request.filter, request.filterIndex, &selected);
    const QString path = QFileDialog::getOpenFileName(parent_, QString::fromStdString(request.title),
                                                      StartPath(request), filter, &selected);
    if (path.isEmpty())
        return std::nullopt;
    return path.toStdString();
}

std::vector<std::string> QtFileDialogs::OpenFiles(const FileDialogRequest& request) {
    QString selected;
    const QString filter = ToQtFilter(request.filter, request.filterIndex, &selected);
    const QStringList paths = QFileDialog::getOpenFileNames(parent_, QString::fromStdString(request.title),
                                                            StartPath(request), filter, &selected);
    std::vector<std::string> result;
    for (const auto& p : paths)
        result.push_back(p.toStdString());
    return result;
}

std::optional<std::string> QtFileDialogs::SaveFile(const FileDialogRequest& request) {
    QString selected;
    const QString filter = ToQtFilter(request.filter, request.filterIndex, &selected);
    const QString path = QFileDialog::getSaveFileName(parent_, QString::fromStdString(request.title),
                                                      StartPath(request), filter, &selected);
    if (path.isEmpty())
        return std::nullopt;
    return WithDefaultExtension(path, request.defaultExtension);
}

std::optional<std::string> QtFileDialogs::BrowseFolder(const std::string& title,
                                                       const std::string& initialFolder) {
    const QString path = QFileDialog::getExistingDirectory(parent_, QString::fromStdString(title),
                                                           QString::fromStdString(initialFolder));
    if (path.isEmpty())
        return std::nullopt;
    return path.toStdString();
}

} // namespace corvane
