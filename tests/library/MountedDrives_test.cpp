#include "library/MountedDrives.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

TEST(MountedDrives, RootFirstThenLocalAndNetworkFileSystemsPseudoOnesLeftOut) {
    const std::string table = "proc /proc proc rw 0 0\n"
                              "/dev/sda1 / ext4 rw 0 0\n"
                              "tmpfs /run tmpfs rw 0 0\n"
                              "/dev/sdb1 /media/Music\\040Archive vfat rw 0 0\n"
                              "server:/audio /mnt/nfs nfs4 rw 0 0\n"
                              "//nas/jingles /mnt/smb cifs rw 0 0\n"
                              "me@host: /mnt/ssh fuse.sshfs rw 0 0\n"
                              "/dev/sdb1 /media/Music\\040Archive vfat rw 0 0\n"
                              "overlay /var/lib/docker overlay rw 0 0\n"
                              "garbage\n";
    const auto drives = DrivesOfMountTable(table);
    ASSERT_EQ(drives.size(), 5u);
    EXPECT_EQ(drives[0].folder, "/");
    EXPECT_EQ(drives[0].fileSystem, "ext4");
    EXPECT_EQ(drives[1].folder, "/media/Music Archive");
    EXPECT_EQ(drives[1].kind, DriveKind::Fixed);
    for (size_t i = 2; i < 5; ++i)
        EXPECT_EQ(drives[i].kind, DriveKind::Network) << drives[i].folder;
    EXPECT_EQ(drives[4].folder, "/mnt/ssh");
    EXPECT_EQ(DrivesOfMountTable("").size(), 1u);
    EXPECT_FALSE(MountedDrives().empty());
    EXPECT_THROW(MountedDrives("/nonexistent/mounts"), std::runtime_error);
}

} // namespace
} // namespace corvane
