// Whole-file reads and writes, and the copy with progress.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <memory>
#include <vector>

#include "platform/common/lock_retry.h"
#include "platform/errors.h"
#include "platform/fault.h"
#include "platform/fs.h"
#include "platform/posix/host.h"
#include "platform/thread_safety.h"

namespace plat {

using namespace posix;

namespace {
// Closes on every path out of a function.
struct FsFd {
    int fd = -1;
    ~FsFd() {
        if (fd >= 0) close(fd);
    }
};
constexpr size_t kCopyChunk = 1 << 20;
constexpr off_t kMaxWholeFile = off_t{1} << 30;
}  // namespace

static bool FsWriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t done = write(fd, data, size);
        if (done < 0) {
            if (errno == EINTR) continue;
            return FailErrno();
        }
        data += done;
        size -= static_cast<size_t>(done);
    }
    return true;
}

// The host directory `path` lies in.
static std::string FsDirOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

static void FsSyncDir(const std::string& dir) {
    if (FlushSkipped()) return;
    FsFd handle{open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    if (handle.fd >= 0) fsync(handle.fd);
}

// The new name of a file reaches the disk with its directory, as
// MOVEFILE_WRITE_THROUGH makes Windows write a rename through. A failure
// here is no failed copy: the data are on the disk and in place already,
// and at worst a crash forgets the name and the next run copies again.
static void FsSyncDirOf(const std::string& path) { FsSyncDir(FsDirOf(path)); }

namespace {
// The folder whose new copies' names are not on the disk yet. Each flush
// of a folder waits for the file system's journal, so a folder's names go
// together: a walk names all copies of a folder before it names any
// elsewhere, except around its subfolders.
plat::Mutex g_namesMutex;
std::string g_namesDue GUARDED_BY(g_namesMutex);
}  // namespace

static void FsFlushNamesDue(std::string dir) {
    {
        plat::MutexLock hold(g_namesMutex);
        if (dir == g_namesDue) return;
        std::swap(dir, g_namesDue);
    }
    if (!dir.empty()) FsSyncDir(dir);
}

// A copy got the name `path`: its folder's names are due.
static void FsNamed(const std::string& path) { FsFlushNamesDue(FsDirOf(path)); }

void FlushPlacedNames() { FsFlushNamesDue(std::string()); }

bool ReadWholeFile(const std::wstring& path, std::string& bytes) {
    bytes.clear();
    if (FaultHit(FaultOp::Read)) return false;
    std::string host;
    if (!ToHost(path, host)) return false;
    FsFd in{open(host.c_str(), O_RDONLY | O_CLOEXEC)};
    if (in.fd < 0) return FailErrno();
    struct stat st;
    if (fstat(in.fd, &st) != 0) return FailErrno();
    if (S_ISDIR(st.st_mode)) return Fail(kErrAccessDenied);
    // Whole-file reads are for our own small files; a foreign giant is refused
    // rather than allowed to exhaust memory.
    if (st.st_size > kMaxWholeFile) return Fail(kErrNotEnoughMemory);
    bytes.reserve(static_cast<size_t>(st.st_size));
    std::vector<char> buffer(kCopyChunk);
    for (;;) {
        ssize_t got = read(in.fd, buffer.data(), buffer.size());
        if (got < 0) {
            if (errno == EINTR) continue;
            bytes.clear();
            return FailErrno();
        }
        if (got == 0) break;
        bytes.append(buffer.data(), static_cast<size_t>(got));
    }
    return true;
}

bool WriteFileReplacing(const std::wstring& path, const std::string& bytes) {
    std::string host;
    if (!ToHost(path, host)) return false;
    std::string temp;
    if (!ToHost(path + kTempSuffix, temp)) return false;
    struct stat st;
    // Replacing a read-only file fails on Windows; keep that answer here.
    if (lstat(host.c_str(), &st) == 0 && (S_ISDIR(st.st_mode) || !(st.st_mode & S_IWUSR)))
        return Fail(kErrAccessDenied);
    if (FaultHit(FaultOp::Write)) return false;
    {
        FsFd out{open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666)};
        if (out.fd < 0) {
            if (errno == ENOENT) return Fail(kErrPathNotFound);  // the directory is missing
            return FailErrno();
        }
        if (!FsWriteAll(out.fd, bytes.data(), bytes.size()) || fsync(out.fd) != 0) {
            uint32_t code = errno ? ErrnoToWin(errno) : LastError();
            unlink(temp.c_str());
            return Fail(code);
        }
    }
    if (!RetryWhileLocked(
            FaultOp::Rename, [&] { return rename(temp.c_str(), host.c_str()) == 0 || FailErrno(); },
            [&](uint32_t code) { return RefusedForGood(code, path, kAttrReadOnly | kAttrDirectory); })) {
        uint32_t code = LastError();
        unlink(temp.c_str());
        return Fail(code);
    }
    FsSyncDirOf(host);
    ForgetExtraAttributes(host);
    return true;
}

