// Appending to a file, and comparing two files piece by piece.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/errors.h"
#include "platform/fault.h"
#include "platform/fs.h"
#include "platform/posix/host.h"

namespace plat {

using namespace posix;

namespace {
struct StreamFd {
    int fd = -1;
    ~StreamFd() {
        if (fd >= 0) close(fd);
    }
};
constexpr size_t kStreamChunk = 1 << 20;
}  // namespace

bool AppendToFile(const std::wstring& path, const std::string& bytes) {
    if (FaultHit(FaultOp::Write)) return false;
    std::string host;
    if (!ToHost(path, host)) return false;
    // Windows refuses to write to a read-only file, whoever asks.
    struct stat st;
    if (lstat(host.c_str(), &st) == 0 && (S_ISDIR(st.st_mode) || !(st.st_mode & S_IWUSR)))
        return Fail(kErrAccessDenied);
    StreamFd out{open(host.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666)};
    if (out.fd < 0) {
        if (errno == ENOENT) return Fail(kErrPathNotFound);
        return FailErrno();
    }
    const char* data = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        const ssize_t done = write(out.fd, data, left);
        if (done < 0) {
            if (errno == EINTR) continue;
            return FailErrno();
        }
        data += done;
        left -= static_cast<size_t>(done);
    }
    return true;
}

// Reads up to `want` bytes, fewer only at the end of the file.
static bool StreamRead(int fd, char* buffer, size_t want, size_t& got) {
    got = 0;
    while (got < want) {
        const ssize_t n = read(fd, buffer + got, want - got);
        if (n < 0) {
            if (errno == EINTR) continue;
            return FailErrno();
        }
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    return true;
}

bool SameContent(const std::wstring& a, const std::wstring& b, bool& same) {
    same = false;
    if (FaultHit(FaultOp::Read)) return false;
    std::string hostA, hostB;
    if (!ToHost(a, hostA) || !ToHost(b, hostB)) return false;
    StreamFd inA{open(hostA.c_str(), O_RDONLY | O_CLOEXEC)};
    if (inA.fd < 0) return FailErrno();
    StreamFd inB{open(hostB.c_str(), O_RDONLY | O_CLOEXEC)};
    if (inB.fd < 0) return FailErrno();
    std::vector<char> bufA(kStreamChunk), bufB(kStreamChunk);
    for (;;) {
        size_t gotA = 0, gotB = 0;
        if (!StreamRead(inA.fd, bufA.data(), bufA.size(), gotA) || !StreamRead(inB.fd, bufB.data(), bufB.size(), gotB))
            return false;
        if (gotA != gotB || std::memcmp(bufA.data(), bufB.data(), gotA) != 0) return true;
        if (gotA < bufA.size()) break;
    }
    same = true;
    return true;
}

}  // namespace plat
