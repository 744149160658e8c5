#pragma once

#include <string>
#include <vector>

namespace corvane {

// The folders the auto-scan offers as drives: "/" and the mounted file
// systems of the mount table. Fixed drives are local file systems on storage;
// network drives are remote file systems (NFS, SMB/CIFS, SSHFS and the like);
// pseudo file systems (proc, sysfs, tmpfs, overlay, …) are neither and are
// not offered.
enum class DriveKind { Fixed, Network };

struct MountedDrive {
    std::string folder;
    std::string fileSystem;
    DriveKind kind = DriveKind::Fixed;
};

// The drives of a mount table in the format of /proc/self/mounts (octal
// escapes such as "\040" for a blank decoded), "/" first, each folder once.
std::vector<MountedDrive> DrivesOfMountTable(const std::string& mountTable);
// This system's mount table.
inline constexpr const char* MountTablePath = "/proc/self/mounts";

// The drives of the mount table in the file `mountTable`. A table that cannot
// be read raises std::runtime_error: which drives exist is then unknown.
std::vector<MountedDrive> MountedDrives(const std::string& mountTable = MountTablePath);

} // namespace corvane