// Opens an existing copy target for overwriting, with the refusals of
// CopyFileExW: no read-only file, no directory, and not the source itself
// (truncating it would destroy what is about to be read), whether under its
// own name or through a link. False with LastError set, or true with `fd`
// open on the emptied file (or -1 and errno set when the open failed).
static bool FsOpenExisting(const std::string& dst, const struct stat& source, int& fd) {
    struct stat old;
    if (lstat(dst.c_str(), &old) == 0) {
        if (old.st_dev == source.st_dev && old.st_ino == source.st_ino) return Fail(kErrSharingViolation);
        if (S_ISDIR(old.st_mode) || !(old.st_mode & S_IWUSR)) return Fail(kErrAccessDenied);
    }
    fd = open(dst.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return true;
    struct stat opened;
    if (fstat(fd, &opened) != 0) return FailErrno();
    if (opened.st_dev == source.st_dev && opened.st_ino == source.st_ino) return Fail(kErrSharingViolation);
    if (ftruncate(fd, 0) != 0) return FailErrno();
    return true;
}

// Copies the open `in` (`total` bytes) into `out`: 0 when complete, else
// the Windows error code (kErrRequestAborted when the progress call said
// stop).
static uint32_t FsCopyContent(int in, int out, uint64_t total, const CopyProgress& progress,
                              uint64_t* copiedOut = nullptr) {
    uint64_t copied = 0;
    if (progress && !progress(total, 0)) return kErrRequestAborted;
    // One buffer per thread for all copies: a fresh zero-filled megabyte per
    // file would cost more than copying a small file.
    static thread_local std::unique_ptr<char[]> buffer(new char[kCopyChunk]);
    // The kernel copies without a trip through our buffer where it can (as
    // CopyFileExW leaves the work to the file system); other file systems
    // refuse at the first call and get plain reads and writes.
    bool kernelCopy = true;
    for (;;) {
        ssize_t got;
        if (kernelCopy) {
            got = copy_file_range(in, nullptr, out, nullptr, kCopyChunk, 0);
            if (got < 0 && copied == 0 &&
                (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP || errno == EPERM)) {
                kernelCopy = false;
                continue;
            }
        } else {
            got = read(in, buffer.get(), kCopyChunk);
        }
        if (got < 0) {
            if (errno == EINTR) continue;
            return ErrnoToWin(errno);
        }
        if (got == 0) {
            if (copiedOut) *copiedOut = copied;
            return 0;
        }
        if (!kernelCopy && !FsWriteAll(out, buffer.get(), static_cast<size_t>(got))) return LastError();
        copied += static_cast<uint64_t>(got);
        if (progress && !progress(total, copied)) return kErrRequestAborted;
    }
}

// Opens `from` for a copy: false with LastError set, or true with `fd` open
// and `st` filled.
static bool FsOpenSource(const std::string& from, FsFd& in, struct stat& st) {
    in.fd = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in.fd < 0) return FailErrno();
    if (fstat(in.fd, &st) != 0) return FailErrno();
    if (S_ISDIR(st.st_mode)) return Fail(kErrAccessDenied);
    return true;
}

