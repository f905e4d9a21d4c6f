// One entry's details, as a listing reports them.
#include <windows.h>

#include "platform/fs.h"
#include "platform/win32/wide_path.h"

namespace plat {

// GetFileAttributesExW reads the directory entry without opening the file
// (a file another program holds open still answers) and, like a listing,
// describes a link itself rather than what it points to.
bool GetEntryInfo(const std::wstring& path, DirEntry& out) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(win32::LiteralEntry(path).c_str(), GetFileExInfoStandard, &data)) return false;
    out = DirEntry();
    out.attributes = data.dwFileAttributes;
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        out.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    out.modified = win32::UtcFileTimeToLocalSeconds(data.ftLastWriteTime);
    return true;
}

}  // namespace plat
