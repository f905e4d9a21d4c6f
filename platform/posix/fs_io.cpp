// Whole-file reads and writes, and the copy with progress.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <vector>

#include "platform/errors.h"
#include "platform/fault.h"
#include "platform/fs.h"
#include "platform/posix/host.h"

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
    if (FaultHit(FaultOp::Rename)) {
        uint32_t code = LastError();
        unlink(temp.c_str());
        return Fail(code);
    }
    if (rename(temp.c_str(), host.c_str()) != 0) {
        uint32_t code = ErrnoToWin(errno);
        unlink(temp.c_str());
        return Fail(code);
    }
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

bool CopyFileWithProgressCall(const std::wstring& from, const std::wstring& to,
                              const CopyProgress& progress, bool failIfExists) {
    if (FaultHit(FaultOp::Copy)) return false;
    std::string src, dst;
    if (!ToHost(from, src) || !ToHost(to, dst)) return false;
    FsFd in{open(src.c_str(), O_RDONLY | O_CLOEXEC)};
    if (in.fd < 0) return FailErrno();
    struct stat st;
    if (fstat(in.fd, &st) != 0) return FailErrno();
    if (S_ISDIR(st.st_mode)) return Fail(kErrAccessDenied);
    // The target is nearly always a fresh temporary name: create it
    // exclusively, and look at an existing file only when there is one.
    FsFd out{open(dst.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666)};
    if (out.fd < 0 && errno == EEXIST) {
        if (failIfExists) return Fail(kErrFileExists);
        if (!FsOpenExisting(dst, st, out.fd)) return false;
    }
    if (out.fd < 0) {
        if (errno == ENOENT) return Fail(kErrPathNotFound);
        return FailErrno();
    }
    const uint64_t total = static_cast<uint64_t>(st.st_size);
    uint64_t copied = 0;
    auto abandon = [&](uint32_t code) {
        close(out.fd);
        out.fd = -1;
        unlink(dst.c_str());
        return Fail(code);
    };
    if (progress && !progress(total, 0)) return abandon(kErrRequestAborted);
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
            got = copy_file_range(in.fd, nullptr, out.fd, nullptr, kCopyChunk, 0);
            if (got < 0 && copied == 0 &&
                (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP || errno == EPERM)) {
                kernelCopy = false;
                continue;
            }
        } else {
            got = read(in.fd, buffer.get(), kCopyChunk);
        }
        if (got < 0) {
            if (errno == EINTR) continue;
            return abandon(ErrnoToWin(errno));
        }
        if (got == 0) break;
        if (!kernelCopy && !FsWriteAll(out.fd, buffer.get(), static_cast<size_t>(got))) return abandon(LastError());
        copied += static_cast<uint64_t>(got);
        if (progress && !progress(total, copied)) return abandon(kErrRequestAborted);
    }
    struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (futimens(out.fd, times) != 0) return abandon(ErrnoToWin(errno));
    if (fchmod(out.fd, st.st_mode & 07777) != 0) return abandon(ErrnoToWin(errno));
    auto& extra = T().extraAttributes;
    auto it = extra.find(src);
    if (it != extra.end()) extra[dst] = it->second | kAttrArchive;
    else extra.erase(dst);
    return true;
}

}  // namespace plat
