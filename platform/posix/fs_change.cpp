// Creating, moving, deleting and marking entries.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/common/lock_retry.h"
#include "platform/errors.h"
#include "platform/fault.h"
#include "platform/fs.h"
#include "platform/path_text.h"
#include "platform/posix/host.h"
#include "platform/text.h"

namespace plat {

using namespace posix;

static bool FsIsReadOnly(const struct stat& st) { return !S_ISLNK(st.st_mode) && !(st.st_mode & S_IWUSR); }

bool CreateDir(const std::wstring& path) {
    if (FaultHit(FaultOp::CreateDir)) return false;
    std::string host;
    if (!ToHostEntry(path, host)) return false;
    if (mkdir(host.c_str(), 0777) != 0) {
        if (errno == ENOENT) return Fail(kErrPathNotFound);
        return FailErrno();
    }
    ForgetExtraAttributes(host);
    return true;
}

// rename that never replaces, in one call where the file system offers it:
// 1 done, 0 failed with errno set, -1 no answer (not offered by an old kernel
// or some file systems; or across mounts, where the kernel refuses before it
// looks at either name), so the caller must look at both names itself.
static int FsRenameNoReplace(const std::string& from, const std::string& to) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 1;
    return errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP || errno == EXDEV ? -1 : 0;
}

// The rename of MoveEntry on host paths, one attempt.
static bool FsMoveEntry(const std::string& a, const std::string& b) {
    struct stat st;
    // MoveFileW never replaces; a target differing only in case is another
    // name on this file system, which is as close as a host can get.
    const int done = FsRenameNoReplace(a, b);
    if (done == 1) {
        MoveExtraAttributes(a, b);
        return true;
    }
    if (done == 0) {
        if (errno == EEXIST) return Fail(kErrAlreadyExists);
        // A missing source, or a missing directory of the target.
        if (errno == ENOENT) return lstat(a.c_str(), &st) != 0 ? FailErrno() : Fail(kErrPathNotFound);
        return FailErrno();
    }
    if (lstat(a.c_str(), &st) != 0) return FailErrno();
    if (lstat(b.c_str(), &st) == 0) return Fail(kErrAlreadyExists);
    if (rename(a.c_str(), b.c_str()) != 0) {
        if (errno == ENOENT) return Fail(kErrPathNotFound);
        return FailErrno();
    }
    MoveExtraAttributes(a, b);
    return true;
}

bool MoveEntry(const std::wstring& from, const std::wstring& to) {
    return RetryWhileLocked(FaultOp::Move, [&] {
        std::string a, b;
        return ToHostEntry(from, a) && ToHostEntry(to, b) && FsMoveEntry(a, b);
    });
}

// On Windows the new spelling names the entry itself. Here it is another
// name, free unless the host holds a second entry spelled so, which Windows
// could never show beside the first: that one is an existing target.
bool RenameCase(const std::wstring& from, const std::wstring& to) {
    if (PathFolder(from) != PathFolder(to) || !EqualNoCase(PathName(from), PathName(to)))
        return Fail(kErrInvalidParameter);
    return RetryWhileLocked(FaultOp::Move, [&] {
        std::string a, b;
        if (!ToHostEntry(from, a) || !ToHostEntry(to, b)) return false;
        struct stat st;
        if (a == b) return lstat(a.c_str(), &st) == 0 || FailErrno();
        return FsMoveEntry(a, b);
    });
}

bool MoveReplacing(const std::wstring& from, const std::wstring& to) {
    return RetryWhileLocked(
        FaultOp::Rename,
        [&] {
            std::string a, b;
            return ToHostEntry(from, a) && ToHostEntry(to, b) && RenameReplacing(a, b);
        },
        [&](uint32_t code) { return RefusedForGood(code, to, kAttrReadOnly | kAttrDirectory); });
}

namespace posix {

// On a first copy there is no target: the rename that refuses to replace
// does it in one call. Only an existing target is looked at, for the
// refusals of MoveFileExW.
bool RenameReplacing(const std::string& a, const std::string& b) {
    const int done = FsRenameNoReplace(a, b);
    if (done == 1) {
        MoveExtraAttributes(a, b);
        return true;
    }
    // Any refusal but an existing target is the rename's own answer (a
    // missing source first of all, which the kernel checks before the target).
    if (done == 0 && errno != EEXIST) return FailErrno();
    struct stat st;
    // Without the one-call rename the source is looked at first, as the
    // kernel does; with it, its failure above already said the source exists.
    if (done == -1 && lstat(a.c_str(), &st) != 0) return FailErrno();
    if (lstat(b.c_str(), &st) == 0 && (S_ISDIR(st.st_mode) || FsIsReadOnly(st))) return Fail(kErrAccessDenied);
    if (rename(a.c_str(), b.c_str()) != 0) return FailErrno();
    MoveExtraAttributes(a, b);
    return true;
}

}  // namespace posix

