// One entry's details, as a listing reports them.
#include <windows.h>

#include "platform/fs.h"
#include "platform/win32/wide_path.h"

namespace plat {

// Both answers carry the same fields under the same names.
template <typename Info>
static void EntryFrom(const Info& info, DirEntry& out) {
    out = DirEntry();
    out.attributes = info.dwFileAttributes;
    if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        out.size = (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    out.modified = win32::UtcFileTimeToLocalSeconds(info.ftLastWriteTime);
}

// GetFileAttributesExW reads the directory entry without opening the file
// (a file another program holds open still answers) and, like a listing,
// describes a link itself rather than what it points to.
bool GetEntryInfo(const std::wstring& path, DirEntry& out) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(win32::LiteralEntry(path).c_str(), GetFileExInfoStandard, &data)) return false;
    EntryFrom(data, out);
    return true;
}

// Opened without FILE_FLAG_OPEN_REPARSE_POINT, the handle is the target's;
// reading attributes only neither blocks other programs nor fetches the data
// of a file a cloud client keeps online.
bool FollowLink(const std::wstring& path, DirEntry& out) {
    win32::OwnedHandle file(CreateFileW(win32::LiteralEntry(path).c_str(), FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (!file.Valid() || !GetFileInformationByHandle(file.handle, &info)) return false;
    EntryFrom(info, out);
    return true;
}

}  // namespace plat
