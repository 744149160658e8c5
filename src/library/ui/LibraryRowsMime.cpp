#include "library/ui/LibraryRowsMime.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDataStream>
#include <QIODevice>
#include <QMimeData>

namespace corvane {

std::unique_ptr<QMimeData> LibraryRowsMimeData(const std::vector<Bookmark>& rows) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << static_cast<qint64>(QCoreApplication::applicationPid()) << static_cast<quint32>(rows.size());
    for (const Bookmark row : rows)
        out << static_cast<quint64>(row);
    auto mime = std::make_unique<QMimeData>();
    mime->setData(LibraryRowsMimeType, bytes);
    return mime;
}

std::vector<Bookmark> LibraryRowsFrom(const QMimeData& mime) {
    if (!mime.hasFormat(LibraryRowsMimeType))
        return {};
    const QByteArray bytes = mime.data(LibraryRowsMimeType);
    QDataStream in(bytes);
    qint64 pid = 0;
    quint32 count = 0;
    in >> pid >> count;
    if (in.status() != QDataStream::Ok || pid != QCoreApplication::applicationPid())
        return {};
    std::vector<Bookmark> rows;
    // The count is not trusted for the allocation: the stream ends where the data does.
    for (quint32 i = 0; i < count; ++i) {
        quint64 row = 0;
        in >> row;
        if (in.status() != QDataStream::Ok)
            return {};
        rows.push_back(row);
    }
    return rows;
}

} // namespace corvane
