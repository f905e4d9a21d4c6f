// One entry's details, as a listing reports them.
#include <sys/stat.h>

#include "platform/fs.h"
#include "platform/posix/host.h"

namespace plat {

using namespace posix;

// The entry itself, or with `follow` what its links lead to.
static bool FsEntryInfo(const std::wstring& path, DirEntry& out, bool follow) {
    std::string host;
    struct stat st;
    if (!ToHostEntry(path, host)) return false;
    if ((follow ? stat(host.c_str(), &st) : lstat(host.c_str(), &st)) != 0) return FailErrno();
    out = DirEntry();
    out.attributes = AttributesOf(host, st);
    out.size = S_ISDIR(st.st_mode) ? 0 : static_cast<uint64_t>(st.st_size);
    out.modified = UtcToLocal(st.st_mtime);
    return true;
}

bool GetEntryInfo(const std::wstring& path, DirEntry& out) { return FsEntryInfo(path, out, false); }

bool FollowLink(const std::wstring& path, DirEntry& out) { return FsEntryInfo(path, out, true); }

}  // namespace plat
