#include "library/MountedDrives.h"

#include <fstream>
#include <optional>
#include <set>
#include <sstream>
#include <stdexcept>

namespace corvane {
namespace {

std::optional<DriveKind> KindOf(const std::string& fileSystem) {
    static const std::set<std::string> network = {
        "nfs",   "nfs4",        "cifs",        "smb3",  "smbfs",     "fuse.sshfs",
        "sshfs", "9p",          "afs",         "ceph",  "glusterfs", "fuse.glusterfs",
        "davfs", "fuse.davfs2", "fuse.rclone", "ncpfs", "coda",      "lustre"};
    static const std::set<std::string> fixed = {
        "ext2",    "ext3", "ext4", "xfs", "btrfs",    "vfat",    "msdos",   "exfat", "ntfs",   "ntfs3",
        "fuseblk", "f2fs", "zfs",  "jfs", "reiserfs", "hfsplus", "iso9660", "udf",   "nilfs2", "bcachefs"};
    if (network.contains(fileSystem))
        return DriveKind::Network;
    if (fixed.contains(fileSystem))
        return DriveKind::Fixed;
    return std::nullopt;
}

std::string Unescaped(const std::string& field) {
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        const auto octal = [&](size_t at) { return field[at] >= '0' && field[at] <= '7'; };
        if (field[i] == '\\' && i + 3 < field.size() && octal(i + 1) && octal(i + 2) && octal(i + 3)) {
            out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                     (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

} // namespace

std::vector<MountedDrive> DrivesOfMountTable(const std::string& mountTable) {
    std::vector<MountedDrive> drives = {{"/", "", DriveKind::Fixed}};
    std::set<std::string> seen = {"/"};
    std::istringstream lines(mountTable);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string device, folder, fileSystem;
        if (!(fields >> device >> folder >> fileSystem))
            continue;
        folder = Unescaped(folder);
        const auto kind = KindOf(fileSystem);
        if (folder == "/")
            drives.front().fileSystem = fileSystem;
        if (!kind || !seen.insert(folder).second)
            continue;
        drives.push_back({folder, fileSystem, *kind});
    }
    return drives;
}

std::vector<MountedDrive> MountedDrives(const std::string& mountTable) {
    std::ifstream in(mountTable);
    std::ostringstream text;
    if (in)
        text << in.rdbuf();
    if (!in || in.bad())
        throw std::runtime_error("Cannot read the mount table " + mountTable);
    return DrivesOfMountTable(text.str());
}

} // namespace corvane
