#include "settings/IniFile.h"

#include "platform/RegularFile.h"
#include "settings/IntegerText.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane {
namespace {

constexpr size_t npos = std::string::npos;

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    return true;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool IsQuote(char c) {
    return c == '"' || c == '\'';
}

bool EnclosedInQuotes(std::string_view s) {
    return s.size() >= 2 && IsQuote(s.front()) && s.front() == s.back();
}

// The name of a "[Name]" line; false for any other line.
bool SectionName(std::string_view line, std::string_view& name) {
    line = Trim(line);
    if (line.empty() || line.front() != '[')
        return false;
    const size_t close = line.find(']');
    if (close == npos)
        return false;
    name = Trim(line.substr(1, close - 1));
    return true;
}

// The key of a "Key=Value" line; false for any other line.
bool KeyName(std::string_view line, std::string_view& key, std::string_view& value) {
    std::string_view dummy;
    if (SectionName(line, dummy))
        return false;
    const size_t eq = line.find('=');
    if (eq == npos)
        return false;
    key = Trim(line.substr(0, eq));
    value = line.substr(eq + 1);
    return !key.empty();
}

std::string SystemError(const std::string& what, const std::filesystem::path& path) {
    return what + " \"" + path.string() + "\": " + std::strerror(errno);
}

// Closes the descriptor and removes the temporary file unless the save got through.
class TemporaryFile {
public:
    explicit TemporaryFile(std::string pattern) : name_(std::move(pattern)) { fd_ = ::mkstemp(name_.data()); }
    ~TemporaryFile() {
        if (fd_ >= 0)
            ::close(fd_);
        if (!committed_)
            ::unlink(name_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    int Fd() const { return fd_; }
    const std::string& Name() const { return name_; }
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }
    void Commit() { committed_ = true; }

private:
    std::string name_;
    int fd_ = -1;
    bool committed_ = false;
};

} // namespace

IniFile IniFile::Parse(std::string_view text) {
    IniFile ini;
    // Editors put a byte-order mark before UTF-8 text; it is not part of the
    // first line (which would hide the first section) and is written back.
    static constexpr std::string_view Utf8Mark = "\xEF\xBB\xBF";
    if (text.starts_with(Utf8Mark)) {
        ini.utf8Mark_ = true;
        text.remove_prefix(Utf8Mark.size());
    }
    ini.endsWithLineEnd_ = text.empty() || text.back() == '\n';
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == npos)
            end = text.size();
        ini.lines_.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    ini.crlf_ = !ini.lines_.empty() && !ini.lines_.front().empty() && ini.lines_.front().back() == '\r';
    return ini;
}