bool DeleteFileAt(const std::wstring& path) {
    std::string host;
    const bool ok = RetryWhileLocked(
        FaultOp::Delete,
        [&] {
            struct stat st;
            if (!ToHostEntry(path, host)) return false;
            if (lstat(host.c_str(), &st) != 0) return FailErrno();
            // DeleteFileW refuses directories and read-only files.
            if (S_ISDIR(st.st_mode) || FsIsReadOnly(st)) return Fail(kErrAccessDenied);
            return unlink(host.c_str()) == 0 || FailErrno();
        },
        [&](uint32_t code) { return RefusedForGood(code, path, kAttrReadOnly | kAttrDirectory); });
    if (ok) ForgetExtraAttributes(host);
    return ok;
}

bool RemoveDir(const std::wstring& path) {
    std::string host;
    const bool ok = RetryWhileLocked(FaultOp::RemoveDir, [&] {
        struct stat st;
        if (!ToHostEntry(path, host)) return false;
        if (lstat(host.c_str(), &st) != 0) return FailErrno();
        // A link to a directory is removed as the link, like a junction.
        return (S_ISLNK(st.st_mode) ? unlink(host.c_str()) : rmdir(host.c_str())) == 0 || FailErrno();
    });
    if (ok) ForgetExtraAttributes(host);
    return ok;
}

// Children first, then the entry itself, as the Win32 twin counts them:
// each removal is one counted call.
static bool FsRemoveTreeHost(const std::string& host) {
    struct stat st;
    if (lstat(host.c_str(), &st) != 0) return FailErrno();
    const bool isDir = S_ISDIR(st.st_mode);
    if (isDir) {
        DIR* handle = opendir(host.c_str());
        if (!handle) return FailErrno();
        std::vector<std::string> names;
        while (dirent* item = readdir(handle)) {
            std::string name = item->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        closedir(handle);
        bool all = true;
        for (const std::string& name : names) all = FsRemoveTreeHost(host + "/" + name) && all;
        if (!all) return false;
    }
    // Files and links alike are unlinked; a link is never followed.
    const bool ok = RetryWhileLocked(
        FaultOp::RemoveDir, [&] { return (isDir ? rmdir(host.c_str()) : unlink(host.c_str())) == 0 || FailErrno(); });
    if (ok) ForgetExtraAttributes(host);
    return ok;
}

bool RemoveTree(const std::wstring& path) {
    std::string host;
    if (!ToHostEntry(path, host)) return false;
    struct stat st;
    if (lstat(host.c_str(), &st) != 0) return FailErrno();
    if (S_ISREG(st.st_mode)) return Fail(267);  // ERROR_DIRECTORY: a file is no tree
    return FsRemoveTreeHost(host);
}

bool RemoveForGood(const std::wstring& path) {
    const uint32_t attributes = GetAttributes(path);
    if (attributes == kInvalidAttributes) return false;
    std::string host;
    if (!ToHostEntry(path, host)) return false;
    if (attributes & kAttrDirectory) return FsRemoveTreeHost(host);
    // The host unlinks read-only files as they are; Windows needs the bit
    // cleared first, and that step can fail there, so it counts here too.
    if ((attributes & kAttrReadOnly) && FaultHit(FaultOp::SetAttributes)) return false;
    if (!RetryWhileLocked(FaultOp::Delete, [&] { return unlink(host.c_str()) == 0 || FailErrno(); })) return false;
    ForgetExtraAttributes(host);
    return true;
}

bool SetAttributes(const std::wstring& path, uint32_t attributes) {
    if (FaultHit(FaultOp::SetAttributes)) return false;
    std::string host;
    if (!ToHostEntry(path, host)) return false;
    struct stat st;
    if (lstat(host.c_str(), &st) != 0) return FailErrno();
    if (!S_ISLNK(st.st_mode)) {
        const mode_t old = st.st_mode & 07777;
        const mode_t mode = (attributes & kAttrReadOnly) ? (old & ~0222) : (old | S_IWUSR);
        if (mode != old && chmod(host.c_str(), mode) != 0) return FailErrno();
    }
    // A plain file marked for backup is what an unlisted file already reads
    // as, so the common case after every copy keeps the table small. Offline
    // is among the bits SetFileAttributesW sets, as a cloud client marks a
    // file whose data it keeps online only.
    const uint32_t extra = attributes & (kAttrHidden | kAttrSystem | kAttrArchive | kAttrOffline);
    if (S_ISREG(st.st_mode) && extra == kAttrArchive)
        ForgetExtraAttributes(host);
    else
        SetExtraAttributes(host, extra);
    return true;
}

bool SetModified(const std::wstring& path, int64_t modified) {
    std::string host;
    if (!ToHostEntry(path, host)) return false;
    struct timespec times[2];
    times[0].tv_sec = LocalToUtc(modified);
    times[0].tv_nsec = 0;
    times[1] = times[0];
    if (utimensat(AT_FDCWD, host.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) return FailErrno();
    return true;
}

}  // namespace plat
