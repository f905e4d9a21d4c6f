// Listing and questions about single entries.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "platform/errors.h"
#include "platform/fault.h"
#include "platform/fs.h"
#include "platform/posix/host.h"
#include "platform/text.h"

namespace plat {

using namespace posix;

// Windows wildcards: "*" any run, "?" one character, case ignored; "*.*"
// also matches names without a dot, as FindFirstFileW does.
static bool FsWildcardMatch(const std::wstring& pattern, const std::wstring& name) {
    if (pattern == L"*" || pattern == L"*.*") return true;
    std::wstring p = ToUpper(pattern), n = ToUpper(name);
    size_t pi = 0, ni = 0, starP = std::wstring::npos, starN = 0;
    while (ni < n.size()) {
        if (pi < p.size() && (p[pi] == L'?' || p[pi] == n[ni])) {
            ++pi;
            ++ni;
        } else if (pi < p.size() && p[pi] == L'*') {
            starP = pi++;
            starN = ni;
        } else if (starP != std::wstring::npos) {
            pi = starP + 1;
            ni = ++starN;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == L'*') ++pi;
    // "name.*" also matches "name" without extension.
    if (pi + 2 == p.size() && p[pi] == L'.' && p[pi + 1] == L'*') return true;
    return pi == p.size();
}

// Each entry is looked up by its name in the open directory: a lookup by
// full path would walk every level of the path again for every entry, which
// is most of what a run that copies nothing costs.
bool ListDir(const std::wstring& dir, const std::wstring& pattern, std::vector<DirEntry>& out) {
    out.clear();
    if (FaultHit(FaultOp::List)) return false;
    std::string full;
    if (!ToHost(dir, full)) return false;
    DIR* handle = opendir(full.c_str());
    if (!handle) {
        if (errno == ENOENT || errno == ENOTDIR) return Fail(kErrPathNotFound);
        return FailErrno();
    }
    const int dirFd = dirfd(handle);
    if (full.back() != '/') full += '/';
    // The full path is still wanted for the attribute table and for the
    // target of a link; one buffer serves every entry.
    const size_t dirLength = full.size();
    const bool anyName = pattern == L"*" || pattern == L"*.*";
    std::string utf8;  // the name for the conversion, without an allocation each
    for (;;) {
        // Only readdir's own errno tells an unreadable directory from its
        // end; a failed look at one entry (a dangling link) must not.
        errno = 0;
        dirent* item = readdir(handle);
        if (!item) break;
        const char* name = item->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
        DirEntry entry;
        utf8.assign(name);
        entry.name = Utf8ToWide(utf8);
        if (!anyName && !FsWildcardMatch(pattern, entry.name)) continue;
        struct stat st;
        if (fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;  // vanished while listing
        full.resize(dirLength);
        full += name;
        entry.attributes = AttributesOf(full, st);
        entry.size = S_ISREG(st.st_mode) ? static_cast<uint64_t>(st.st_size) : 0;
        entry.modified = UtcToLocal(st.st_mtime);
        out.push_back(std::move(entry));
    }
    bool failed = errno != 0;
    closedir(handle);
    if (failed) return FailErrno();
    return true;
}

static bool FsStat(const std::wstring& path, struct stat& st, bool follow) {
    std::string host;
    if (!ToHostEntry(path, host)) return false;
    if ((follow ? stat(host.c_str(), &st) : lstat(host.c_str(), &st)) != 0) return FailErrno();
    return true;
}

bool DirExists(const std::wstring& path) {
    struct stat st;
    return FsStat(path, st, true) && S_ISDIR(st.st_mode);
}

bool FileExists(const std::wstring& path) {
    struct stat st;
    return FsStat(path, st, true) && !S_ISDIR(st.st_mode);
}

uint32_t GetAttributes(const std::wstring& path) {
    std::string host;
    struct stat st;
    if (!ToHostEntry(path, host) || !FsStat(path, st, false)) return kInvalidAttributes;
    return AttributesOf(host, st);
}

bool GetModified(const std::wstring& path, int64_t& modified) {
    struct stat st;
    if (!FsStat(path, st, false)) return false;
    modified = UtcToLocal(st.st_mtime);
    return true;
}

}  // namespace plat
