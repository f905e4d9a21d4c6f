// Drives are the letters of the drive table; their sizes are the host's.
#include <sys/statfs.h>
#include <sys/statvfs.h>

#include "platform/drives.h"
#include "platform/errors.h"
#include "platform/path_text.h"
#include "platform/posix/host.h"

namespace plat {

using namespace posix;

std::vector<std::wstring> LogicalDriveRoots() {
    std::vector<std::wstring> roots;
    for (const auto& entry : T().drives)  // map order: "A:" before "Z:"
        if (entry.first.size() == 2 && entry.first[1] == L':') roots.push_back(entry.first + L"\\");
    return roots;
}

static const MappedDrive* DrvFind(const std::wstring& root) {
    std::wstring key = WithoutTrailingSeparator(root);
    if (key.size() == 2 && key[0] >= L'a' && key[0] <= L'z') key[0] = static_cast<wchar_t>(key[0] - 32);
    auto it = T().drives.find(key);
    return it == T().drives.end() ? nullptr : &it->second;
}

uint32_t DriveType(const std::wstring& root) {
    const MappedDrive* drive = DrvFind(root);
    return drive ? drive->type : 1;  // DRIVE_NO_ROOT_DIR
}

static bool DrvStat(const std::string& host, uint64_t& total, uint64_t& freeToCaller) {
    struct statvfs vfs;
    if (statvfs(host.c_str(), &vfs) != 0) return FailErrno();
    total = static_cast<uint64_t>(vfs.f_blocks) * vfs.f_frsize;
    freeToCaller = static_cast<uint64_t>(vfs.f_bavail) * vfs.f_frsize;
    return true;
}

bool VolumeLabel(const std::wstring& root, std::wstring& label) {
    const MappedDrive* drive = DrvFind(root);
    uint64_t total, free;
    // A mapped folder that is gone stands for a drive without medium.
    if (!drive || !DrvStat(drive->hostDir, total, free)) return Fail(21);  // ERROR_NOT_READY
    label = drive->label;
    return true;
}

bool VolumeSize(const std::wstring& root, uint64_t& total, uint64_t& free) {
    const MappedDrive* drive = DrvFind(root);
    if (!drive) return Fail(kErrPathNotFound);
    return DrvStat(drive->hostDir, total, free);
}

bool DiskSpaceFor(const std::wstring& path, uint64_t& freeToCaller, uint64_t& total) {
    std::string host;
    if (!ToHost(path, host)) return false;
    return DrvStat(host, total, freeToCaller);
}

// A drive can be given a file system by the tests (SetDriveFileSystemForTest);
// else the host's own, by the Windows names of the kinds Windows knows.
bool FileSystemName(const std::wstring& path, std::wstring& name) {
    std::string host;
    if (!ToHost(path, host)) return false;
    const MappedDrive* drive = DriveOf(path);
    if (drive && !drive->fileSystem.empty()) {
        name = drive->fileSystem;
        return true;
    }
    struct statfs fs;
    if (statfs(host.c_str(), &fs) != 0) return FailErrno();
    switch (static_cast<uint64_t>(fs.f_type)) {
        case 0x4d44:  // MSDOS_SUPER_MAGIC: vfat, most likely FAT32
            name = L"FAT32";
            return true;
        case 0x2011BAB0:  // EXFAT_SUPER_MAGIC
            name = L"exFAT";
            return true;
        case 0x5346544e:  // NTFS_SB_MAGIC
        case 0x7366746e:  // the ntfs3 driver's
            name = L"NTFS";
            return true;
        default:
            return Fail(kErrNotSupported);
    }
}

}  // namespace plat
