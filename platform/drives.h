// Drives and volumes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plat {

constexpr uint32_t kDriveRemovable = 2;
constexpr uint32_t kDriveFixed = 3;
constexpr uint32_t kDriveRemote = 4;
constexpr uint32_t kDriveCdRom = 5;
constexpr uint32_t kDriveRamDisk = 6;

// Root strings such as "C:\" in the system's order.
std::vector<std::wstring> LogicalDriveRoots();
uint32_t DriveType(const std::wstring& root);
// Volume name of a root; false when the volume cannot be queried (no medium).
bool VolumeLabel(const std::wstring& root, std::wstring& label);
// Cluster arithmetic of the volume at `root`, in 64 bits.
bool VolumeSize(const std::wstring& root, uint64_t& total, uint64_t& free);
// Bytes available to the caller and total bytes of the volume holding
// `path`, with the system's critical-error boxes suppressed during the call.
bool DiskSpaceFor(const std::wstring& path, uint64_t& freeToCaller, uint64_t& total);
// The name of the file system holding `path` as Windows gives it ("NTFS",
// "FAT32", "exFAT", ...), with the critical-error boxes suppressed; false
// when its volume cannot be asked (the portable layer: one whose kind has
// no Windows name).
bool FileSystemName(const std::wstring& path, std::wstring& name);

}  // namespace plat
