// Reading a file in blocks, for the content comparison: read(2) with the
// kernel told that the file is read once from front to back.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/errors.h"
#include "platform/fault.h"
#include "platform/file_read.h"
#include "platform/posix/host.h"

namespace plat {

using namespace posix;

void ReadHandle::Close() {
    if (file == -1) return;
    close(static_cast<int>(file));
    file = -1;
}

bool OpenForReading(const std::wstring& path, ReadHandle& file) {
    file.Close();
    if (FaultHit(FaultOp::ReadBlock)) return false;
    std::string host;
    if (!ToHost(path, host)) return false;
    const int fd = open(host.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        // Windows tells a missing folder on the way from a missing file.
        struct stat parent;
        const size_t slash = host.rfind('/');
        if (errno == ENOENT && slash != std::string::npos &&
            (stat(host.substr(0, slash + 1).c_str(), &parent) != 0 || !S_ISDIR(parent.st_mode)))
            return Fail(kErrPathNotFound);
        return FailErrno();
    }
    // A larger read-ahead window: both copies of a file are read whole.
    (void)posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    file.file = fd;
    return true;
}

// A directory opens on the host; its first read fails with EISDIR, which is
// Windows' "access denied" for it.
bool ReadBlock(ReadHandle& file, void* buffer, size_t size, size_t& got) {
    got = 0;
    if (FaultHit(FaultOp::ReadBlock)) return false;
    if (!file.IsOpen()) return Fail(kErrInvalidParameter);
    char* at = static_cast<char*>(buffer);
    while (got < size) {
        const ssize_t done = read(static_cast<int>(file.file), at + got, size - got);
        if (done < 0) {
            if (errno == EINTR) continue;
            got = 0;
            return FailErrno();
        }
        if (done == 0) break;
        got += static_cast<size_t>(done);
    }
    return true;
}

void PrefetchForReading(const ReadHandle& file, uint64_t offset, uint64_t length) {
    if (!file.IsOpen() || length == 0) return;
    (void)posix_fadvise(static_cast<int>(file.file), static_cast<off_t>(offset), static_cast<off_t>(length),
                        POSIX_FADV_WILLNEED);
}

}  // namespace plat