// The same as one counted Copy of the mirror, opened again while another
// program holds the source (a directory is refused for good). `src` gets
// the host path.
static bool FsOpenCopySource(const std::wstring& from, std::string& src, FsFd& in, struct stat& st) {
    return RetryWhileLocked(
        FaultOp::Copy,
        [&] {
            FsFd fresh;
            if (!ToHost(from, src) || !FsOpenSource(src, fresh, st)) return false;
            std::swap(in.fd, fresh.fd);
            return true;
        },
        [&](uint32_t code) { return RefusedForGood(code, from, kAttrDirectory); });
}

bool CopyFileWithProgressCall(const std::wstring& from, const std::wstring& to, const CopyProgress& progress,
                              bool failIfExists) {
    std::string src, dst;
    FsFd in;
    struct stat st;
    if (!FsOpenCopySource(from, src, in, st) || !ToHost(to, dst)) return false;
    // The target is nearly always a fresh name: create it exclusively, and
    // look at an existing file only when there is one.
    FsFd out{open(dst.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666)};
    if (out.fd < 0 && errno == EEXIST) {
        if (failIfExists) return Fail(kErrFileExists);
        if (!FsOpenExisting(dst, st, out.fd)) return false;
    }
    if (out.fd < 0) {
        if (errno == ENOENT) return Fail(kErrPathNotFound);
        return FailErrno();
    }
    auto abandon = [&](uint32_t code) {
        close(out.fd);
        out.fd = -1;
        unlink(dst.c_str());
        return Fail(code);
    };
    if (uint32_t code = FsCopyContent(in.fd, out.fd, static_cast<uint64_t>(st.st_size), progress)) return abandon(code);
    struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (futimens(out.fd, times) != 0) return abandon(ErrnoToWin(errno));
    if (fchmod(out.fd, st.st_mode & 07777) != 0) return abandon(ErrnoToWin(errno));
    CopyExtraAttributes(src, dst);
    return true;
}

// Whether a copy can be written without a name here and linked in later
// through /proc.
static bool FsNamelessFiles() {
    static const bool procFds = access("/proc/self/fd", X_OK) == 0;
    return procFds && !T().namedTempCopies;
}

