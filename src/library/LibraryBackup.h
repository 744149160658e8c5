#pragma once

#include <string>

namespace corvane {

class Prompter;

inline constexpr const char* BackupFolderName = "Backup";
inline constexpr const char* LibraryBackupFile = "AudioLibrary.bak";
inline constexpr const char* LibraryOlderBackupFile = "AudioLibrary.bk2";

// "&Backup Core Data": keeps two generations of the library file in the
// "Backup" folder of the application folder: "AudioLibrary.bak" moves to
// "AudioLibrary.bk2", then "AudioLibrary.cds" (as on disk) becomes the new
// ".bak". Each copy is written beside its target and renamed over it, so a
// failed copy never leaves a half-written backup. Any failure, including a
// copy that fails, is shown as "Copy Error: " + its reason (warning, OK) and
// stops the rotation there. Main thread.
void BackupAudioLibrary(const std::string& applicationFolder, Prompter& prompter);

// The advice "&Restore Core Data" shows; nothing is restored by the program.
extern const char* const RestoreAdviceText;
void ShowRestoreAdvice(Prompter& prompter);

} // namespace corvane
