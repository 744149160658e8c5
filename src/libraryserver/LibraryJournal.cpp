#include "libraryserver/LibraryJournal.h"

#include "data/AtomicFile.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <random>
#include <unistd.h>

namespace corvane {

namespace {

constexpr const char* Magic = "corvane-library-journal";

std::string NewConsoleId() {
    std::random_device random;
    static const char* const Hex = "0123456789abcdef";
    std::string id;
    for (int i = 0; i < 32; ++i)
        id += Hex[random() & 15];
    return id;
}

} // namespace

LibraryJournal::LibraryJournal(std::string path) : path_(std::move(path)) {
    std::ifstream in(path_, std::ios::binary);
    if (!in) {
        consoleId_ = NewConsoleId();
        Rewrite();
        return;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    size_t start = 0;
    bool header = true;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        if (end == std::string::npos)
            break; // cut short by a crash before its flush: never confirmed
        const std::string_view line(text.data() + start, end - start);
        start = end + 1;
        if (header) {
            header = false;
            const std::string prefix = std::string(Magic) + "\t1\t";
            const size_t tab = line.rfind('\t');
            if (line.substr(0, prefix.size()) != prefix || tab < prefix.size() ||
                std::from_chars(line.data() + tab + 1, line.data() + line.size(), lastSeq_).ec != std::errc())
                throw ELibraryServerError("\"" + path_ + "\" is not a library journal");
            consoleId_ = std::string(line.substr(prefix.size(), tab - prefix.size()));
            continue;
        }
        try {
            pending_.push_back(ChangeFromLine(line));
        } catch (const ELibraryServerError& e) {
            throw ELibraryServerError("\"" + path_ + "\": " + e.what());
        }
        lastSeq_ = std::max(lastSeq_, pending_.back().seq);
    }
    if (header)
        throw ELibraryServerError("\"" + path_ + "\" is not a library journal");
}

std::string LibraryJournal::Header() const {
    return std::string(Magic) + "\t1\t" + consoleId_ + "\t" + std::to_string(lastSeq_) + "\n";
}

void LibraryJournal::Rewrite() {
    std::string text = Header();
    for (const TitleChange& change : pending_)
        text += ChangeLine(change) + "\n";
    WriteFileAtomically(path_, [&](const std::string& temp) { WriteNewFile(temp, text); });
}

void LibraryJournal::Append(const std::vector<TitleChange>& changes) {
    if (changes.empty())
        return;
    std::string text;
    for (const TitleChange& change : changes)
        text += ChangeLine(change) + "\n";
    const int fd = ::open(path_.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    bool ok = fd >= 0;
    for (size_t done = 0; ok && done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        done += ok ? static_cast<size_t>(n) : 0;
    }
    ok = ok && ::fdatasync(fd) == 0;
    const int error = errno;
    if (fd >= 0)
        ::close(fd);
    if (!ok) {
        // A line cut short would spoil the next one appended after it.
        try {
            Rewrite();
        } catch (...) {
        }
        throw ELibraryServerError("The library journal \"" + path_ +
                                  "\" cannot be written: " + std::strerror(error));
    }
    for (const TitleChange& change : changes) {
        pending_.push_back(change);
        lastSeq_ = std::max(lastSeq_, change.seq);
    }
}

void LibraryJournal::Forget(uint64_t seq) {
    const size_t before = pending_.size();
    std::erase_if(pending_, [&](const TitleChange& c) { return c.seq <= seq; });
    if (pending_.size() != before)
        Rewrite();
}

} // namespace corvane
