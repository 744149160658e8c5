#include "library/LibraryBackup.h"

#include "data/TdmQelData.h"
#include "platform/Prompter.h"

#include <filesystem>
#include <stdexcept>

namespace corvane {
namespace {

namespace fs = std::filesystem;

void CopyOver(const fs::path& from, const fs::path& to) {
    fs::path partial = to;
    partial += ".partial";
    std::error_code error;
    fs::copy_file(from, partial, fs::copy_options::overwrite_existing, error);
    if (!error)
        fs::rename(partial, to, error);
    if (error) {
        std::error_code ignored;
        fs::remove(partial, ignored);
        throw std::runtime_error("cannot copy " + from.string() + " to " + to.string() + ": " +
                                 error.message());
    }
}

} // namespace

const char* const RestoreAdviceText =
    "To Restore a previous audio library configuration, locate\r\n"
    "the file AudioLibrary.Bak in the \\Backup sub-directory of\r\n"
    "and copy it to application directory, and rename it to \r\n"
    "AudioLibrary.cds.  This will require overwriting the existing\r\n"
    "file.  This operation should only be attempted if you have \r\n"
    "had some data file corruption.  The application must not be running\r\n"
    "while restoring this file.";

void BackupAudioLibrary(const std::string& applicationFolder, Prompter& prompter) {
    try {
        const fs::path backup = fs::path(applicationFolder) / BackupFolderName;
        fs::create_directories(backup);
        if (fs::exists(backup / LibraryBackupFile))
            CopyOver(backup / LibraryBackupFile, backup / LibraryOlderBackupFile);
        const fs::path library = fs::path(applicationFolder) / TdmQelData::AudioLibraryFile;
        if (fs::exists(library))
            CopyOver(library, backup / LibraryBackupFile);
    } catch (const std::exception& error) {
        prompter.Show(std::string("Copy Error: ") + error.what(), MessageType::Warning, MessageButtons::Ok);
    }
}

void ShowRestoreAdvice(Prompter& prompter) {
    prompter.Show(RestoreAdviceText, MessageType::Warning, MessageButtons::Ok);
}

} // namespace corvane
