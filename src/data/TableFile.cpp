#include "data/TableFile.h"

#include "data/AtomicFile.h"
#include "data/DataErrors.h"
#include "data/SqliteTableFile.h"
#include "data/XmlDataPacket.h"
#include "platform/RegularFile.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace corvane {
namespace {

enum class FileForm { Sqlite, Xml, MidasBinary, Unknown };

FileForm Recognise(const std::array<unsigned char, 16>& head, size_t size) {
    static constexpr char SqliteMagic[] = "SQLite format 3";
    if (size >= 16 && std::memcmp(head.data(), SqliteMagic, 16) == 0)
        return FileForm::Sqlite;
    if (size >= 4 && head[0] == 0x96 && head[1] == 0x19 && head[2] == 0xE0 && head[3] == 0xBD)
        return FileForm::MidasBinary;
    // Text with a UTF-16 byte-order mark can only be an XML packet here; the
    // XML reader decodes it.
    if (size >= 2 && ((head[0] == 0xFF && head[1] == 0xFE) || (head[0] == 0xFE && head[1] == 0xFF)))
        return FileForm::Xml;
    size_t i = 0;
    if (size >= 3 && head[0] == 0xEF && head[1] == 0xBB && head[2] == 0xBF)
        i = 3;
    while (i < size && (head[i] == ' ' || head[i] == '\t' || head[i] == '\r' || head[i] == '\n'))
        ++i;
    return i < size && head[i] == '<' ? FileForm::Xml : FileForm::Unknown;
}

bool EndsWithXml(const std::string& path) {
    const std::string ext = std::filesystem::path(path).extension().string();
    return SameTextIgnoringCase(ext, ".xml");
}

// Never blocks on a FIFO and never takes a folder for an empty file.
std::string ReadBytes(const std::string& path, size_t limit = static_cast<size_t>(-1)) {
    try {
        return ReadRegularFile(path, limit);
    } catch (const EFileUnreadable& e) {
        throw ETableFileError(path, e.what());
    }
}

} // namespace

TableStorage ReadTableFile(const std::string& path) {
    std::array<unsigned char, 16> head{};
    const std::string start = ReadBytes(path, head.size());
    const size_t size = start.size();
    std::memcpy(head.data(), start.data(), size);
    if (size == 0)
        throw ETableFileError(path, "the file is empty");
    try {
        switch (Recognise(head, size)) {
        case FileForm::Sqlite:
            return ReadSqliteTable(path);
        case FileForm::Xml:
            return ReadXmlDataPacket(ReadBytes(path));
        case FileForm::MidasBinary:
            throw ETableFileError(path, "unsupported binary data packet");
        case FileForm::Unknown:
            break;
        }
    } catch (const ETableFileError&) {
        throw;
    } catch (const std::exception& e) {
        throw ETableFileError(path, std::string("cannot be read: ") + e.what());
    }
    throw ETableFileError(path, "is not a table file");
}

void WriteTableFile(const std::string& path, const TableStorage& storage) {
    if (EndsWithXml(path))
        WriteFileAtomically(
            path, [&](const std::string& temp) { WriteNewFile(temp, WriteXmlDataPacket(storage)); });
    else
        WriteFileAtomically(path, [&](const std::string& temp) { WriteSqliteTable(temp, storage); });
}

} // namespace corvane