IniFile IniFile::Load(const std::filesystem::path& path) {
    if (CheckFile(path).kind == FileKind::Missing)
        return IniFile();
    std::string text;
    try {
        text = ReadRegularFile(path);
    } catch (const EFileUnreadable& e) {
        throw EIniFileError("Cannot read settings file \"" + path.string() + "\": it " + e.what());
    }
    // UTF-16 (as some editors save) or binary data: reading it as lines would
    // lose every setting, and adding lines would spoil the file further.
    if (text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF"))
        throw EIniFileError("Cannot read settings file \"" + path.string() +
                            "\": it is UTF-16 text; save it as UTF-8 or plain text");
    if (text.find('\0') != std::string::npos)
        throw EIniFileError("Cannot read settings file \"" + path.string() + "\": it is not a text file");
    return Parse(text);
}

std::string IniFile::Text() const {
    std::string text = utf8Mark_ ? "\xEF\xBB\xBF" : "";
    for (size_t i = 0; i < lines_.size(); ++i) {
        text += lines_[i];
        if (i + 1 < lines_.size() || endsWithLineEnd_)
            text += '\n';
    }
    return text;
}

bool IniFile::TakeAccessFromOthers(const std::filesystem::path& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return false;
    return (st.st_mode & 077) == 0 || ::chmod(path.c_str(), st.st_mode & 07700) == 0;
}

void IniFile::Save(const std::filesystem::path& linkOrPath, IniFileAccess access) const {
    const std::string text = Text();
    // Through a symbolic link to the file it names: the link stays a link.
    const std::filesystem::path path = WriteTarget(linkOrPath);
    const FileCheck there = CheckFile(path);
    if (there.kind == FileKind::NotRegular)
        throw EIniFileError("Cannot write settings file \"" + path.string() + "\": it " + there.reason);
    TemporaryFile temp(path.string() + ".XXXXXX");
    if (temp.Fd() < 0)
        throw EIniFileError(SystemError("Cannot write settings file", path));
    const char* data = text.data();
    size_t left = text.size();
    while (left > 0) {
        const ssize_t written = ::write(temp.Fd(), data, left);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            throw EIniFileError(SystemError("Cannot write settings file", path));
        data += written;
        left -= static_cast<size_t>(written);
    }
    struct stat old {};
    mode_t mode = ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    if (access == IniFileAccess::OwnerOnly)
        mode &= ~mode_t{077};
    if (::fchmod(temp.Fd(), mode) != 0 || ::fsync(temp.Fd()) != 0 || !temp.Close())
        throw EIniFileError(SystemError("Cannot write settings file", path));
    if (::rename(temp.Name().c_str(), path.c_str()) != 0)
        throw EIniFileError(SystemError("Cannot replace settings file", path));
    temp.Commit();
    // The rename itself reaches the disk only with its folder.
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

size_t IniFile::FindSection(std::string_view section) const {
    for (size_t i = 0; i < lines_.size(); ++i) {
        std::string_view name;
        if (SectionName(lines_[i], name) && SameName(name, section))
            return i + 1;
    }
    return npos;
}

size_t IniFile::FindKey(size_t sectionBody, std::string_view key) const {
    for (size_t i = sectionBody; i < lines_.size(); ++i) {
        std::string_view name, value;
        if (SectionName(lines_[i], name))
            return npos;
        if (KeyName(lines_[i], name, value) && SameName(name, key))
            return i;
    }
    return npos;
}

const std::string* IniFile::FindRawValue(std::string_view section, std::string_view key) const {
    const size_t body = FindSection(section);
    if (body == npos)
        return nullptr;
    const size_t line = FindKey(body, key);
    return line == npos ? nullptr : &lines_[line];
}

std::vector<std::string> IniFile::SectionNames() const {
    std::vector<std::string> names;
    for (const std::string& line : lines_) {
        std::string_view name;
        if (SectionName(line, name))
            names.emplace_back(name);
    }
    return names;
}

std::vector<std::string> IniFile::SectionKeys(std::string_view section) const {
    std::vector<std::string> keys;
    const size_t body = FindSection(section);
    for (size_t i = body; body != npos && i < lines_.size(); ++i) {
        std::string_view name, value;
        if (SectionName(lines_[i], name))
            break;
        if (KeyName(lines_[i], name, value))
            keys.emplace_back(name);
    }
    return keys;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const {
    const std::string* line = FindRawValue(section, key);
    if (!line)
        return std::string(defaultValue);
    std::string_view name, value;
    KeyName(*line, name, value);
    value = Trim(value);
    if (EnclosedInQuotes(value))
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

int32_t IniFile::ReadInteger(std::string_view section, std::string_view key, int32_t defaultValue) const {
    return ParseInteger(ReadString(section, key, "")).value_or(defaultValue);
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool defaultValue) const {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    if (FindRawValue(section, key) != nullptr && ReadString(section, key, "") == value)
        return;
    std::string text(value);
    for (char& c : text)
        if (c == '\n' || c == '\r')
            c = ' ';
    // Blanks at either end or enclosing quotes would be lost on reading; quotes keep them.
    if (text != Trim(text) || EnclosedInQuotes(text))
        text = '"' + text + '"';
    std::string line = std::string(key) + '=' + text;
    if (crlf_)
        line += '\r';

    const size_t body = FindSection(section);
    if (body == npos) {
        std::string header = '[' + std::string(section) + ']';
        if (crlf_)
            header += '\r';
        lines_.push_back(std::move(header));
        lines_.push_back(std::move(line));
        endsWithLineEnd_ = true;
        return;
    }
    const size_t existing = FindKey(body, key);
    if (existing != npos) {
        lines_[existing] = std::move(line);
        return;
    }
    // After the section's last non-blank line, so blank lines stay between sections.
    size_t end = body;
    while (end < lines_.size()) {
        std::string_view name;
        if (SectionName(lines_[end], name))
            break;
        ++end;
    }
    size_t insertAt = end;
    while (insertAt > body && Trim(lines_[insertAt - 1]).empty())
        --insertAt;
    if (insertAt == lines_.size())
        endsWithLineEnd_ = true;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), std::move(line));
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, int32_t value) {
    WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

} // namespace corvane
