#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// A settings file that cannot be read or written (permissions, full disk).
class EIniFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Who may read a saved settings file: as the file was (new files 0644), or
// its owner only, for a file that holds a password.
enum class IniFileAccess { AsBefore, OwnerOnly };

// The console's text settings file: "[Section]" lines open sections,
// "Key=Value" lines hold values. Section and key names match without regard to
// ASCII letter case; the first matching section and, inside it, the first
// matching key win. Writing a key replaces only that key's line (or adds it),
// so every other line (comments, unknown sections, junk) survives a save byte
// for byte. The file is held in memory; Save writes it atomically.
// Main thread; not shared between threads.
class IniFile {
public:
    // An empty file held in memory.
    IniFile() = default;
    // Reads `path`; a missing file is an empty one. Throws EIniFileError when
    // something is there but cannot be read as text: a folder, a FIFO (never
    // waited on), a broken link, UTF-16 or binary data. A UTF-8 byte-order
    // mark is kept aside and written back by Save.
    static IniFile Load(const std::filesystem::path& path);
    // Writes the file atomically: a new file beside the old one, flushed to
    // disk, then renamed over it (over the file a symbolic link names, so the
    // link stays). A failed save leaves the old file intact and throws
    // EIniFileError; something there that is not a file is never replaced.
    // OwnerOnly takes every permission from group and others; the new file
    // never shows its content to them, not even before the rename.
    void Save(const std::filesystem::path& path, IniFileAccess access = IniFileAccess::AsBefore) const;
    // Takes every permission from group and others of the file at `path`
    // (through a symbolic link), as an OwnerOnly save would. False when the
    // system refuses (the file is someone else's, a read-only folder).
    static bool TakeAccessFromOthers(const std::filesystem::path& path);

    // The value (surrounding blanks and one pair of enclosing quotes removed),
    // whole whatever its length, or `defaultValue` when the key is missing.
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    // A decimal value, or hexadecimal after "0x"/"0X" (up to 8 hex digits,
    // taken as a 32-bit pattern so that system colours read back negative).
    // Missing, not a number or outside the 32-bit range gives `defaultValue`.
    int32_t ReadInteger(std::string_view section, std::string_view key, int32_t defaultValue) const;
    // Read as an integer: non-zero is true.
    bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;

    // The section names in file order, and the key names of the first section
    // of that name in file order (an unknown section has none).
    std::vector<std::string> SectionNames() const;
    std::vector<std::string> SectionKeys(std::string_view section) const;

    // Line breaks cannot live inside one line of the file: they are written as
    // blanks rather than letting a value add lines (and keys) of its own. A
    // key whose line already reads back as `value` is left as it is, byte for
    // byte, so whatever was read is saved back unchanged (a carriage return
    // inside a password written by hand, say).
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, int32_t value);
    void WriteBool(std::string_view section, std::string_view key, bool value);

    // The file's text as Save would write it.
    std::string Text() const;
    static IniFile Parse(std::string_view text);

private:
    // Index of the first line of the section's body, or npos.
    size_t FindSection(std::string_view section) const;
    size_t FindKey(size_t sectionBody, std::string_view key) const;
    const std::string* FindRawValue(std::string_view section, std::string_view key) const;

    // Lines without their '\n'; in a file with CR LF line ends each keeps its
    // '\r', so that untouched lines are written back exactly as read.
    std::vector<std::string> lines_;
    bool crlf_ = false;
    bool endsWithLineEnd_ = true;
    bool utf8Mark_ = false;
};

} // namespace corvane
