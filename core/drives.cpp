#include "core/drives.h"

#include "platform/drives.h"

namespace core {

static std::wstring DrivesTrimBlanks(const std::wstring& text) {
    size_t first = text.find_first_not_of(L' ');
    if (first == std::wstring::npos) return L"";
    size_t last = text.find_last_not_of(L' ');
    return text.substr(first, last - first + 1);
}

// A drive without medium or a disconnected network drive stays in the list
// with an empty label and zero sizes: the destination search still wants to
// know the letter exists.
std::vector<Drive> ListDrives() {
    std::vector<Drive> drives;
    for (const std::wstring& reported : plat::LogicalDriveRoots()) {
        std::wstring root = DrivesTrimBlanks(reported);
        if (root.empty()) break;
        Drive drive;
        drive.Root = root;
        drive.Type = static_cast<int32_t>(plat::DriveType(root));
        std::wstring label;
        if (plat::VolumeLabel(root, label)) {
            uint64_t total = 0;
            uint64_t free = 0;
            if (plat::VolumeSize(root, total, free)) {
                drive.TotalBytes = total;
                drive.FreeBytes = free;
            }
            drive.Label = DrivesTrimBlanks(label);
        }
        drives.push_back(drive);
    }
    return drives;
}

Space DiskSpace(const std::wstring& path) {
    Space space;
    if (!plat::DiskSpaceFor(path, space.freeBytes, space.totalBytes)) return {};
    return space;
}

}  // namespace core
