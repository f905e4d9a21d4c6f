// Listing and questions about single entries.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

#include "platform/errors.h"
#include "platform/fault.h"
#include "platform/fs.h"
#include "platform/listing.h"
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
bool ListDirCompact(const std::wstring& dir, Listing& out) {
    out = Listing();
    if (FaultHit(FaultOp::List)) return false;
    std::string full;
    if (!ToHost(dir, full)) return false;
    DIR* handle = opendir(full.c_str());
    if (!handle) {
        if (errno == ENOENT || errno == ENOTDIR) return Fail(kErrPathNotFound);
        return FailErrno();
    }
    const int dirFd = dirfd(handle);
    // Room for the names by the directory's own size, which on the usual
    // file systems is about the bytes of its names and a few more per
    // entry: a buffer that grew by doubling would hold the old and the new
    // room at once, and the C library keeps freed room of that size. Room
    // reserved but never written costs no memory.
    struct stat self;
    if (fstat(dirFd, &self) == 0 && self.st_size > 0) {
        const size_t hint = static_cast<size_t>(std::min<off_t>(self.st_size, off_t{64} << 20));
        out.names.reserve(hint);
        out.records.reserve(hint / 16);
    }
    if (full.back() != '/') full += '/';
    // The full path is still wanted for the attribute table and for the
    // target of a link; one buffer serves every entry.
    const size_t dirLength = full.size();
    for (;;) {
        // Only readdir's own errno tells an unreadable directory from its
        // end; a failed look at one entry (a dangling link) must not.
        errno = 0;
        dirent* item = readdir(handle);
        if (!item) break;
        const char* name = item->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
        struct stat st;
        if (fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;  // vanished while listing
        if (out.names.size() > UINT32_MAX - 256) {
            closedir(handle);
            out = Listing();
            return Fail(kErrNotEnoughMemory);
        }
        full.resize(dirLength);
        full += name;
        ListingRecord record;
        record.nameStart = static_cast<uint32_t>(out.names.size());
        record.attributes = AttributesOf(full, st);
        record.size = S_ISREG(st.st_mode) ? static_cast<uint64_t>(st.st_size) : 0;
        record.modified = UtcToLocal(st.st_mtime);
        out.names += name;
        if (record.attributes & kAttrReparsePoint)
            if (const uint32_t tag = ReparseTagOf(full, st)) out.tags.push_back({uint32_t(out.records.size()), tag});
        out.records.push_back(record);
    }
    bool failed = errno != 0;
    closedir(handle);
    if (failed) {
        out = Listing();
        return FailErrno();
    }
    return true;
}

bool ListDir(const std::wstring& dir, const std::wstring& pattern, std::vector<DirEntry>& out) {
    out.clear();
    Listing listing;
    if (!ListDirCompact(dir, listing)) return false;
    const bool anyName = pattern == L"*" || pattern == L"*.*";
    for (size_t i = 0; i < listing.size(); ++i) {
        DirEntry entry;
        ListingNameInto(listing, i, entry.name);
        if (!anyName && !FsWildcardMatch(pattern, entry.name)) continue;
        const ListingRecord& record = listing.records[i];
        entry.attributes = record.attributes;
        entry.reparseTag = listing.ReparseTag(i);
        entry.size = record.size;
        entry.modified = record.modified;
        out.push_back(std::move(entry));
    }
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
