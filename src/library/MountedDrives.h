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
// The drives of this system's mount table; just "/" when it cannot be read.
std::vector<MountedDrive> MountedDrives();

} // namespace corvane
