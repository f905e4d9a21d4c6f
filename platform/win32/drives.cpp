// Drive letters, drive types, volume names and sizes.
#include <windows.h>

#include <vector>

#include "platform/drives.h"
#include "platform/win32/wide_path.h"

namespace plat {

std::vector<std::wstring> LogicalDriveRoots() {
    std::vector<std::wstring> roots;
    // A first call with no buffer gives the size; a drive plugged in between
    // the two calls makes the second one ask for more, so loop.
    DWORD need = GetLogicalDriveStringsW(0, nullptr);
    std::vector<wchar_t> buffer;
    for (int attempt = 0; need != 0 && attempt < 4; ++attempt) {
        buffer.assign(need + 1, L'\0');
        DWORD got = GetLogicalDriveStringsW(static_cast<DWORD>(buffer.size()), buffer.data());
        if (got == 0) return roots;
        if (got < buffer.size()) {
            // "C:\<0>D:\<0><0>"
            for (const wchar_t* p = buffer.data(); *p; p += wcslen(p) + 1) roots.emplace_back(p);
            return roots;
        }
        need = got;
    }
    return roots;
}

uint32_t DriveType(const std::wstring& root) { return GetDriveTypeW(root.c_str()); }

bool VolumeLabel(const std::wstring& root, std::wstring& label) {
    wchar_t name[MAX_PATH + 1] = {};
    if (!GetVolumeInformationW(root.c_str(), name, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0)) return false;
    label = name;
    return true;
}

bool VolumeSize(const std::wstring& root, uint64_t& total, uint64_t& free) {
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    if (!GetDiskFreeSpaceW(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters))
        return false;
    // The product overflows 32 bits on any disk above 4 GB.
    uint64_t cluster = static_cast<uint64_t>(sectorsPerCluster) * bytesPerSector;
    total = cluster * totalClusters;
    free = cluster * freeClusters;
    return true;
}

bool DiskSpaceFor(const std::wstring& path, uint64_t& freeToCaller, uint64_t& total) {
    // An empty card reader or CD drive would otherwise raise the system's
    // "no disk in drive" box (SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX |
    // SEM_NOGPFAULTERRORBOX). The previous mode comes back afterwards rather
    // than 0, so a mode set elsewhere in the process survives.
    UINT previous = SetErrorMode(0x8003);
    ULARGE_INTEGER available, size;
    BOOL ok = GetDiskFreeSpaceExW(win32::Literal(path).c_str(), &available, &size, nullptr);
    DWORD err = ::GetLastError();
    SetErrorMode(previous);
    if (!ok) {
        ::SetLastError(err);
        return false;
    }
    freeToCaller = available.QuadPart;
    total = size.QuadPart;
    return true;
}

// GetVolumeInformationW wants the root of the volume, which for a folder
// mounted from another volume is not its drive's root.
bool FileSystemName(const std::wstring& path, std::wstring& name) {
    const std::wstring literal = win32::Literal(path);
    std::wstring root(literal.size() + 2, L'\0');
    wchar_t fileSystem[MAX_PATH + 1] = {};
    UINT previous = SetErrorMode(0x8003);
    BOOL ok = GetVolumePathNameW(literal.c_str(), root.data(), static_cast<DWORD>(root.size())) &&
              GetVolumeInformationW(root.c_str(), nullptr, 0, nullptr, nullptr, nullptr, fileSystem, MAX_PATH + 1);
    DWORD err = ::GetLastError();
    SetErrorMode(previous);
    if (!ok) {
        ::SetLastError(err);
        return false;
    }
    name = fileSystem;
    return true;
}

}  // namespace plat