// A file without a name in the directory of `path`, where the file system
// makes one and /proc lets us link it in later; -1 with errno set otherwise.
static int FsOpenUnnamed(const std::string& path) {
    if (!FsNamelessFiles()) {
        errno = EOPNOTSUPP;
        return -1;
    }
    return open(FsDirOf(path).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
}

static bool FsLinkUnnamed(int fd, const std::string& name) {
    const std::string proc = "/proc/self/fd/" + std::to_string(fd);
    return linkat(AT_FDCWD, proc.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

// A named temporary file; a leftover of an interrupted copy is ours to
// replace.
static int FsCreateTemp(const std::string& temp) {
    int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno == EEXIST && unlink(temp.c_str()) == 0)
        fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    return fd;
}

// The copy's last write time and mode; `writable` adds the owner's write
// bit (a mirror copy loses read-only). 0 or the Windows error code.
static uint32_t FsFinishCopy(int out, const struct stat& st, bool writable) {
    struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (futimens(out, times) != 0) return ErrnoToWin(errno);
    if (fchmod(out, (st.st_mode & 07777) | (writable ? S_IWUSR : 0)) != 0) return ErrnoToWin(errno);
    return 0;
}

// Gives the finished copy in `fd` (nameless, or named `temp`) the name
// `dst`. A new target is linked in with one call; an existing one can only
// be replaced by a rename, so the copy gets its temporary name first. 0 or
// the Windows error code; `temp` names what is left to remove.
static uint32_t FsPlaceCopy(int fd, std::string& temp, const std::wstring& to, const std::string& dst) {
    if (temp.empty() && !FsLinkUnnamed(fd, dst)) {
        if (errno != EEXIST) return ErrnoToWin(errno);
        if (!ToHost(to + kTempSuffix, temp)) return LastError();
        unlink(temp.c_str());  // a leftover of an interrupted copy
        if (!FsLinkUnnamed(fd, temp)) {
            temp.clear();
            return ErrnoToWin(errno);
        }
    }
    if (!temp.empty() && !RenameReplacing(temp, dst)) return LastError();
    return 0;
}

// FsPlaceCopy as one counted Rename, again while another program holds the
// target (one that is read-only or a directory is refused for good); once
// placed, the name is due in its directory (FsNamed).
static bool FsPlaceRetrying(int fd, std::string& temp, const std::wstring& to, const std::string& dst) {
    const bool placed = RetryWhileLocked(
        FaultOp::Rename,
        [&] {
            const uint32_t code = FsPlaceCopy(fd, temp, to, dst);
            return code == 0 || Fail(code);
        },
        [&](uint32_t code) { return RefusedForGood(code, to, kAttrReadOnly | kAttrDirectory); });
    if (placed) FsNamed(dst);
    return placed;
}

// The copy's data and date are on the disk before any name points at them:
// otherwise a power cut can leave the name, size and date over blocks never
// written, a file the size-and-date rule never copies again.
static bool FsFlushCopy(int fd) { return FlushSkipped() || fsync(fd) == 0 || FailErrno(); }

namespace {
// Copies made ahead reach the disk together. A writer only writes its copy
// and takes a tick; before the run's thread names one that no finished
// flush covers, a flush of the whole file system (syncfs) puts every copy
// written before it began on the disk, so that a batch of copies costs one
// wait for the disk instead of one each (writers that flushed as well, each
// when none was under way, made five times the flushes and gained nothing).
// Ticks are taken after a copy's writes and before a flush begins, so a
// copy's tick below a finished flush's means that flush had its data.
std::atomic<uint64_t> g_flushClock{0};
std::atomic<uint64_t> g_flushedBelow{0};  // copies of a tick below it are on the disk
}  // namespace

static uint64_t FsWritten() { return ++g_flushClock; }

static bool FsOnDisk(uint64_t written) { return FlushSkipped() || written < g_flushedBelow.load(); }

static bool FsFlushAllWritten(int fd) {
    const uint64_t begun = ++g_flushClock;
    if (syncfs(fd) != 0) return FailErrno();
    uint64_t seen = g_flushedBelow.load();
    while (seen < begun && !g_flushedBelow.compare_exchange_weak(seen, begun)) {}
    return true;
}

static void FsPlacedAttributes(const std::string& src, const std::string& dst, bool reset) {
    if (reset)
        ForgetExtraAttributes(dst);
    else
        CopyExtraAttributes(src, dst);
}

// Without a name the copy is invisible until complete and leaves nothing
// behind when it breaks off. Nothing here encrypts, so only an injected
// fault is refused as an encrypted file where the destination cannot
// encrypt; the copy is then tried again as the Win32 layer does, and is one
// stored decrypted.
bool CopyFileIntoPlace(const std::wstring& from, const std::wstring& to, const CopyProgress& progress, bool archiveOnly,
                       bool* storedDecrypted) {
    std::string src, dst, temp;
    FsFd in;
    struct stat st;
    if (storedDecrypted) *storedDecrypted = false;
    bool opened = FsOpenCopySource(from, src, in, st);
    const bool decrypted = !opened && LastError() == kErrEncryptionFailed;
    if (decrypted) opened = FsOpenCopySource(from, src, in, st);
    if (!opened || !ToHost(to, dst)) return false;
    FsFd out{FsOpenUnnamed(dst)};
    if (out.fd < 0 && errno != ENOENT && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return FailErrno();
    if (out.fd < 0 && errno != ENOENT) {
        if (!ToHost(to + kTempSuffix, temp)) return false;
        out.fd = FsCreateTemp(temp);
    }
    if (out.fd < 0) return errno == ENOENT ? Fail(kErrPathNotFound) : FailErrno();
    auto abandon = [&](uint32_t code) {
        close(out.fd);
        out.fd = -1;
        if (!temp.empty()) unlink(temp.c_str());
        return Fail(code);
    };
    if (uint32_t code = FsCopyContent(in.fd, out.fd, static_cast<uint64_t>(st.st_size), progress)) return abandon(code);
    const bool reset = archiveOnly && !FaultHit(FaultOp::SetAttributes);
    if (uint32_t code = FsFinishCopy(out.fd, st, reset)) return abandon(code);
    if (!RetryWhileLocked(FaultOp::Flush, [&] { return FsFlushCopy(out.fd); })) return abandon(LastError());
    if (!FsPlaceRetrying(out.fd, temp, to, dst)) return abandon(LastError());
    FsPlacedAttributes(src, dst, reset);
    if (storedDecrypted) *storedDecrypted = decrypted;
    return true;
}

// A nameless copy waits for its turn without a trace. Where the file system
// cannot make one, the copy waits under its temporary name, as on Windows;
// a name already taken there is left alone (the turn deals with it).
bool PrepareCopy(const std::wstring& from, const std::wstring& to, bool archiveOnly, uint64_t maxBytes,
                 PreparedCopy& copy) {
    DropPreparedCopy(copy);
    std::string src, dst, temp;
    if (!ToHost(from, src) || !ToHost(to, dst)) return false;
    FsFd in;
    struct stat st;
    if (!FsOpenSource(src, in, st)) return false;
    if (static_cast<uint64_t>(st.st_size) > maxBytes) return Fail(kErrFileTooLarge);
    FsFd out{FsOpenUnnamed(dst)};
    if (out.fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        if (!ToHost(to + kTempSuffix, temp)) return false;
        out.fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (out.fd < 0 && errno == EEXIST) return Fail(kErrFileExists);
    }
    if (out.fd < 0) return errno == ENOENT ? Fail(kErrPathNotFound) : FailErrno();
    auto abandon = [&](uint32_t code) {
        if (!temp.empty()) unlink(temp.c_str());
        return Fail(code);
    };
    uint64_t copied = 0;
    if (uint32_t code = FsCopyContent(in.fd, out.fd, static_cast<uint64_t>(st.st_size), nullptr, &copied))
        return abandon(code);
    if (uint32_t code = FsFinishCopy(out.fd, st, archiveOnly)) return abandon(code);
    copy.written = FsWritten();
    copy.file = out.fd;
    out.fd = -1;
    if (!temp.empty()) copy.temp = to + kTempSuffix;
    copy.total = static_cast<uint64_t>(st.st_size);
    copy.copied = copied;
    copy.archiveOnly = archiveOnly;
    copy.from = from;
    return true;
}

// Eight keep the opens and writes of small copies going side by side
// while the run's thread names them and waits for the shared flush.
int PreparedCopyWriters() { return 8; }

bool PlacePreparedCopy(PreparedCopy& copy, const std::wstring& to) {
    FsFd out{static_cast<int>(copy.file)};
    copy.file = -1;
    const std::wstring named = std::move(copy.temp);
    copy.temp.clear();
    if (out.fd < 0) return Fail(kErrInvalidParameter);
    std::string src, dst, temp;
    if (!(named.empty() || ToHost(named, temp)) || !ToHost(copy.from, src) || !ToHost(to, dst) ||
        !(FsOnDisk(copy.written) || RetryWhileLocked(FaultOp::Flush, [&] { return FsFlushAllWritten(out.fd); })) ||
        !FsPlaceRetrying(out.fd, temp, to, dst)) {
        const uint32_t code = LastError();
        if (!temp.empty()) unlink(temp.c_str());
        return Fail(code);
    }
    FsPlacedAttributes(src, dst, copy.archiveOnly);
    return true;
}

void DropPreparedCopy(PreparedCopy& copy) {
    if (copy.file >= 0) close(static_cast<int>(copy.file));
    copy.file = -1;
    std::string temp;
    if (!copy.temp.empty() && ToHost(copy.temp, temp)) unlink(temp.c_str());
    copy.temp.clear();
}

}  // namespace plat
